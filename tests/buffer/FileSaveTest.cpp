// Saving: styles, failures at every step that leave the old file intact, permissions,
// symbolic links and backups.
#include "BufferTestSupport.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Makes one chosen call of the save fail as the system would.
class FailingOps : public CFileOps {
public:
    enum class Step { MakeTemp, FirstWrite, DiskFull, Sync, Rename };
    FailingOps(Step step, int err) : m_step(step), m_err(err) {}

    int MakeTemp(std::string& strTemplate) override {
        if (m_step == Step::MakeTemp)
            return Fail();
        return CFileOps::MakeTemp(strTemplate);
    }
    ssize_t Write(int fd, const void* pData, size_t nBytes) override {
        if (m_step == Step::FirstWrite)
            return Fail();
        if (m_step == Step::DiskFull) {
            // Room for 100 bytes, then the device is full.
            if (m_nWritten >= 100)
                return Fail();
            nBytes = std::min<size_t>(nBytes, 100 - m_nWritten);
            m_nWritten += nBytes;
        }
        return CFileOps::Write(fd, pData, nBytes);
    }
    int Sync(int fd) override { return m_step == Step::Sync ? Fail() : CFileOps::Sync(fd); }
    int Rename(const std::string& from, const std::string& to) override {
        return m_step == Step::Rename ? Fail() : CFileOps::Rename(from, to);
    }

private:
    int Fail() {
        errno = m_err;
        return -1;
    }
    Step m_step;
    int m_err;
    size_t m_nWritten = 0;
};

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

bool IsSymlink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST(FileSave, WritesTheStyleBetweenLinesAndNoneAfterTheLast) {
    TempDir dir;
    CTextBuffer buffer;
    FillBuffer(buffer, {"a", "b"});
    ASSERT_TRUE(buffer.SaveFile(dir.File("lf.txt"), EOL_LF));
    EXPECT_EQ(ReadBytes(dir.File("lf.txt")), "a\nb");
    ASSERT_TRUE(buffer.SaveFile(dir.File("lfcr.txt"), EOL_LFCR));
    EXPECT_EQ(ReadBytes(dir.File("lfcr.txt")), "a\n\rb");
    // An explicit style is for that save only.
    ASSERT_TRUE(buffer.SaveFile(dir.File("auto.txt")));
    EXPECT_EQ(ReadBytes(dir.File("auto.txt")), "a\r\nb");
    EXPECT_EQ(buffer.GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"auto.txt", "lf.txt", "lfcr.txt"}));
}

TEST(FileSave, EveryFailingStepLeavesTheOldFileAndNoTemporaryFile) {
    struct Case {
        const char* name;
        FailingOps::Step step;
        int err;
        const char* reason;
    };
    const Case cases[] = {
        {"no temporary file", FailingOps::Step::MakeTemp, EACCES, "Permission denied"},
        {"failed write", FailingOps::Step::FirstWrite, EIO, "Input/output error"},
        {"disk full", FailingOps::Step::DiskFull, ENOSPC, "No space left on device"},
        {"failed sync", FailingOps::Step::Sync, EIO, "Input/output error"},
        {"failed rename", FailingOps::Step::Rename, EXDEV, "Invalid cross-device link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("doc.zarn");
        const std::string old = "old text\r\nkept\r\n";
        WriteBytes(path, old);

        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(path));
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 0, 0, std::string(5000, 'n'), nEndLine, nEndChar,
                            EDITACT_PASTE);
        FailingOps ops(c.step, c.err);
        buffer.SetFileOps(&ops);

        const FileResult result = buffer.SaveFile(path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError, c.reason);
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"doc.zarn"});
        EXPECT_TRUE(buffer.IsModified());
        EXPECT_EQ(buffer.GetSavedHistoryPos(), 0);

        buffer.SetFileOps(nullptr);
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), std::string(5000, 'n') + old);
    }
}

