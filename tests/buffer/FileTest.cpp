// Loading, saving and the Vey export: line-end detection, byte-for-byte round trips, refusals,
// failures at every step that leave the old file intact, permissions, owners, links, backups.
#include "BufferTestSupport.h"
#include "buffer/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/sysmacros.h>
#include <tuple>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(FileLoad, EveryStyleLoadsAsDetectedAndSavesBackByteForByte) {
    const std::string w(40000, 'w'); // longer than a 32768-byte chunk: the first LF decides
    const std::string nul(1, '\0');
    struct Case {
        std::string bytes;
        int nStyle;
        Lines lines;
    };
    std::vector<Case> cases = {
        {"ab\r\ncd\r\n", EOL_CRLF, {"ab", "cd", ""}},
        {"ab\ncd\r\nef", EOL_LF, {"ab", "cd\r", "ef"}},
        {"ab\n\rcd\n\ref\n", EOL_LFCR, {"ab", "cd", "ef\n"}},
        {"ab\rcd\ref\r", EOL_CRLF, {"ab\rcd\ref\r"}}, // CR alone ends no line
        {"x\r\ny", EOL_CRLF, {"x", "y"}},
        {"", EOL_CRLF, {""}},
        {"\n", EOL_LF, {"", ""}},
        {"a\rb\r\nc\nd\r\n", EOL_CRLF, {"a\rb", "c\nd", ""}},
        {"a\r\r\nb\r\r\r\nc", EOL_CRLF, {"a\r\r\nb\r\r", "c"}}, // the 2nd CR breaks a match
        {"a" + nul + "b\r\n" + nul + nul + "\r\nc" + nul,
         EOL_CRLF,
         {"a" + nul + "b", nul + nul, "c" + nul}},
        {w + "\nnext\n", EOL_LF, {w, "next", ""}},
        {w + "\n\rz", EOL_LFCR, {w, "z"}},
        {w + "\r" + w + "\r", EOL_CRLF, {w + "\r" + w + "\r"}},
        {w + "\r\nz", EOL_CRLF, {w, "z"}},
        {"a\r\nb\nc\rd\n\re\r\n", EOL_CRLF, {"a", "b\nc\rd\n\re", ""}},
    };
    // CR LF pairs that straddle every offset around the chunk size.
    for (size_t n = 32760; n < 32772; ++n) {
        const std::string q(n - 12, 'q');
        cases.push_back({std::string(10, 'q') + "\r\n" + q + "\r\ntail\r\n\r\n",
                         EOL_CRLF,
                         {std::string(10, 'q'), q, "tail", "", ""}});
    }
    TempDir dir;
    const std::string path = dir.File("round.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 30) + " size " + std::to_string(c.bytes.size()));
        CTextBuffer buffer;
        RecordingListener view;
        buffer.AttachView(&view);
        ASSERT_TRUE(LoadBytes(buffer, path, c.bytes));
        EXPECT_EQ(buffer.GetEolStyle(), c.nStyle);
        EXPECT_EQ(LinesOf(buffer), c.lines);
        EXPECT_FALSE(buffer.IsModified() || buffer.IsReadOnly());
        EXPECT_EQ(view.updates, Lines{". h1000 L-1"});
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), c.bytes);
        buffer.DetachView(&view);
    }
    // A given style is used as it is.
    CTextBuffer buffer;
    WriteBytes(path, w + "\nrest\n");
    ASSERT_TRUE(buffer.LoadFile(path, EOL_CRLF));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(buffer.GetLineCount(), 1);
}

// More than memory and swap together, made sparse so that it takes no room on disk.
constexpr off_t kHugeFile = off_t{1} << 42;

bool MemoryHoldsHugeFile() {
    struct sysinfo info;
    return ::sysinfo(&info) != 0 ||
           (static_cast<double>(info.totalram) + static_cast<double>(info.totalswap)) *
                   info.mem_unit >=
               static_cast<double>(kHugeFile);
}

