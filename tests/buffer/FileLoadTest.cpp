// Loading files: line-end detection, round trips byte for byte, read-only files.
#include "BufferTestSupport.h"

#include <sys/stat.h>

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
        {"first line longer than a chunk",
         longLine + "\nnext\n",
         EOL_CRLF,
         {longLine + "\nnext\n"}},
        {"lf first line longer than a chunk", longLine + "\r\nz", EOL_CRLF, {longLine, "z"}},
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

TEST(FileLoad, LineEndDetectionLooksOnlyAtTheFirstChunk) {
    TempDir dir;
    WriteBytes(dir.File("late.txt"), std::string(33000, 'x') + "\nrest\n");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("late.txt")));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(buffer.GetLineCount(), 1);

    // A given style is used as it is.
    buffer.Clear();
    ASSERT_TRUE(buffer.LoadFile(dir.File("late.txt"), EOL_LF));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(buffer.GetLineCount(), 3);
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

TEST(FileLoad, FailuresLeaveTheBufferAsItWas) {
    TempDir dir;
    CTextBuffer buffer;
    FillBuffer(buffer, {"keep", "me"});
    const FileResult missing = buffer.LoadFile(dir.File("missing.txt"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.strError, "No such file or directory");
    EXPECT_FALSE(buffer.LoadFile(dir.path())); // a directory
    EXPECT_EQ(LinesOf(buffer), (Lines{"keep", "me"}));
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
