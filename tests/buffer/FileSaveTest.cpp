// Saving: styles, failures at every step that leave the old file intact, permissions,
// symbolic links and backups.
#include "BufferTestSupport.h"
#include "buffer/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Makes one chosen call of the save fail as the system would. It also tells where the copy
// of the old bytes of a save in place goes, and can deny the write permission of one path,
// which the superuser has everywhere.
class TestOps : public CFileOps {
public:
    enum class Step {
        None,
        MakeTemp,
        FirstWrite,
        DiskFull,
        Sync,
        Rename,
        TargetWriteOnce, // the first write to the target file in place
        TargetWrites,    // every write to it, those that put the old bytes back included
        TargetSyncOnce,
    };
    explicit TestOps(Step step = Step::None, int err = 0) : m_step(step), m_err(err) {}

    std::string strCache;
    std::string strUnwritable; // a path the user may not write, and why
    int errUnwritable = EACCES;
    std::string strTarget; // the file the Target steps fail on

    int MakeTemp(std::string& strTemplate) override {
        if (m_step == Step::MakeTemp)
            return Fail();
        return CFileOps::MakeTemp(strTemplate);
    }
    ssize_t Write(int fd, const void* pData, size_t nBytes) override {
        if (m_step == Step::FirstWrite || (m_step == Step::TargetWrites && IsTarget(fd)) ||
            (m_step == Step::TargetWriteOnce && IsTarget(fd) && !m_bFailed)) {
            m_bFailed = true;
            return Fail();
        }
        if (m_step == Step::DiskFull) {
            // Room for 100 bytes, then the device is full.
            if (m_nWritten >= 100)
                return Fail();
            nBytes = std::min<size_t>(nBytes, 100 - m_nWritten);
            m_nWritten += nBytes;
        }
        return CFileOps::Write(fd, pData, nBytes);
    }
    int Sync(int fd) override {
        if (m_step == Step::Sync ||
            (m_step == Step::TargetSyncOnce && IsTarget(fd) && !m_bFailed)) {
            m_bFailed = true;
            return Fail();
        }
        return CFileOps::Sync(fd);
    }
    int Rename(const std::string& from, const std::string& to) override {
        return m_step == Step::Rename ? Fail() : CFileOps::Rename(from, to);
    }
    int Access(const std::string& strPath, int nMode) override {
        if (strPath == strUnwritable && (nMode & W_OK)) {
            errno = errUnwritable;
            return -1;
        }
        return CFileOps::Access(strPath, nMode);
    }
    std::string CacheDirectory() override { return strCache; }

private:
    int Fail() {
        errno = m_err;
        return -1;
    }
    bool IsTarget(int fd) const {
        struct stat stFd;
        struct stat stTarget;
        return ::fstat(fd, &stFd) == 0 && ::stat(strTarget.c_str(), &stTarget) == 0 &&
               stFd.st_ino == stTarget.st_ino && stFd.st_dev == stTarget.st_dev;
    }
    Step m_step;
    int m_err;
    size_t m_nWritten = 0;
    bool m_bFailed = false;
};

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::vector<std::string> EntriesOf(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Loads the file, puts `text` before its first line and saves it back.
FileResult EditAndSave(const std::string& path, const std::string& text, CFileOps* pOps) {
    CTextBuffer buffer;
    if (FileResult result = buffer.LoadFile(path); !result)
        return result;
    buffer.SetReadOnly(false);
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, 0, text, nEndLine, nEndChar, EDITACT_TYPING);
    buffer.SetFileOps(pOps);
    return buffer.SaveFile(path);
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
        TestOps::Step step;
        int err;
        const char* reason;
    };
    const Case cases[] = {
        {"no temporary file", TestOps::Step::MakeTemp, EACCES, "Permission denied"},
        {"failed write", TestOps::Step::FirstWrite, EIO, "Input/output error"},
        {"disk full", TestOps::Step::DiskFull, ENOSPC, "No space left on device"},
        {"failed sync", TestOps::Step::Sync, EIO, "Input/output error"},
        {"failed rename", TestOps::Step::Rename, EXDEV, "Invalid cross-device link"},
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
        TestOps ops(c.step, c.err);
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

TEST(FileSave, ARenameIsUsedOnlyWhereItKeepsTheFileWhatItWas) {
    SaveFacts own;
    own.bExists = true;
    own.mode = S_IFREG | 0644;
    own.uidOwner = 1000;
    own.gidOwner = 1000;
    own.uidUser = 1000;
    own.groups = {1000};
    own.bMayWriteFile = true;
    own.bMayWriteDirectory = true;
    struct Case {
        const char* name;
        std::function<void(SaveFacts&)> change;
        SaveMethod method;
    };
    const Case cases[] = {
        {"the user's own file", [](SaveFacts&) {}, SaveMethod::Replace},
        {"with set-id bits", [](SaveFacts& f) { f.mode = S_IFREG | 06755; }, SaveMethod::Replace},
        {"a group of the user's other groups",
         [](SaveFacts& f) {
             f.gidOwner = 50;
             f.groups = {1000, 50};
         },
         SaveMethod::Replace},
        {"a new file", [](SaveFacts& f) { f = SaveFacts(); }, SaveMethod::Replace},
        {"a second hard link", [](SaveFacts& f) { f.nLinks = 2; }, SaveMethod::InPlace},
        {"a directory the user may not write", [](SaveFacts& f) { f.bMayWriteDirectory = false; },
         SaveMethod::InPlace},
        {"another user's file", [](SaveFacts& f) { f.uidOwner = 1001; }, SaveMethod::InPlace},
        {"a group the user is not in", [](SaveFacts& f) { f.gidOwner = 50; }, SaveMethod::InPlace},
        {"the superuser, another user's file",
         [](SaveFacts& f) {
             f.uidUser = 0;
             f.groups = {0};
             f.uidOwner = 1001;
             f.gidOwner = 50;
         },
         SaveMethod::Replace},
        {"the superuser, a second hard link",
         [](SaveFacts& f) {
             f.uidUser = 0;
             f.nLinks = 3;
         },
         SaveMethod::InPlace},
        {"a file the user may not write", [](SaveFacts& f) { f.bMayWriteFile = false; },
         SaveMethod::NotWritable},
        {"a FIFO", [](SaveFacts& f) { f.mode = S_IFIFO | 0666; }, SaveMethod::NotRegular},
        {"a device", [](SaveFacts& f) { f.mode = S_IFCHR | 0666; }, SaveMethod::NotRegular},
        {"a directory", [](SaveFacts& f) { f.mode = S_IFDIR | 0755; }, SaveMethod::NotRegular},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveFacts facts = own;
        c.change(facts);
        EXPECT_EQ(ChooseSaveMethod(facts), c.method);
    }
}

TEST(FileSave, OwnerGroupModeAndLinksSurviveTheSave) {
    struct Case {
        const char* name;
        bool bNeedsSuperuser;
        std::function<void(const TempDir&, const std::string&, TestOps&)> setUp;
        bool bInPlace;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"a second hard link",
         false,
         [](const TempDir& dir, const std::string& path, TestOps&) {
             ASSERT_EQ(::link(path.c_str(), dir.File("other.zarn").c_str()), 0);
         },
         true,
         {"cache", "doc.zarn", "other.zarn"}},
        {"another owner and group, set-id bits",
         true,
         [](const TempDir&, const std::string& path, TestOps&) {
             ASSERT_EQ(::chown(path.c_str(), 12345, 23456), 0);
             ASSERT_EQ(::chmod(path.c_str(), 06755), 0);
         },
         false,
         {"cache", "doc.zarn"}},
        {"a directory the user may not write",
         false,
         [](const TempDir& dir, const std::string& path, TestOps& ops) {
             ops.strUnwritable = dir.path();
             ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
         },
         true,
         {"cache", "doc.zarn"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bNeedsSuperuser && ::geteuid() != 0)
            continue;
        TempDir dir;
        const std::string path = dir.File("doc.zarn");
        WriteBytes(path, "old\n");
        TestOps ops;
        ops.strCache = dir.File("cache");
        ASSERT_EQ(::mkdir(ops.strCache.c_str(), 0700), 0);
        c.setUp(dir, path, ops);
        const struct stat before = StatOf(path);

        const FileResult result = EditAndSave(path, "new ", &ops);
        EXPECT_TRUE(result) << result.strError;
        const struct stat after = StatOf(path);
        EXPECT_EQ(ReadBytes(path), "new old\n");
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        EXPECT_EQ(after.st_ino == before.st_ino, c.bInPlace);
        EXPECT_EQ(dir.Entries(), c.entries);
        EXPECT_TRUE(std::filesystem::is_empty(ops.strCache));
        if (Exists(dir.File("other.zarn"))) {
            EXPECT_EQ(ReadBytes(dir.File("other.zarn")), "new old\n");
        }
    }
}

TEST(FileSave, AnOrdinaryUserSavesInPlaceWhereARenameWouldChangeTheFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to give files to another user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    // A shared folder the user may not write, holding the user's own set-user-ID file.
    const std::string shared = dir.File("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 0755), 0);
    const std::string mine = shared + "/mine.zarn";
    WriteBytes(mine, "mine\n");
    ASSERT_EQ(::chown(mine.c_str(), kNobody, kNoGroup), 0);
    ASSERT_EQ(::chmod(mine.c_str(), 04775), 0);
    const std::string stuck = shared + "/stuck.zarn";
    WriteBytes(stuck, "stuck\n");
    ASSERT_EQ(::chown(stuck.c_str(), kNobody, kNoGroup), 0);
    // The user's folder, holding another user's file the user may write through its group.
    const std::string own = dir.File("own");
    ASSERT_EQ(::mkdir(own.c_str(), 0755), 0);
    ASSERT_EQ(::chown(own.c_str(), kNobody, kNoGroup), 0);
    const std::string theirs = own + "/theirs.zarn";
    WriteBytes(theirs, "theirs\n");
    ASSERT_EQ(::chown(theirs.c_str(), 0, kNoGroup), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 0664), 0);
    const std::string cache = dir.File("cache");
    ASSERT_EQ(::mkdir(cache.c_str(), 0755), 0);
    ASSERT_EQ(::chown(cache.c_str(), kNobody, kNoGroup), 0);

    const bool bSaved = RunAsOrdinaryUser([&] {
        TestOps ops;
        ops.strCache = cache + "/zarneditor";
        // Nowhere to keep a copy of the old text: refused, and nothing is touched.
        TestOps nowhere;
        nowhere.strCache = shared + "/cache";
        const FileResult refused = EditAndSave(stuck, "x", &nowhere);
        return EditAndSave(mine, "new ", &ops) && EditAndSave(theirs, "new ", &ops) && !refused &&
               refused.strError ==
                   "cannot keep a copy of the old text in " + shared + "/cache: Permission denied";
    });
    EXPECT_TRUE(bSaved);
    EXPECT_EQ(ReadBytes(mine), "new mine\n");
    EXPECT_EQ(StatOf(mine).st_uid, kNobody);
    EXPECT_EQ(ModeOf(mine), 04775u);
    EXPECT_EQ(ReadBytes(theirs), "new theirs\n");
    EXPECT_EQ(StatOf(theirs).st_uid, 0u);
    EXPECT_EQ(StatOf(theirs).st_gid, kNoGroup);
    EXPECT_EQ(ModeOf(theirs), 0664u);
    EXPECT_EQ(ReadBytes(stuck), "stuck\n");
    EXPECT_EQ(EntriesOf(shared), (std::vector<std::string>{"mine.zarn", "stuck.zarn"}));
    EXPECT_EQ(EntriesOf(own), std::vector<std::string>{"theirs.zarn"});
    // The copy of the old bytes was kept in the cache until the save succeeded.
    EXPECT_TRUE(std::filesystem::is_empty(cache + "/zarneditor"));
}

TEST(FileSave, AFailedSaveInPlacePutsTheOldBytesBack) {
    struct Case {
        const char* name;
        TestOps::Step step;
        const char* reason;
        bool bKeptInCache;
    };
    const Case cases[] = {
        {"failed write", TestOps::Step::TargetWriteOnce, "Input/output error", false},
        {"failed sync", TestOps::Step::TargetSyncOnce, "Input/output error", false},
        {"no copy of the old text", TestOps::Step::MakeTemp, "cannot keep a copy", false},
        {"failed write, old text not put back", TestOps::Step::TargetWrites,
         "Input/output error; the old text could not be put back (Input/output error) and is "
         "kept in ",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("doc.zarn");
        const std::string old = "old text\r\nkept\r\n";
        WriteBytes(path, old);
        ::chmod(path.c_str(), 0640);
        const struct stat before = StatOf(path);

        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(path));
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 0, 0, std::string(5000, 'n'), nEndLine, nEndChar,
                            EDITACT_PASTE);
        TestOps ops(c.step, c.step == TestOps::Step::MakeTemp ? EACCES : EIO);
        ops.strUnwritable = dir.path();
        ops.strCache = dir.File("cache/zarneditor");
        ops.strTarget = path;
        buffer.SetFileOps(&ops);

        const FileResult result = buffer.SaveFile(path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError.rfind(c.reason, 0), 0u) << result.strError;
        EXPECT_TRUE(buffer.IsModified());
        EXPECT_EQ(buffer.GetSavedHistoryPos(), 0);
        EXPECT_EQ(StatOf(path).st_ino, before.st_ino);
        EXPECT_EQ(ModeOf(path), 0640u);
        const std::vector<std::string> kept =
            Exists(ops.strCache) ? EntriesOf(ops.strCache) : std::vector<std::string>();
        if (c.bKeptInCache) {
            // Where the old bytes are is said, and they are there.
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].rfind("doc.zarn.CRE", 0), 0u);
            const std::string copy = ops.strCache + "/" + kept[0];
            EXPECT_EQ(result.strError.substr(result.strError.size() - copy.size()), copy);
            EXPECT_EQ(ReadBytes(copy), old);
        } else {
            EXPECT_EQ(ReadBytes(path), old);
            EXPECT_TRUE(kept.empty());
        }
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"cache", "doc.zarn"}));
    }
}