TEST(FileLoad, WhatCannotBeLoadedIsRefusedAndTheBufferKept) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    WriteBytes(dir.File("huge.txt"), "");
    ASSERT_EQ(::truncate(dir.File("huge.txt").c_str(), kHugeFile), 0);
    const std::pair<std::string, const char*> cases[] = {
        {dir.File("missing.txt"), "No such file or directory"},
        {dir.path(), "Is a directory"},
        {dir.File("fifo"), "not a regular file"}, // without a writer
        {"/dev/zero", "not a regular file"},      // endless
        {dir.File("huge.txt"), "not enough memory"},
    };
    CTextBuffer buffer;
    FillBuffer(buffer, {"keep", "me"});
    RecordingListener view;
    buffer.AttachView(&view);
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        if (path == dir.File("huge.txt") && MemoryHoldsHugeFile())
            continue;
        const FileResult result = buffer.LoadFile(path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError, reason);
        EXPECT_EQ(LinesOf(buffer), (Lines{"keep", "me"}));
    }
    EXPECT_TRUE(view.updates.empty());
    // A file that loads replaces the lines.
    ASSERT_TRUE(LoadBytes(buffer, dir.File("good.txt"), "new\r\ntext"));
    EXPECT_EQ(LinesOf(buffer), (Lines{"new", "text"}));
    buffer.DetachView(&view);
}

TEST(FileLoad, LinesBeyondTheLimitsAreRefused) {
    const struct {
        std::string bytes;
        int nStyle;
        LineLimits limits;
        const char* refusal;
        Lines passed; // the lines passed on before the refusal
    } cases[] = {
        {"ab\ncde\n", EOL_LF, {3, 3}, nullptr, {"ab", "cde", ""}},
        {"ab\ncdef\ng", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}}, // one byte too long
        {"ab\ncdef", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}},    // the last line
        {"abc\r\nabc", EOL_CRLF, {3, 2}, nullptr, {"abc", "abc"}}, // the line end does not count
        {"a\nb\nc\n", EOL_LF, {3, 3}, REASON_TOO_MANY_LINES, {"a", "b", "c"}},
        {"a\nb\n", EOL_LF, {1, 2}, REASON_TOO_MANY_LINES, {"a", "b"}}, // the empty last line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Lines passed;
        EXPECT_EQ(SplitLinesWithin(c.bytes.data(), c.bytes.size(), c.nStyle, c.limits,
                                   [&](const char* p, size_t n) { passed.emplace_back(p, n); }),
                  c.refusal);
        EXPECT_EQ(passed, c.passed);
    }
    // Lines of 2 GiB are beyond what the buffer indexes with an int.
    EXPECT_LT(kBufferLineLimits.nMaxLength, size_t{1} << 31);
    EXPECT_LE(kBufferLineLimits.nMaxCount, size_t{INT_MAX});
}

TEST(FileLoad, InitEmptyGivesOneEmptyLineAndAFreshHistory) {
    CTextBuffer buffer;
    RecordingListener view;
    buffer.AttachView(&view);
    EXPECT_FALSE(buffer.IsInitialized());
    ASSERT_TRUE(buffer.InitEmpty(EOL_LF));
    EXPECT_TRUE(buffer.IsInitialized());
    EXPECT_EQ(LinesOf(buffer), (Lines{""}));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(view.updates, Lines{". h1000 L-1"});
    Apply(buffer, {{0, 0, "x"}});
    buffer.Clear();
    EXPECT_FALSE(buffer.IsInitialized());
    EXPECT_EQ(buffer.GetLineCount(), 0);
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_EQ(view.updates.size(), 2u); // Clear notifies nobody
    buffer.DetachView(&view);
}

using namespace std::string_literals;
using Names = std::vector<std::string>;

// Makes calls of the save fail as the system would: every call of one kind, or only those on
// the file strTarget, or only the first of those; or the disk is full after nRoom bytes. It
// also tells where the copy of the old bytes of a save in place goes, and can deny the write
// permission of one path (which the superuser has everywhere).
class TestOps : public CFileOps {
public:
    enum Call { None, MakeTemp_, Write_, Sync_, Rename_ };
    explicit TestOps(Call call = None, int err = 0, bool bOnce = false)
        : m_call(call), m_err(err), m_bOnce(bOnce) {}
    std::string strCache, strUnwritable, strTarget;
    int errUnwritable = EACCES;
    size_t nRoom = SIZE_MAX;

