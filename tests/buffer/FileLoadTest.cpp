// Loading files: line-end detection, round trips byte for byte, read-only files.
#include "BufferTestSupport.h"

#include <climits>
#include <sys/stat.h>
#include <sys/sysinfo.h>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct RoundTrip {
    const char* name;
    std::string bytes;
    int nStyle;
    Lines lines;
};

std::string Bytes(const char* p, size_t n) {
    return std::string(p, n);
}

TEST(FileLoad, EveryStyleLoadsAsSpecifiedAndSavesBackByteForByte) {
    const std::string longLine(40000, 'w');
    const RoundTrip cases[] = {
        {"crlf", "ab\r\ncd\r\n", EOL_CRLF, {"ab", "cd", ""}},
        {"lf", "ab\ncd\r\nef", EOL_LF, {"ab", "cd\r", "ef"}},
        {"lfcr", "ab\n\rcd\n\ref\n", EOL_LFCR, {"ab", "cd", "ef\n"}},
        {"cr only", "ab\rcd\ref\r", EOL_CRLF, {"ab\rcd\ref\r"}},
        {"no final line end", "x\r\ny", EOL_CRLF, {"x", "y"}},
        {"empty file", "", EOL_CRLF, {""}},
        {"only a line end", "\n", EOL_LF, {"", ""}},
        {"crlf with stray cr and lf", "a\rb\r\nc\nd\r\n", EOL_CRLF, {"a\rb", "c\nd", ""}},
        // CR CR LF holds no line end: the second CR breaks the partial match.
        {"cr cr lf", "a\r\r\nb\r\r\r\nc", EOL_CRLF, {"a\r\r\nb\r\r", "c"}},
        {"nul bytes",
         Bytes("a\0b\r\n\0\0\r\nc\0", 11),
         EOL_CRLF,
         {Bytes("a\0b", 3), Bytes("\0\0", 2), Bytes("c\0", 2)}},
        // However far the first line feed lies, it decides.
        {"lf first line longer than a chunk",
         longLine + "\nnext\n",
         EOL_LF,
         {longLine, "next", ""}},
        {"lfcr first line longer than a chunk", longLine + "\n\rz", EOL_LFCR, {longLine, "z"}},
        {"cr only, longer than a chunk",
         longLine + "\r" + longLine + "\r",
         EOL_CRLF,
         {longLine + "\r" + longLine + "\r"}},
        {"crlf first line longer than a chunk", longLine + "\r\nz", EOL_CRLF, {longLine, "z"}},
        {"mixed line ends", "a\r\nb\nc\rd\n\re\r\n", EOL_CRLF, {"a", "b\nc\rd\n\re", ""}},
    };
    TempDir dir;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("round.txt");
        WriteBytes(path, c.bytes);
        CTextBuffer buffer;
        RecordingListener view;
        buffer.AttachView(&view);
        ASSERT_TRUE(buffer.LoadFile(path));
        EXPECT_EQ(buffer.GetEolStyle(), c.nStyle);
        EXPECT_EQ(LinesOf(buffer), c.lines);
        EXPECT_FALSE(buffer.IsModified());
        EXPECT_FALSE(buffer.IsReadOnly());
        ASSERT_EQ(view.updates.size(), 1u);
        EXPECT_EQ(view.updates[0].dwHints, HINT_RESET);
        EXPECT_EQ(view.updates[0].nLine, -1);

        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), c.bytes);
        buffer.DetachView(&view);
    }
}

TEST(FileLoad, SeparatorsAcrossChunkBoundariesAreFound) {
    // CR LF pairs that straddle every offset around the 32768-byte chunk size.
    TempDir dir;
    for (int offset = 32760; offset < 32772; ++offset) {
        std::string bytes(static_cast<size_t>(offset), 'q');
        bytes[10] = '\r';
        bytes[11] = '\n';
        bytes += "\r\ntail\r\n\r\n";
        WriteBytes(dir.File("chunk.txt"), bytes);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("chunk.txt")));
        ASSERT_EQ(buffer.GetLineCount(), 5) << offset;
        EXPECT_EQ(buffer.GetLineLength(1), offset - 12);
        EXPECT_EQ(buffer.GetLineView(2), "tail");
        ASSERT_TRUE(buffer.SaveFile(dir.File("chunk.txt")));
        EXPECT_EQ(ReadBytes(dir.File("chunk.txt")), bytes);
    }
}

TEST(FileLoad, ALongFirstLineDoesNotMixLineEndsOnSave) {
    // The first line feed lies beyond the first 32768 bytes.
    TempDir dir;
    const std::string head(33000, 'x');
    WriteBytes(dir.File("late.txt"), head + "\nrest\n");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("late.txt")));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(buffer.GetLineCount(), 3);
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 1, 0, "\r\n", nEndLine, nEndChar, EDITACT_TYPING);
    ASSERT_TRUE(buffer.SaveFile(dir.File("late.txt")));
    EXPECT_EQ(ReadBytes(dir.File("late.txt")), head + "\n\nrest\n");

    // A given style is used as it is.
    buffer.Clear();
    ASSERT_TRUE(buffer.LoadFile(dir.File("late.txt"), EOL_CRLF));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(buffer.GetLineCount(), 1);
}