TEST(FileSave, AFileTheUserMayNotWriteIsRefusedWithTheReason) {
    TempDir dir;
    const std::string path = dir.File("doc.zarn");
    WriteBytes(path, "old\n");
    for (const int err : {EACCES, EROFS}) {
        TestOps ops;
        ops.strUnwritable = path;
        ops.errUnwritable = err;
        const FileResult result = EditAndSave(path, "new ", &ops);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError, std::strerror(err));
        EXPECT_EQ(ReadBytes(path), "old\n");
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"doc.zarn"});
    }
}

TEST(FileSave, OnlyRegularFilesAreReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", dir.File("link").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0755), 0);
    // A device node of its own (making one needs the superuser): a fault here must never
    // reach the system's.
    const bool bDevice = ::mknod(dir.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {dir.File("fifo"), "not a regular file"},
        {dir.File("link"), "not a regular file"},
        {dir.File("null"), "not a regular file"},
        {dir.File("folder"), "Is a directory"},
    };
    CTextBuffer buffer;
    FillBuffer(buffer, {"text"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.path == dir.File("null") && !bDevice)
            continue;
        const FileResult saved = buffer.SaveFile(c.path);
        EXPECT_FALSE(saved);
        EXPECT_EQ(saved.strError, c.reason);
        const FileResult exported = buffer.ExportVey(c.path);
        EXPECT_FALSE(exported);
        EXPECT_EQ(exported.strError, c.reason);
    }
    struct stat st;
    ASSERT_EQ(::stat(dir.File("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (bDevice) {
        ASSERT_EQ(::stat(dir.File("null").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    std::vector<std::string> entries = dir.Entries();
    entries.erase(std::remove(entries.begin(), entries.end(), "null"), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"fifo", "folder", "link"}));
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
    TestOps ops(TestOps::Step::Rename, EIO);
    buffer.SetFileOps(&ops);
    buffer.InsertTextAt(nullptr, 0, 0, "third ", nEndLine, nEndChar, EDITACT_TYPING);
    EXPECT_FALSE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "second first\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt", "a.txt.bak"}));

    // Saved in place (the file has a second link), the copy of the old bytes is the backup.
    ASSERT_EQ(::link(path.c_str(), dir.File("b.txt").c_str()), 0);
    buffer.SetFileOps(nullptr);
    ASSERT_TRUE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(dir.File("b.txt")), "third second first\n");
    EXPECT_EQ(ReadBytes(path + ".bak"), "second first\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt", "a.txt.bak", "b.txt"}));
}