    int MakeTemp(std::string& strTemplate) override {
        return Fails(MakeTemp_, -1) ? -1 : CFileOps::MakeTemp(strTemplate);
    }
    ssize_t Write(int fd, const void* pData, size_t nBytes) override {
        if (Fails(Write_, fd) || (m_nWritten >= nRoom && Fails(None, fd)))
            return -1;
        nBytes = std::min(nBytes, nRoom - m_nWritten);
        m_nWritten += nBytes;
        return CFileOps::Write(fd, pData, nBytes);
    }
    int Sync(int fd) override { return Fails(Sync_, fd) ? -1 : CFileOps::Sync(fd); }
    int Rename(const std::string& from, const std::string& to) override {
        return Fails(Rename_, -1) ? -1 : CFileOps::Rename(from, to);
    }
    int Access(const std::string& strPath, int nMode) override {
        if (strPath != strUnwritable || !(nMode & W_OK))
            return CFileOps::Access(strPath, nMode);
        errno = errUnwritable;
        return -1;
    }
    std::string CacheDirectory() override { return strCache; }

private:
    bool Fails(Call call, int fd) {
        struct stat stFd, stTarget;
        if (call != m_call || (m_bOnce && m_bFailed) ||
            (fd >= 0 && !strTarget.empty() &&
             (::fstat(fd, &stFd) != 0 || ::stat(strTarget.c_str(), &stTarget) != 0 ||
              stFd.st_ino != stTarget.st_ino || stFd.st_dev != stTarget.st_dev)))
            return false;
        m_bFailed = true;
        errno = m_err;
        return true;
    }
    Call m_call;
    int m_err;
    bool m_bOnce, m_bFailed = false;
    size_t m_nWritten = 0;
};

struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

mode_t ModeOf(const std::string& path) {
    return StatOf(path).st_mode & 07777;
}

Names EntriesOf(const std::string& directory) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Loads the file, puts `text` before its first line and saves it back.
FileResult EditAndSave(const std::string& path, const std::string& text, CFileOps* pOps) {
    CTextBuffer buffer;
    if (FileResult result = buffer.LoadFile(path); !result)
        return result;
    buffer.SetReadOnly(false);
    Apply(buffer, {{0, 0, text}});
    buffer.SetFileOps(pOps);
    return buffer.SaveFile(path);
}

