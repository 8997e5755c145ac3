// The buffer's files: loading, saving safely, backups, links and permissions, and exporting.
#include "buffer/SafeFileWriter.h"
#include "tests/buffer/BufferTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}
mode_t ModeOf(const std::string& path) {
    return StatOf(path).st_mode & 07777;
}

// Unchanged lines go out in runs from the loaded file; each edit breaks a run in another way.
TEST(FileLoad, EveryStyleLoadsAsDetectedAndSavesByteForByte) {
    const std::string w(40000, 'w'), nul(1, '\0'); // w: beyond a 32768-byte chunk
    const std::string crlf = "one\r\ntwo\r\nthree\r\nfour\r\n";
    struct Case {
        std::string bytes;
        int nStyle;
        Lines lines; // none: not checked
        std::vector<Edit> edits = {};
        int nSaveStyle = EOL_AUTO;
        std::string saved = {}; // none: the bytes loaded
    };
    // clang-format off
    std::vector<Case> cases = {
        {"ab\r\ncd\r\n", EOL_CRLF, {"ab", "cd", ""}}, {"ab\ncd\r\nef", EOL_LF, {"ab", "cd\r", "ef"}},
        {"ab\n\rcd\n\ref\n", EOL_LFCR, {"ab", "cd", "ef\n"}},
        {"ab\rcd\ref\r", EOL_CRLF, {"ab\rcd\ref\r"}}, // CR alone ends no line
        {"x\r\ny", EOL_CRLF, {"x", "y"}}, {"", EOL_CRLF, {""}}, {"\n", EOL_LF, {"", ""}},
        {"a\rb\r\nc\nd\r\n", EOL_CRLF, {"a\rb", "c\nd", ""}},
        {"a\r\r\nb\r\r\r\nc", EOL_CRLF, {"a\r\r\nb\r\r", "c"}}, // the 2nd CR breaks a match
        {"a" + nul + "b\r\n" + nul + nul + "\r\nc" + nul, EOL_CRLF, {"a" + nul + "b", nul + nul, "c" + nul}},
        {w + "\nnext\n", EOL_LF, {w, "next", ""}}, {w + "\n\rz", EOL_LFCR, {w, "z"}},
        {w + "\r" + w + "\r", EOL_CRLF, {w + "\r" + w + "\r"}}, {w + "\r\nz", EOL_CRLF, {w, "z"}},
        {"a\r\nb\nc\rd\n\re\r\n", EOL_CRLF, {"a", "b\nc\rd\n\re", ""}},
        {crlf, EOL_CRLF, {}, {}, EOL_LF, "one\ntwo\nthree\nfour\n"},
        {crlf, EOL_CRLF, {}, {}, EOL_LFCR, "one\n\rtwo\n\rthree\n\rfour\n\r"},
        {crlf, EOL_CRLF, {}, {Del(1, 1, 1, 3)}, EOL_AUTO, "one\r\nt\r\nthree\r\nfour\r\n"},
        {crlf, EOL_CRLF, {}, {Del(1, 1, 1, 3)}, EOL_LF, "one\nt\nthree\nfour\n"},
        {crlf, EOL_CRLF, {}, {Del(1, 0, 2, 0)}, EOL_AUTO, "one\r\nthree\r\nfour\r\n"},
        {crlf, EOL_CRLF, {}, {Del(0, 3, 1, 0)}, EOL_AUTO, "onetwo\r\nthree\r\nfour\r\n"},
        {crlf, EOL_CRLF, {}, {{2, 2, "\r\n"}}, EOL_AUTO, "one\r\ntwo\r\nth\r\nree\r\nfour\r\n"},
        {crlf, EOL_CRLF, {}, {{0, 0, "x"}}, EOL_AUTO, "xone\r\ntwo\r\nthree\r\nfour\r\n"},
        {crlf, EOL_CRLF, {}, {{4, 0, "x"}}, EOL_AUTO, crlf + "x"},
        {"\r\n\r\n\r\n", EOL_CRLF, {}, {{1, 0, "a"}}, EOL_LF, "\na\n\n"},
        {"a\r\nb\rc\n\r\n", EOL_CRLF, {}, {}, EOL_CRLF}, // CRs inside LF lines
        {"abc\ndef\nghi\n", EOL_LF, {}, {{0, 3, "XYZ"}, Del(1, 0, 1, 2), {2, 1, "\r"}}, EOL_AUTO, "abcXYZ\nf\ng\nhi\n"},
        // The first line feed lies beyond the first chunk: no mixed line ends.
        {w + "\nrest\n", EOL_LF, {}, {{1, 0, "\r\n"}}, EOL_AUTO, w + "\n\nrest\n"}};
    // clang-format on
    for (size_t n = 32760; n < 32772; ++n) { // CR LF pairs across the chunk's end
        const std::string q(n - 12, 'q');
        cases.push_back({std::string(10, 'q') + "\r\n" + q + "\r\ntail\r\n\r\n",
                         EOL_CRLF,
                         {std::string(10, 'q'), q, "tail", "", ""}});
    }
    Case big{{}, EOL_LF, {}}; // long lines, beyond one write
    for (int i = 0; i < 2000; ++i) {
        big.lines.push_back("LINE " + std::to_string(i) + std::string(i % 300, '.'));
        big.bytes += big.lines.back() + "\n";
    }
    big.lines.insert(big.lines.end(), {std::string(3 << 20, 'L'), std::string(1 << 20, 'M')});
    cases.push_back({big.bytes + big.lines[2000] + "\n" + big.lines[2001], EOL_LF, big.lines});
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 30) + " size " + std::to_string(c.bytes.size()));
        CTextBuffer buffer;
        ASSERT_TRUE(LoadBytes(buffer, dir.File("in.txt"), c.bytes));
        EXPECT_EQ(buffer.GetEolStyle(), c.nStyle);
        EXPECT_TRUE(c.lines.empty() || LinesOf(buffer) == c.lines);
        EXPECT_FALSE(buffer.IsModified() || buffer.IsReadOnly());
        ASSERT_TRUE(Apply(buffer, c.edits));
        ASSERT_TRUE(buffer.SaveFile(dir.File("out.txt"), c.nSaveStyle));
        EXPECT_EQ(ReadBytes(dir.File("out.txt")), c.saved.empty() ? c.bytes : c.saved);
        EXPECT_EQ(buffer.GetEolStyle(), c.nStyle); // an explicit style is for that save only
        EXPECT_EQ(dir.Entries(), (Names{"in.txt", "out.txt"}));
    }
    CTextBuffer buffer;
    WriteBytes(dir.File("in.txt"), w + "\nrest\n");
    ASSERT_TRUE(buffer.LoadFile(dir.File("in.txt"), EOL_CRLF));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(buffer.GetLineCount(), 1);
    // Never loaded; a new file gets the usual mode, not the temporary file's private one.
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