TEST(FileSave, ADirectoryWithoutRoomForATemporaryFileFailsTheSave) {
    TempDir dir;
    const std::string sub = dir.File("locked");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::string path = sub + "/doc.zarn";
    WriteBytes(path, "precious\n");
    ::chmod(path.c_str(), 0666);
    ::chmod(sub.c_str(), 0555);
    ::chmod(dir.path().c_str(), 0755);

    const bool bRefused = RunAsOrdinaryUser([&] {
        CTextBuffer buffer;
        if (!buffer.LoadFile(path))
            return false;
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 0, 0, "changed ", nEndLine, nEndChar, EDITACT_TYPING);
        const FileResult result = buffer.SaveFile(path);
        return !result && result.strError == "Permission denied" && buffer.IsModified();
    });
    EXPECT_TRUE(bRefused);
    EXPECT_EQ(ReadBytes(path), "precious\n");
    size_t nEntries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(sub))
        ++nEntries;
    EXPECT_EQ(nEntries, 1u);
}

TEST(FileSave, TheSavedFileKeepsThePermissionBits) {
    TempDir dir;
    const std::string path = dir.File("script.zarn");
    WriteBytes(path, "x\n");
    for (mode_t mode : {0640, 0755, 0600, 0444}) {
        ::chmod(path.c_str(), mode);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(path));
        buffer.SetReadOnly(false);
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 0, 0, "y", nEndLine, nEndChar, EDITACT_TYPING);
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(ReadBytes(path), "yx\n");
        WriteBytes(path, "x\n");
    }
    // A new file gets the usual mode, not the temporary file's private one.
    const mode_t mask = ::umask(022);
    CTextBuffer buffer;
    FillBuffer(buffer, {"new"});
    ASSERT_TRUE(buffer.SaveFile(dir.File("new.zarn")));
    EXPECT_EQ(ModeOf(dir.File("new.zarn")), 0644u);
    ::umask(mask);
}

TEST(FileSave, SavingThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    const std::string target = dir.File("real/form.zarn");
    WriteBytes(target, "old\n");
    const std::string link = dir.File("link.zarn");
    ASSERT_EQ(::symlink("real/form.zarn", link.c_str()), 0);
    const std::string chain = dir.File("chain.zarn");
    ASSERT_EQ(::symlink(link.c_str(), chain.c_str()), 0);

    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(chain));
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, 3, "+new", nEndLine, nEndChar, EDITACT_TYPING);
    ASSERT_TRUE(buffer.SaveFile(chain));
    EXPECT_TRUE(IsSymlink(link));
    EXPECT_TRUE(IsSymlink(chain));
    EXPECT_EQ(ReadBytes(target), "old+new\n");
    // The temporary file was made next to the target, and nothing was left behind.
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"chain.zarn", "link.zarn", "real"}));

    // A dangling link: the file it names is created.
    const std::string dangling = dir.File("dangling.zarn");
    ASSERT_EQ(::symlink("real/fresh.zarn", dangling.c_str()), 0);
    ASSERT_TRUE(buffer.SaveFile(dangling));
    EXPECT_TRUE(IsSymlink(dangling));
    EXPECT_EQ(ReadBytes(dir.File("real/fresh.zarn")), "old+new\n");
}

TEST(FileSave, BackupKeepsTheOldFileAndReplacesAnOlderBackup) {
    TempDir dir;
    const std::string path = dir.File("a.txt");
    WriteBytes(path, "first\n");
    WriteBytes(path + ".bak", "ancient\n");

    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path));
    buffer.SetMakeBackup(true);
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, 0, "second ", nEndLine, nEndChar, EDITACT_TYPING);
    ASSERT_TRUE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "second first\n");
    EXPECT_EQ(ReadBytes(path + ".bak"), "first\n");

    // A failed save leaves both as they were.
    FailingOps ops(FailingOps::Step::Rename, EIO);
    buffer.SetFileOps(&ops);
    buffer.InsertTextAt(nullptr, 0, 0, "third ", nEndLine, nEndChar, EDITACT_TYPING);
    EXPECT_FALSE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "second first\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt", "a.txt.bak"}));
}

TEST(FileSave, LargeTextsWithLongLinesRoundTrip) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes +=
            "LINE " + std::to_string(i) + std::string(static_cast<size_t>(i % 300), '.') + "\n";
    bytes += std::string(3 << 20, 'L') + "\n" + std::string(1 << 20, 'M'); // beyond one write
    WriteBytes(dir.File("big.txt"), bytes);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("big.txt")));
    EXPECT_EQ(buffer.GetLineCount(), 2002);
    ASSERT_TRUE(buffer.SaveFile(dir.File("copy.txt")));
    EXPECT_EQ(ReadBytes(dir.File("copy.txt")), bytes);
}

} // namespace