TEST(FileSave, EditedLoadedTextsAreWrittenByteForByteInTheStyleAsked) {
    // Unchanged lines go out in runs straight from the loaded file; each case breaks a run
    // in another way. Lines point into the loaded block until changed: edits must not spill
    // over into their neighbours.
    const std::string crlf = "one\r\ntwo\r\nthree\r\nfour\r\n", late(33000, 'x');
    const std::tuple<std::string, std::vector<Edit>, int, std::string> cases[] = {
        {crlf, {}, EOL_AUTO, crlf},
        {crlf, {}, EOL_LF, "one\ntwo\nthree\nfour\n"},
        {crlf, {}, EOL_LFCR, "one\n\rtwo\n\rthree\n\rfour\n\r"},
        {crlf, {Del(1, 1, 1, 3)}, EOL_AUTO, "one\r\nt\r\nthree\r\nfour\r\n"}, // end of a line cut
        {crlf, {Del(1, 1, 1, 3)}, EOL_LF, "one\nt\nthree\nfour\n"},
        {crlf, {Del(1, 0, 2, 0)}, EOL_AUTO, "one\r\nthree\r\nfour\r\n"}, // a line deleted
        {crlf, {Del(0, 3, 1, 0)}, EOL_AUTO, "onetwo\r\nthree\r\nfour\r\n"},
        {crlf, {{2, 2, "\r\n"}}, EOL_AUTO, "one\r\ntwo\r\nth\r\nree\r\nfour\r\n"},
        {crlf, {{0, 0, "x"}}, EOL_AUTO, "xone\r\ntwo\r\nthree\r\nfour\r\n"},
        {crlf, {{4, 0, "x"}}, EOL_AUTO, crlf + "x"},
        {"\r\n\r\n\r\n", {{1, 0, "a"}}, EOL_LF, "\na\n\n"},
        {"a\r\nb\rc\n\r\n", {}, EOL_CRLF, "a\r\nb\rc\n\r\n"}, // CRs inside LF lines
        {"abc\ndef\nghi\n",
         {{0, 3, "XYZ"}, Del(1, 0, 1, 2), {2, 1, "\r"}},
         EOL_AUTO,
         "abcXYZ\nf\ng\nhi\n"},
        // The first line feed lies beyond the first 32768 bytes: no mixed line ends.
        {late + "\nrest\n", {{1, 0, "\r\n"}}, EOL_AUTO, late + "\n\nrest\n"},
    };
    TempDir dir;
    for (const auto& [bytes, edits, nStyle, saved] : cases) {
        SCOPED_TRACE(saved.substr(0, 30));
        CTextBuffer buffer;
        ASSERT_TRUE(LoadBytes(buffer, dir.File("in.txt"), bytes));
        const int nLoaded = buffer.GetEolStyle();
        ASSERT_TRUE(Apply(buffer, edits));
        ASSERT_TRUE(buffer.SaveFile(dir.File("out.txt"), nStyle));
        EXPECT_EQ(ReadBytes(dir.File("out.txt")), saved);
        EXPECT_EQ(buffer.GetEolStyle(), nLoaded); // an explicit style is for that save only
        EXPECT_EQ(dir.Entries(), (Names{"in.txt", "out.txt"}));
    }
    // Large texts with long lines, beyond one write.
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes +=
            "LINE " + std::to_string(i) + std::string(static_cast<size_t>(i % 300), '.') + "\n";
    bytes += std::string(3 << 20, 'L') + "\n" + std::string(1 << 20, 'M');
    CTextBuffer buffer;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("big.txt"), bytes));
    EXPECT_EQ(buffer.GetLineCount(), 2002);
    ASSERT_TRUE(buffer.SaveFile(dir.File("copy.txt")));
    EXPECT_EQ(ReadBytes(dir.File("copy.txt")), bytes);
    // A buffer that was never loaded; a new file gets the usual mode, not the temporary
    // file's private one.
    const mode_t mask = ::umask(022);
    FillBuffer(buffer, {"a", "b"});
    for (const auto& [nStyle, saved] :
         {std::pair{EOL_LF, "a\nb"}, {EOL_LFCR, "a\n\rb"}, {EOL_AUTO, "a\r\nb"}}) {
        ASSERT_TRUE(buffer.SaveFile(dir.File("new.txt"), nStyle));
        EXPECT_EQ(ReadBytes(dir.File("new.txt")), saved);
        EXPECT_EQ(ModeOf(dir.File("new.txt")), 0644u);
    }
    ::umask(mask);
}