TEST(FileLoad, WhatCannotBeLoadedIsRefusedAndTheBufferKeptUntilClearedOrInitialised) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    // More than memory and swap together, made sparse.
    constexpr off_t kHugeFile = off_t{1} << 42;
    WriteBytes(dir.File("huge.txt"), "");
    ASSERT_EQ(::truncate(dir.File("huge.txt").c_str(), kHugeFile), 0);
    struct sysinfo info;
    const bool bHugeFits = ::sysinfo(&info) != 0 ||
                           (static_cast<double>(info.totalram) + info.totalswap) * info.mem_unit >=
                               static_cast<double>(kHugeFile);
    const std::pair<std::string, const char*> cases[] = {
        {dir.File("missing.txt"), "No such file or directory"},
        {dir.path(), "Is a directory"},
        {dir.File("fifo"), "not a regular file"}, // without a writer
        {"/dev/zero", "not a regular file"},      // endless
        {dir.File("huge.txt"), "not enough memory"}};
    CTextBuffer buffer;
    FillBuffer(buffer, {"keep", "me"});
    RecordingListener view;
    buffer.AttachView(&view);
    for (const auto& [path, reason] : cases) {
        if (path == dir.File("huge.txt") && bHugeFits)
            continue;
        const FileResult result = buffer.LoadFile(path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError, reason) << path;
        EXPECT_EQ(LinesOf(buffer), (Lines{"keep", "me"}));
    }
    EXPECT_TRUE(view.updates.empty());
    ASSERT_TRUE(LoadBytes(buffer, dir.File("good.txt"), "new\r\ntext"));
    EXPECT_EQ(LinesOf(buffer), (Lines{"new", "text"}));
    // Clear notifies nobody; InitEmpty gives one empty line and a fresh history.
    Apply(buffer, {{0, 0, "x"}});
    buffer.Clear();
    EXPECT_FALSE(buffer.IsInitialized() || buffer.CanUndo() || buffer.GetLineCount());
    ASSERT_TRUE(buffer.InitEmpty(EOL_LF));
    EXPECT_TRUE(buffer.IsInitialized() && !buffer.CanUndo());
    EXPECT_EQ(LinesOf(buffer), (Lines{""}));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(view.updates, (Lines{". h1000 L-1", "+0,0-1,0 h101 L0", ". h1000 L-1"}));
    buffer.DetachView(&view);
    ::chmod(dir.File("good.txt").c_str(), 0444);
    ASSERT_TRUE(buffer.LoadFile(dir.File("good.txt")));
    EXPECT_TRUE(buffer.IsReadOnly());
}

