// Loading files: line-end detection, round trips byte for byte, refusals, read-only files.
#include "BufferTestSupport.h"

#include <climits>
#include <sys/stat.h>
#include <sys/sysinfo.h>

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

} // namespace