// A save that fails at any step leaves the old file as it was and nothing behind, also when
// it rewrites the file in place (here because the directory may not be written): there the
// old bytes are put back, or when even that fails kept in the cache, and where is said.
TEST(FileSave, EveryFailingStepLeavesTheOldFileAndNoTemporaryFile) {
    using T = TestOps;
    const std::tuple<T::Call, int, bool, bool, const char*> cases[] = {
        {T::MakeTemp_, EACCES, false, false, "Permission denied"},
        {T::Write_, EIO, false, false, "Input/output error"},
        {T::None, ENOSPC, false, false, "No space left on device"}, // full after 100 bytes
        {T::Sync_, EIO, false, false, "Input/output error"},
        {T::Rename_, EXDEV, false, false, "Invalid cross-device link"},
        {T::Write_, EIO, true, true, "Input/output error"},
        {T::Sync_, EIO, true, true, "Input/output error"},
        {T::MakeTemp_, EACCES, true, false, "cannot keep a copy"},
        {T::Write_, EIO, true, false, // every write to the file, even to put the old bytes back
         "Input/output error; the old text could not be put back (Input/output error) and is "
         "kept in "},
    };
    const std::string old = "old text\r\nkept\r\n";
    for (const auto& [call, err, bInPlace, bOnce, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        const std::string path = dir.File("doc.zarn");
        WriteBytes(path, old);
        ::chmod(path.c_str(), 0640);
        const ino_t ino = StatOf(path).st_ino;
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(path));
        Apply(buffer, {{0, 0, std::string(5000, 'n')}}, EDITACT_PASTE);
        T ops(call, err, bOnce), exportOps(call, err, bOnce);
        if (err == ENOSPC)
            ops.nRoom = 100, exportOps.nRoom = 10;
        if (bInPlace) {
            ops.strUnwritable = dir.path();
            ops.strCache = dir.File("cache/zarneditor");
            ops.strTarget = path;
        }
        std::string strError; // of the save
        for (int nPass = 0; nPass < (bInPlace ? 1 : 2); ++nPass) {
            const bool bExport = nPass == 1;
            buffer.SetFileOps(bExport ? &exportOps : &ops);
            const FileResult result = bExport ? buffer.ExportVey(path) : buffer.SaveFile(path);
            EXPECT_FALSE(result);
            EXPECT_EQ(result.strError.rfind(reason, 0), 0u) << result.strError;
            strError = bExport ? strError : result.strError;
            EXPECT_TRUE(buffer.IsModified());
            EXPECT_EQ(buffer.GetSavedHistoryPos(), 0);
            EXPECT_EQ(StatOf(path).st_ino, ino);
            EXPECT_EQ(ModeOf(path), 0640u);
        }
        const Names kept = Exists(ops.strCache) ? EntriesOf(ops.strCache) : Names();
        if (!std::string_view(reason).ends_with("kept in ")) {
            EXPECT_EQ(ReadBytes(path), old);
            EXPECT_EQ(kept.size(), 0u);
        } else {
            // Where the old bytes are is said, and they are there.
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].rfind("doc.zarn.CRE", 0), 0u);
            const std::string copy = ops.strCache + "/" + kept[0];
            EXPECT_EQ(strError.substr(strError.size() - copy.size()), copy);
            EXPECT_EQ(ReadBytes(copy), old);
        }
        EXPECT_EQ(dir.Entries(), (bInPlace ? Names{"cache", "doc.zarn"} : Names{"doc.zarn"}));
        buffer.SetFileOps(nullptr);
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), std::string(5000, 'n') + old);
    }
}

TEST(FileSave, ARenameIsUsedOnlyWhereItKeepsTheFileWhatItWas) {
    SaveFacts own;
    own.bExists = own.bMayWriteFile = own.bMayWriteDirectory = true;
    own.mode = S_IFREG | 0644;
    own.uidOwner = own.gidOwner = own.uidUser = 1000;
    own.groups = {1000};
    using F = SaveFacts&;
    using M = SaveMethod;
    const std::tuple<const char*, void (*)(SaveFacts&), SaveMethod> cases[] = {
        {"the user's own file", [](F) {}, M::Replace},
        {"with set-id bits", [](F f) { f.mode = S_IFREG | 06755; }, M::Replace},
        {"a group of the user's others", [](F f) { f.gidOwner = 50, f.groups.push_back(50); },
         M::Replace},
        {"a new file", [](F f) { f = SaveFacts(); }, M::Replace},
        {"a second hard link", [](F f) { f.nLinks = 2; }, M::InPlace},
        {"an unwritable directory", [](F f) { f.bMayWriteDirectory = false; }, M::InPlace},
        {"another user's file", [](F f) { f.uidOwner = 1001; }, M::InPlace},
        {"a group the user is not in", [](F f) { f.gidOwner = 50; }, M::InPlace},
        {"the superuser, another user's file",
         [](F f) { f.uidUser = 0, f.groups = {0}, f.uidOwner = 1001, f.gidOwner = 50; },
         M::Replace},
        {"the superuser, a third link", [](F f) { f.uidUser = 0, f.nLinks = 3; }, M::InPlace},
        {"an unwritable file", [](F f) { f.bMayWriteFile = false; }, M::NotWritable},
        {"a FIFO", [](F f) { f.mode = S_IFIFO | 0666; }, M::NotRegular},
        {"a device", [](F f) { f.mode = S_IFCHR | 0666; }, M::NotRegular},
        {"a directory", [](F f) { f.mode = S_IFDIR | 0755; }, M::NotRegular},
    };
    for (const auto& [name, change, method] : cases) {
        SaveFacts facts = own;
        change(facts);
        EXPECT_EQ(ChooseSaveMethod(facts), method) << name;
    }
}