TEST(FileLoad, LinesBeyondTheLimitsAreRefused) {
    // clang-format off
    const std::tuple<std::string, int, LineLimits, const char*, Lines> cases[] = {
        {"ab\ncde\n", EOL_LF, {3, 3}, nullptr, {"ab", "cde", ""}},
        {"ab\ncdef\ng", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}}, // one byte too long
        {"ab\ncdef", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}},    // the last line
        {"abc\r\nabc", EOL_CRLF, {3, 2}, nullptr, {"abc", "abc"}}, // the line end does not count
        {"a\nb\nc\n", EOL_LF, {3, 3}, REASON_TOO_MANY_LINES, {"a", "b", "c"}},
        {"a\nb\n", EOL_LF, {1, 2}, REASON_TOO_MANY_LINES, {"a", "b"}}}; // the empty last line
    // clang-format on
    for (const auto& [bytes, nStyle, limits, refusal, lines] : cases) {
        Lines passed;
        EXPECT_EQ(SplitLinesWithin(bytes.data(), bytes.size(), nStyle, limits,
                                   [&](const char* p, size_t n) { passed.emplace_back(p, n); }),
                  refusal);
        EXPECT_EQ(passed, lines) << bytes;
    }
    // A 2 GiB line was once loaded with a negative length: the buffer indexes with an int.
    EXPECT_LT(kBufferLineLimits.nMaxLength, size_t{1} << 31);
    EXPECT_LE(kBufferLineLimits.nMaxCount, size_t{INT_MAX});
}

// Fails calls of one kind (all, on strTarget, or the first), or fills the disk after nRoom bytes.
struct TestOps : CFileOps {
    enum Call { None, MakeTemp_, Write_, Sync_, Rename_, Access_ } call = None;
    int err = 0, errUnwritable = EACCES;
    bool bOnce = false, bFailed = false;
    std::string strCache, strUnwritable, strTarget;
    size_t nRoom = SIZE_MAX, nWritten = 0;