TEST(FileLoad, EditedLoadedLinesKeepTheirNeighbours) {
    // Lines point into the loaded block until changed: edits must not spill over.
    TempDir dir;
    WriteBytes(dir.File("e.txt"), "abc\ndef\nghi\n");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("e.txt")));
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, 3, "XYZ", nEndLine, nEndChar, EDITACT_TYPING);
    buffer.DeleteRange(nullptr, 1, 0, 1, 2, EDITACT_DELETE);
    buffer.InsertTextAt(nullptr, 2, 1, "\r", nEndLine, nEndChar, EDITACT_TYPING);
    EXPECT_EQ(LinesOf(buffer), (Lines{"abcXYZ", "f", "g", "hi", ""}));
    ASSERT_TRUE(buffer.SaveFile(dir.File("e.txt")));
    EXPECT_EQ(ReadBytes(dir.File("e.txt")), "abcXYZ\nf\ng\nhi\n");
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
    struct Case {
        const char* name;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"missing", dir.File("missing.txt"), "No such file or directory"},
        {"directory", dir.path(), "Is a directory"},
        {"fifo without a writer", dir.File("fifo"), "not a regular file"},
        {"endless device", "/dev/zero", "not a regular file"},
        {"larger than memory", dir.File("huge.txt"), "not enough memory"},
    };
    CTextBuffer buffer;
    FillBuffer(buffer, {"keep", "me"});
    RecordingListener view;
    buffer.AttachView(&view);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.path == dir.File("huge.txt") && MemoryHoldsHugeFile())
            continue;
        const FileResult result = buffer.LoadFile(c.path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.strError, c.reason);
        EXPECT_EQ(LinesOf(buffer), (Lines{"keep", "me"}));
    }
    EXPECT_TRUE(view.updates.empty());

    // A file that loads replaces the lines.
    WriteBytes(dir.File("good.txt"), "new\r\ntext");
    ASSERT_TRUE(buffer.LoadFile(dir.File("good.txt")));
    EXPECT_EQ(LinesOf(buffer), (Lines{"new", "text"}));
    buffer.DetachView(&view);
}

TEST(FileLoad, LinesBeyondTheLimitsAreRefused) {
    struct Case {
        const char* name;
        std::string bytes;
        int nStyle;
        LineLimits limits;
        const char* refusal;
        Lines passed; // the lines passed on before the refusal
    };
    const Case cases[] = {
        {"within", "ab\ncde\n", EOL_LF, {3, 3}, nullptr, {"ab", "cde", ""}},
        {"one byte too long", "ab\ncdef\ng", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}},
        {"the last line too long", "ab\ncdef", EOL_LF, {3, 3}, REASON_LINE_TOO_LONG, {"ab"}},
        {"the line end does not count", "abc\r\nabc", EOL_CRLF, {3, 2}, nullptr, {"abc", "abc"}},
        {"one line too many", "a\nb\nc\n", EOL_LF, {3, 3}, REASON_TOO_MANY_LINES, {"a", "b", "c"}},
        {"the empty last line counts", "a\nb\n", EOL_LF, {1, 2}, REASON_TOO_MANY_LINES, {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lines passed;
        const char* refusal =
            SplitLinesWithin(c.bytes.data(), c.bytes.size(), c.nStyle, c.limits,
                             [&](const char* p, size_t n) { passed.emplace_back(p, n); });
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(passed, c.passed);
    }
    // Lines of 2 GiB are beyond what the buffer indexes with an int.
    EXPECT_LT(kBufferLineLimits.nMaxLength, size_t{1} << 31);
    EXPECT_LE(kBufferLineLimits.nMaxCount, size_t{INT_MAX});
}

TEST(FileLoad, AFileTheUserMayNotWriteLoadsReadOnly) {
    TempDir dir;
    const std::string path = dir.File("ro.txt");
    WriteBytes(path, "locked\n");
    ::chmod(path.c_str(), 0444);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_TRUE(buffer.IsReadOnly());

    // Writable by its owner but not by this user.
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0755);
    const bool bReadOnlyForOthers = RunAsOrdinaryUser([&] {
        CTextBuffer other;
        return bool(other.LoadFile(path)) && other.IsReadOnly();
    });
    EXPECT_EQ(bReadOnlyForOthers, ::geteuid() == 0);

    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_FALSE(buffer.IsReadOnly());
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
    ASSERT_EQ(view.updates.size(), 1u);
    EXPECT_EQ(view.updates[0].dwHints, HINT_RESET);

    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, 0, "x", nEndLine, nEndChar, EDITACT_TYPING);
    buffer.Clear();
    EXPECT_FALSE(buffer.IsInitialized());
    EXPECT_EQ(buffer.GetLineCount(), 0);
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_EQ(view.updates.size(), 2u); // Clear notifies nobody
    buffer.DetachView(&view);
}

} // namespace