// Owner, group, mode and links stay what they were: a hard link, another owner and group
// with set-id bits (needs the superuser) and an unwritable directory make the save rewrite
// the file in place; the others replace it.
TEST(FileSave, OwnerGroupModeAndLinksSurviveTheSave) {
    enum { Plain, HardLink, OtherOwner, UnwritableDirectory };
    const std::tuple<int, mode_t, bool> cases[] = {
        {HardLink, 0644, true}, {OtherOwner, 06755, false}, {UnwritableDirectory, 0604, true},
        {Plain, 0640, false},   {Plain, 0755, false},       {Plain, 0600, false},
        {Plain, 0444, false},
    };
    for (const auto& [setUp, mode, bInPlace] : cases) {
        SCOPED_TRACE(testing::Message() << setUp << " " << mode);
        if (setUp == OtherOwner && ::geteuid() != 0)
            continue;
        TempDir dir;
        const std::string path = dir.File("doc.zarn"), other = dir.File("other.zarn");
        WriteBytes(path, "old\n");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        TestOps ops;
        ops.strCache = dir.File("cache");
        ASSERT_EQ(::mkdir(ops.strCache.c_str(), 0700), 0);
        Names entries = {"cache", "doc.zarn"};
        if (setUp == HardLink) {
            ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
            entries.push_back("other.zarn");
        }
        if (setUp == OtherOwner) { // chown clears the set-id bits
            ASSERT_EQ(::chown(path.c_str(), 12345, 23456), 0);
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        }
        if (setUp == UnwritableDirectory)
            ops.strUnwritable = dir.path();
        const struct stat before = StatOf(path);
        const FileResult result = EditAndSave(path, "new ", &ops);
        EXPECT_TRUE(result) << result.strError;
        const struct stat after = StatOf(path);
        EXPECT_EQ(ReadBytes(path), "new old\n");
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                  std::tie(before.st_uid, before.st_gid, before.st_mode, before.st_nlink));
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_ino == before.st_ino, bInPlace);
        EXPECT_EQ(dir.Entries(), entries);
        EXPECT_TRUE(std::filesystem::is_empty(ops.strCache));
        if (setUp == HardLink) {
            EXPECT_EQ(ReadBytes(other), "new old\n");
            // An export sees both names of the file too.
            CTextBuffer buffer;
            FillBuffer(buffer, {"form 1"});
            ASSERT_TRUE(buffer.ExportVey(path));
            EXPECT_EQ(ReadBytes(other), "atom$form 1\r\n");
        }
    }
}

TEST(FileSave, AnOrdinaryUserSavesInPlaceWhereARenameWouldChangeTheFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to give files to another user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    constexpr uid_t kNobody = 65534;
    constexpr gid_t kNoGroup = 65534;
    const std::string shared = dir.File("shared"), own = dir.File("own"), cache = dir.File("cache");
    // In a shared folder the user may not write, the user's own set-user-ID file and one
    // that cannot be saved, as there is nowhere to keep a copy of its old text; in the user's
    // folder, another user's file the user may write through its group.
    const std::tuple<std::string, uid_t, gid_t, mode_t, const char*, const char*> files[] = {
        {shared, 0, 0, 0755, nullptr, nullptr},
        {own, kNobody, kNoGroup, 0755, nullptr, nullptr},
        {cache, kNobody, kNoGroup, 0755, nullptr, nullptr},
        {shared + "/mine.zarn", kNobody, kNoGroup, 04775, "mine\n", "new mine\n"},
        {shared + "/stuck.zarn", kNobody, kNoGroup, 0644, "stuck\n", "stuck\n"},
        {own + "/theirs.zarn", 0, kNoGroup, 0664, "theirs\n", "new theirs\n"},
    };
    for (const auto& [path, uid, gid, mode, old, saved] : files) {
        if (old)
            WriteBytes(path, old);
        ASSERT_TRUE((old || ::mkdir(path.c_str(), mode) == 0) &&
                    ::chown(path.c_str(), uid, gid) == 0 && ::chmod(path.c_str(), mode) == 0);
    }
    EXPECT_TRUE(RunAsOrdinaryUser([&] {
        TestOps ops, nowhere;
        ops.strCache = cache + "/zarneditor";
        nowhere.strCache = shared + "/cache";
        const FileResult refused = EditAndSave(shared + "/stuck.zarn", "x", &nowhere);
        return EditAndSave(shared + "/mine.zarn", "new ", &ops) &&
               EditAndSave(own + "/theirs.zarn", "new ", &ops) && !refused &&
               refused.strError ==
                   "cannot keep a copy of the old text in " + shared + "/cache: Permission denied";
    }));
    for (const auto& [path, uid, gid, mode, old, saved] : files) {
        SCOPED_TRACE(path);
        EXPECT_EQ(std::tuple(StatOf(path).st_uid, StatOf(path).st_gid, ModeOf(path)),
                  std::tuple(uid, gid, mode));
        if (saved) {
            EXPECT_EQ(ReadBytes(path), saved);
        }
    }
    EXPECT_EQ(EntriesOf(shared), (Names{"mine.zarn", "stuck.zarn"}));
    EXPECT_EQ(EntriesOf(own), Names{"theirs.zarn"});
    // The copy of the old bytes was kept in the cache until the save succeeded.
    EXPECT_TRUE(std::filesystem::is_empty(cache + "/zarneditor"));
}