    int MakeTemp(std::string& strTemplate) override {
        return Fails(MakeTemp_, -1) ? -1 : CFileOps::MakeTemp(strTemplate);
    }
    ssize_t Write(int fd, const void* pData, size_t nBytes) override {
        if (Fails(Write_, fd) || (nWritten >= nRoom && Fails(None, fd)))
            return -1;
        nBytes = std::min(nBytes, nRoom - nWritten);
        nWritten += nBytes;
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
    bool Fails(Call kind, int fd) {
        struct stat stFd, stTarget;
        if (kind != call || (bOnce && bFailed) ||
            (fd >= 0 && !strTarget.empty() &&
             (::fstat(fd, &stFd) != 0 || ::stat(strTarget.c_str(), &stTarget) != 0 ||
              stFd.st_ino != stTarget.st_ino || stFd.st_dev != stTarget.st_dev)))
            return false;
        errno = err;
        return bFailed = true;
    }
};

Names EntriesOf(const std::string& directory) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FileResult EditAndSave(const std::string& path, const std::string& text, CFileOps* pOps,
                       bool bBackup = false) {
    CTextBuffer buffer;
    buffer.SetMakeBackup(bBackup);
    if (FileResult result = buffer.LoadFile(path); !result)
        return result;
    buffer.SetReadOnly(false);
    Apply(buffer, {{0, 0, text}});
    buffer.SetFileOps(pOps);
    return buffer.SaveFile(path);
}

// Runs `body` in a child process as the user nobody (the tests run as the superuser).
bool RunAsNobody(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2)
        throw std::runtime_error("could not run as an ordinary user");
    return WEXITSTATUS(status) == 0;
}

// In place (the directory unwritable) the old bytes go back, or stay in the cache, and say so.
TEST(FileSave, EveryFailingStepLeavesTheOldFileAndNoTemporaryFile) {
    using T = TestOps;
    // clang-format off
    const std::tuple<T::Call, int, bool, bool, bool, const char*> cases[] = { // in place, once, backup
        {T::MakeTemp_, EACCES, false, false, false, "Permission denied"},
        {T::Write_, EIO, false, false, false, "Input/output error"},
        {T::None, ENOSPC, false, false, false, "No space left on device"}, // full after 100 bytes
        {T::Sync_, EIO, false, false, false, "Input/output error"},
        {T::Rename_, EXDEV, false, false, false, "Invalid cross-device link"},
        {T::Rename_, EIO, false, false, true, "Input/output error"}, // the earlier .bak stays
        {T::Access_, EACCES, false, false, false, "Permission denied"}, // the file may not be written
        {T::Access_, EROFS, false, false, false, "Read-only file system"},
        {T::Write_, EIO, true, true, false, "Input/output error"},
        {T::Sync_, EIO, true, true, false, "Input/output error"},
        {T::MakeTemp_, EACCES, true, false, false, "cannot keep a copy"},
        {T::Write_, EIO, true, false, false, // every write, even to put the old bytes back
         "Input/output error; the old text could not be put back (Input/output error) and is kept in "}};
    // clang-format on
    const std::string old = "old text\r\nkept\r\n";
    for (const auto& [call, err, bInPlace, bOnce, bBackup, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        const std::string path = dir.File("doc.zarn");
        WriteBytes(path, old);
        if (bBackup)
            WriteBytes(path + ".bak", "older");
        ::chmod(path.c_str(), 0640);
        const ino_t ino = StatOf(path).st_ino;
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(path));
        buffer.SetMakeBackup(bBackup);
        Apply(buffer, {{0, 0, std::string(5000, 'n')}}, EDITACT_PASTE);
        T ops, exportOps;
        for (T* p : {&ops, &exportOps}) {
            p->call = call, p->err = err, p->bOnce = bOnce;
            p->nRoom = err != ENOSPC ? SIZE_MAX : p == &ops ? 100 : 10;
            p->strUnwritable = bInPlace ? dir.path() : call == T::Access_ ? path : "";
            p->errUnwritable = call == T::Access_ ? err : EACCES;
        }
        if (bInPlace)
            ops.strCache = dir.File("cache/zarneditor"), ops.strTarget = path;
        std::string strError; // of the save
        for (int nPass = 0; nPass < (bInPlace ? 1 : 2); ++nPass) {
            buffer.SetFileOps(nPass == 1 ? &exportOps : &ops);
            const FileResult result = nPass == 1 ? buffer.ExportVey(path) : buffer.SaveFile(path);
            EXPECT_EQ(result.strError.rfind(reason, 0), 0u) << result.strError;
            strError = nPass == 1 ? strError : result.strError;
            EXPECT_TRUE(!result && buffer.IsModified() && buffer.GetSavedHistoryPos() == 0);
            EXPECT_EQ(std::tuple(StatOf(path).st_ino, ModeOf(path), StatOf(path).st_nlink),
                      std::tuple(ino, mode_t{0640}, nlink_t{1}));
        }
        const bool bKept = std::string_view(reason).ends_with("kept in ");
        const Names kept = Exists(ops.strCache) ? EntriesOf(ops.strCache) : Names();
        ASSERT_EQ(kept.size(), bKept ? 1u : 0u);
        const std::string copy = bKept ? ops.strCache + "/" + kept[0] : path;
        EXPECT_EQ(ReadBytes(copy), old); // in the file, or in a copy whose place is told
        EXPECT_TRUE(!bKept || (kept[0].rfind("doc.zarn.CRE", 0) == 0 && strError.ends_with(copy)));
        EXPECT_EQ(dir.Entries(), (bInPlace  ? Names{"cache", "doc.zarn"}
                                  : bBackup ? Names{"doc.zarn", "doc.zarn.bak"}
                                            : Names{"doc.zarn"}));
        EXPECT_TRUE(!bBackup || ReadBytes(path + ".bak") == "older");
        buffer.SetFileOps(nullptr);
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), std::string(5000, 'n') + old);
    }
}