TEST(FileSave, EditedLoadedTextsAreWrittenByteForByte) {
    // Unchanged lines go out in runs straight from the loaded file; each case breaks a run
    // in another way.
    const auto insert = [](int nLine, int nChar, const char* text) {
        return [=](CTextBuffer& buffer) {
            int nEndLine, nEndChar;
            buffer.InsertTextAt(nullptr, nLine, nChar, text, nEndLine, nEndChar, EDITACT_TYPING);
        };
    };
    const auto erase = [](int nStartLine, int nStartChar, int nEndLine, int nEndChar) {
        return [=](CTextBuffer& buffer) {
            buffer.DeleteRange(nullptr, nStartLine, nStartChar, nEndLine, nEndChar, EDITACT_DELETE);
        };
    };
    const auto none = [](CTextBuffer&) {};
    const std::string crlf = "one\r\ntwo\r\nthree\r\nfour\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::function<void(CTextBuffer&)> edit;
        int nStyle;
    };
    const Case cases[] = {
        {"unchanged", crlf, none, EOL_AUTO},
        {"saved as LF", crlf, none, EOL_LF},
        {"saved as LF CR", crlf, none, EOL_LFCR},
        {"end of a line cut", crlf, erase(1, 1, 1, 3), EOL_AUTO},
        {"end of a line cut, saved as LF", crlf, erase(1, 1, 1, 3), EOL_LF},
        {"a line deleted", crlf, erase(1, 0, 2, 0), EOL_AUTO},
        {"lines joined", crlf, erase(0, 3, 1, 0), EOL_AUTO},
        {"a line broken", crlf, insert(2, 2, "\r\n"), EOL_AUTO},
        {"first line typed in", crlf, insert(0, 0, "x"), EOL_AUTO},
        {"last line typed in", crlf, insert(4, 0, "x"), EOL_AUTO},
        {"empty lines", "\r\n\r\n\r\n", insert(1, 0, "a"), EOL_LF},
        {"carriage returns inside LF lines", "a\r\nb\rc\n\r\n", none, EOL_CRLF},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.File("in.txt"), c.bytes);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("in.txt")));
        c.edit(buffer);
        const int nStyle = c.nStyle == EOL_AUTO ? buffer.GetEolStyle() : c.nStyle;
        ASSERT_TRUE(buffer.SaveFile(dir.File("out.txt"), c.nStyle));
        EXPECT_EQ(ReadBytes(dir.File("out.txt")), TextOf(buffer, std::string(EolString(nStyle))));
    }
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