TEST(FileSave, AFileTheUserMayNotWriteLoadsReadOnlyAndIsNeverReplaced) {
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
    }
    ::chmod(path.c_str(), 0444);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_TRUE(buffer.IsReadOnly());
    // Another user's file, writable by its owner only, in a folder the user may write: it
    // loads read-only and an export does not replace it.
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0777);
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  CTextBuffer other;
                  const bool bReadOnly = other.LoadFile(path) && other.IsReadOnly();
                  const FileResult result = other.ExportVey(path);
                  return bReadOnly && !result && result.strError == std::strerror(EACCES);
              }),
              ::geteuid() == 0);
    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_FALSE(buffer.IsReadOnly());
    EXPECT_EQ(ReadBytes(path), "old\n");
    EXPECT_EQ(dir.Entries(), Names{"doc.zarn"});
}

TEST(FileSave, OnlyRegularFilesAreReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", dir.File("link").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0755), 0);
    WriteBytes(dir.File("plain"), "x");
    // A device node of its own (making one needs the superuser): a fault here must never
    // reach the system's.
    const bool bDevice = ::mknod(dir.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const std::pair<std::string, const char*> cases[] = {
        {"fifo", "not a regular file"},        {"link", "not a regular file"},
        {"null", "not a regular file"},        {"folder", "Is a directory"},
        {"plain/form.vey", "Not a directory"},
    };
    CTextBuffer buffer;
    FillBuffer(buffer, {"text"});
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        if (name == "null" && !bDevice)
            continue;
        for (const FileResult& result :
             {buffer.SaveFile(dir.File(name)), buffer.ExportVey(dir.File(name))}) {
            EXPECT_FALSE(result);
            EXPECT_EQ(result.strError, reason);
        }
    }
    EXPECT_TRUE(S_ISFIFO(StatOf(dir.File("fifo")).st_mode));
    EXPECT_TRUE(!bDevice || S_ISCHR(StatOf(dir.File("null")).st_mode));
    Names entries = dir.Entries();
    entries.erase(std::remove(entries.begin(), entries.end(), "null"), entries.end());
    EXPECT_EQ(entries, (Names{"fifo", "folder", "link", "plain"}));
}