// The user's own file keeps its group through a rename only where the user is in that group;
// links, other owners, devices and the superuser are decided by the real saves below.
TEST(FileSave, ARenameIsUsedOnlyWhereItKeepsTheFileWhatItWas) {
    // clang-format off
    SaveFacts facts{.bExists = true, .mode = S_IFREG | 06755, .uidOwner = 1000, .gidOwner = 50,
                    .uidUser = 1000, .groups = {1000}, .bMayWriteFile = true, .bMayWriteDirectory = true};
    // clang-format on
    EXPECT_EQ(ChooseSaveMethod(facts), SaveMethod::InPlace);
    facts.groups.push_back(50);
    EXPECT_EQ(ChooseSaveMethod(facts), SaveMethod::Replace);
}

// Saved in place behind a hard link, another owner or an unwritable directory; backups too.
TEST(FileSave, OwnerGroupModeLinksAndBackupsSurviveTheSave) {
    enum { Plain, HardLink, OtherOwner, UnwritableDirectory };
    // clang-format off
    const std::tuple<int, mode_t, bool, bool> cases[] = { // set-up, mode, in place, backup
        {HardLink, 0644, true, false}, {HardLink, 0600, true, true}, {OtherOwner, 06755, false, false},
        {UnwritableDirectory, 0604, true, false}, {Plain, 0640, false, true}, {Plain, 0755, false, false},
        {Plain, 0600, false, false}, {Plain, 0444, false, false}};
    // clang-format on
    for (const auto& [setUp, mode, bInPlace, bBackup] : cases) {
        SCOPED_TRACE(testing::Message() << setUp << " " << mode << " " << bBackup);
        if (setUp == OtherOwner && ::geteuid() != 0)
            continue;
        TempDir dir;
        const std::string path = dir.File("doc.zarn"), other = dir.File("other.zarn");
        WriteBytes(path, "old\n");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        TestOps ops;
        ops.strCache = dir.File("cache");
        ASSERT_EQ(::mkdir(ops.strCache.c_str(), 0700), 0);
        if (bBackup)
            WriteBytes(path + ".bak", "ancient\n");
        ASSERT_TRUE(setUp != HardLink || ::link(path.c_str(), other.c_str()) == 0);
        if (setUp == OtherOwner) { // chown clears the set-id bits
            ASSERT_EQ(::chown(path.c_str(), 12345, 23456), 0);
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        }
        if (setUp == UnwritableDirectory)
            ops.strUnwritable = dir.path();
        const Names entries = dir.Entries();
        const struct stat before = StatOf(path);
        const FileResult result = EditAndSave(path, "new ", &ops, bBackup);
        EXPECT_TRUE(result) << result.strError;
        const struct stat after = StatOf(path);
        EXPECT_EQ(ReadBytes(path), "new old\n");
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                  std::tie(before.st_uid, before.st_gid, before.st_mode, before.st_nlink));
        EXPECT_EQ(after.st_ino == before.st_ino, bInPlace);
        EXPECT_EQ(dir.Entries(), entries);
        EXPECT_TRUE(std::filesystem::is_empty(ops.strCache));
        EXPECT_TRUE(!bBackup || ReadBytes(path + ".bak") == "old\n");
        if (setUp == HardLink) {
            EXPECT_EQ(ReadBytes(other), "new old\n");
            CTextBuffer buffer; // an export sees both names of the file too
            FillBuffer(buffer, {"form 1"});
            ASSERT_TRUE(buffer.ExportVey(path));
            EXPECT_EQ(ReadBytes(other), "atom$form 1\r\n");
        }
    }
}

// Real permissions: a set-user-ID file, one with nowhere to keep its old text, another's files.
TEST(FileSave, AnOrdinaryUserSavesInPlaceWhereARenameWouldChangeTheFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to give files to another user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    constexpr uid_t kNobody = 65534;
    constexpr gid_t kNoGroup = 65534;
    const std::string shared = dir.File("shared"), own = dir.File("own"), cache = dir.File("cache");
    // clang-format off
    const std::tuple<std::string, uid_t, gid_t, mode_t, const char*, const char*> files[] = {
        {shared, 0, 0, 0755, nullptr, nullptr}, {own, kNobody, kNoGroup, 0755, nullptr, nullptr},
        {cache, kNobody, kNoGroup, 0755, nullptr, nullptr},
        {shared + "/mine.zarn", kNobody, kNoGroup, 04775, "mine\n", "new mine\n"},
        {shared + "/stuck.zarn", kNobody, kNoGroup, 0644, "stuck\n", "stuck\n"},
        {own + "/theirs.zarn", 0, kNoGroup, 0664, "theirs\n", "new theirs\n"},
        {own + "/root.zarn", 0, 0, 0644, "root\n", "root\n"}};
    // clang-format on
    for (const auto& [path, uid, gid, mode, old, saved] : files) {
        if (old)
            WriteBytes(path, old);
        ASSERT_TRUE((old || ::mkdir(path.c_str(), mode) == 0) &&
                    ::chown(path.c_str(), uid, gid) == 0 && ::chmod(path.c_str(), mode) == 0);
    }
    EXPECT_TRUE(RunAsNobody([&] {
        TestOps ops, nowhere;
        ops.strCache = cache + "/zarneditor";
        nowhere.strCache = shared + "/cache";
        const FileResult refused = EditAndSave(shared + "/stuck.zarn", "x", &nowhere);
        CTextBuffer other;
        const bool bReadOnly = other.LoadFile(own + "/root.zarn") && other.IsReadOnly();
        const FileResult exported = other.ExportVey(own + "/root.zarn");
        return bReadOnly && !exported && exported.strError == std::strerror(EACCES) &&
               EditAndSave(shared + "/mine.zarn", "new ", &ops) &&
               EditAndSave(own + "/theirs.zarn", "new ", &ops) && !refused &&
               refused.strError ==
                   "cannot keep a copy of the old text in " + shared + "/cache: Permission denied";
    }));
    for (const auto& [path, uid, gid, mode, old, saved] : files) {
        EXPECT_EQ(std::tuple(StatOf(path).st_uid, StatOf(path).st_gid, ModeOf(path)),
                  std::tuple(uid, gid, mode))
            << path;
        EXPECT_TRUE(!saved || ReadBytes(path) == saved) << path;
    }
    EXPECT_EQ(EntriesOf(shared), (Names{"mine.zarn", "stuck.zarn"}));
    EXPECT_EQ(EntriesOf(own), (Names{"root.zarn", "theirs.zarn"}));
    EXPECT_TRUE(std::filesystem::is_empty(cache + "/zarneditor"));
}