TEST(FileSave, SavingThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    const std::string target = dir.File("real/form.zarn"), link = dir.File("link.zarn"),
                      chain = dir.File("chain.zarn"), dangling = dir.File("dangling.zarn");
    WriteBytes(target, "old\n");
    ASSERT_EQ(::symlink("real/form.zarn", link.c_str()), 0);
    ASSERT_EQ(::symlink(link.c_str(), chain.c_str()), 0);
    ASSERT_EQ(::symlink("real/fresh.zarn", dangling.c_str()), 0);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(chain));
    Apply(buffer, {{0, 3, "+new"}});
    ASSERT_TRUE(buffer.SaveFile(chain));
    EXPECT_EQ(ReadBytes(target), "old+new\n");
    // A dangling link: the file it names is created.
    ASSERT_TRUE(buffer.SaveFile(dangling));
    EXPECT_EQ(ReadBytes(dir.File("real/fresh.zarn")), "old+new\n");
    ASSERT_TRUE(buffer.ExportVey(link));
    EXPECT_EQ(ReadBytes(target), "atom$old+new\r\n");
    for (const std::string& path : {link, chain, dangling})
        EXPECT_TRUE(S_ISLNK(StatOf(path).st_mode)) << path;
    // The temporary files were made next to the target, and nothing was left behind.
    EXPECT_EQ(dir.Entries(), (Names{"chain.zarn", "dangling.zarn", "link.zarn", "real"}));
    EXPECT_EQ(EntriesOf(dir.File("real")), (Names{"form.zarn", "fresh.zarn"}));
}

TEST(FileSave, BackupKeepsTheOldFileAndReplacesAnOlderBackup) {
    TempDir dir;
    const std::string path = dir.File("a.txt");
    WriteBytes(path + ".bak", "ancient\n");
    CTextBuffer buffer;
    ASSERT_TRUE(LoadBytes(buffer, path, "first\n"));
    buffer.SetMakeBackup(true);
    Apply(buffer, {{0, 0, "second "}});
    ASSERT_TRUE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "second first\n");
    EXPECT_EQ(ReadBytes(path + ".bak"), "first\n");
    // A failed save leaves the file as it was and nothing behind.
    TestOps ops(TestOps::Rename_, EIO);
    buffer.SetFileOps(&ops);
    Apply(buffer, {{0, 0, "third "}});
    EXPECT_FALSE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), "second first\n");
    EXPECT_EQ(dir.Entries(), (Names{"a.txt", "a.txt.bak"}));
    // Saved in place (the file has a second link), the copy of the old bytes is the backup.
    ASSERT_EQ(::link(path.c_str(), dir.File("b.txt").c_str()), 0);
    buffer.SetFileOps(nullptr);
    ASSERT_TRUE(buffer.SaveFile(path));
    EXPECT_EQ(ReadBytes(dir.File("b.txt")), "third second first\n");
    EXPECT_EQ(ReadBytes(path + ".bak"), "second first\n");
    EXPECT_EQ(dir.Entries(), (Names{"a.txt", "a.txt.bak", "b.txt"}));
}

TEST(VeyExport, WritesARecordForEachLineButCommentsAndMarkersAndLeavesTheBuffer) {
    const std::pair<Lines, std::string> cases[] = {
        {{"mat_width 100", "", "; comment", "  < x", "] end", "   mat_height 20   "},
         "atom$mat_width 100\r\natom$mat_height 20\r\n"},
        {{"a 1", "    ", "b 2"}, "atom$a 1\r\natom$\r\natom$b 2\r\n"}, // blanks: no text
        // Only blanks are trimmed, so a tab-indented comment is a record.
        {{"\t; indented comment", " \tform 1\t ", "> closes"},
         "atom$\t; indented comment\r\natom$\tform 1\t\r\n"},
        {{"text \"a;b\" ; trailing comment", "x < y", "]", ">", "<", ";"},
         "atom$text \"a;b\" ; trailing comment\r\natom$x < y\r\n"},
        {{"a\0b"s, "\xe9t\xe9"}, "atom$a\0b\r\natom$\xe9t\xe9\r\n"s},
        {{""}, ""},
        {{"; only", "<", ""}, ""},
    };
    TempDir dir;
    const std::string path = dir.File("out.vey");
    WriteBytes(path, std::string(1000, 'x')); // replaced whole
    for (const auto& [lines, bytes] : cases) {
        CTextBuffer buffer;
        FillBuffer(buffer, lines);
        ASSERT_TRUE(buffer.ExportVey(path));
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(LinesOf(buffer), lines);
        EXPECT_FALSE(buffer.IsModified() || buffer.CanUndo());
    }
    EXPECT_EQ(dir.Entries(), Names{"out.vey"});
}

} // namespace