// A device node of its own: a fault here must never reach the system's.
TEST(FileSave, LinksAreSavedThroughAndOnlyRegularFilesAreReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    WriteBytes(dir.File("plain"), "x");
    WriteBytes(dir.File("real/form.zarn"), "old\n");
    const bool bDevice = ::mknod(dir.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    // clang-format off
    for (const auto& [link, target] : {std::pair{"link", "fifo"}, {"link.zarn", "real/form.zarn"},
                                       {"chain.zarn", "link.zarn"}, {"dangling.zarn", "real/fresh.zarn"}})
        ASSERT_EQ(::symlink(target, dir.File(link).c_str()), 0);
    // clang-format on
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("chain.zarn")));
    Apply(buffer, {{0, 3, "+new"}});
    ASSERT_TRUE(buffer.SaveFile(dir.File("chain.zarn")));
    EXPECT_EQ(ReadBytes(dir.File("real/form.zarn")), "old+new\n");
    ASSERT_TRUE(buffer.SaveFile(dir.File("dangling.zarn")));
    EXPECT_EQ(ReadBytes(dir.File("real/fresh.zarn")), "old+new\n");
    ASSERT_TRUE(buffer.ExportVey(dir.File("link.zarn")));
    EXPECT_EQ(ReadBytes(dir.File("real/form.zarn")), "atom$old+new\r\n");
    // clang-format off
    const std::pair<std::string, const char*> refusals[] = {{"fifo", "not a regular file"},
        {"link", "not a regular file"}, {"null", "not a regular file"}, {"real", "Is a directory"},
        {"plain/form.vey", "Not a directory"}};
    // clang-format on
    for (const auto& [name, reason] : refusals) {
        if (name == "null" && !bDevice)
            continue;
        for (const FileResult& result :
             {buffer.SaveFile(dir.File(name)), buffer.ExportVey(dir.File(name))}) {
            EXPECT_FALSE(result);
            EXPECT_EQ(result.strError, reason) << name;
        }
    }
    EXPECT_TRUE(S_ISFIFO(StatOf(dir.File("fifo")).st_mode));
    EXPECT_TRUE(!bDevice || S_ISCHR(StatOf(dir.File("null")).st_mode));
    for (const char* link : {"link", "link.zarn", "chain.zarn", "dangling.zarn"})
        EXPECT_TRUE(S_ISLNK(StatOf(dir.File(link)).st_mode)) << link;
    ::unlink(dir.File("null").c_str());
    EXPECT_EQ(dir.Entries(),
              (Names{"chain.zarn", "dangling.zarn", "fifo", "link", "link.zarn", "plain", "real"}));
    EXPECT_EQ(EntriesOf(dir.File("real")), (Names{"form.zarn", "fresh.zarn"}));
}

TEST(VeyExport, WritesARecordForEachLineButCommentsAndMarkersAndLeavesTheBuffer) {
    // clang-format off
    const std::pair<Lines, std::string> cases[] = {
        // Only blanks are trimmed, so a tab-indented comment is a record.
        {{"\t; indented comment", " \tform 1\t ", "> closes"}, "atom$\t; indented comment\r\natom$\tform 1\t\r\n"},
        {{"text \"a;b\" ; trailing comment", "x < y", "]", ">", "<", ";", "  < x", "] end"},
         "atom$text \"a;b\" ; trailing comment\r\natom$x < y\r\n"},
        {{"a\0b"s, "\xe9t\xe9"}, "atom$a\0b\r\natom$\xe9t\xe9\r\n"s}, {{""}, ""}};
    // clang-format on
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
