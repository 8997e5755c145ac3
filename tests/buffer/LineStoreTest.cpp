// The line store: raw insertion and deletion, notifications, flags, copying.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class InspectableBuffer : public CTextBuffer {
public:
    using CTextBuffer::Line;
    void SetModified(bool bModified) override {
        modifiedCalls.push_back(bModified);
        CTextBuffer::SetModified(bModified);
    }
    std::vector<bool> modifiedCalls;
};

TEST(LineStore, InsertingCrLfSplitsTheLineAndMovesLaterPositions) {
    InspectableBuffer buffer;
    FillBuffer(buffer, {"abcd"});
    RecordingListener view;
    view.positions = {{3, 0}, {2, 0}};
    buffer.AttachView(&view);

    int nEndLine = -1, nEndChar = -1;
    ASSERT_TRUE(buffer.RawInsertText(&view, 0, 2, "x\r\ny", nEndLine, nEndChar));

    EXPECT_EQ(LinesOf(buffer), (Lines{"abx", "ycd"}));
    EXPECT_EQ(nEndLine, 1);
    EXPECT_EQ(nEndChar, 1);
    ASSERT_EQ(view.updates.size(), 1u);
    EXPECT_EQ(view.updates[0].dwHints, HINT_LINECOUNT | HINT_WIDTH);
    EXPECT_EQ(view.updates[0].pSource, &view);
    EXPECT_TRUE(view.updates[0].bInsert);
    EXPECT_EQ(view.updates[0].ptFrom, (TextPos{2, 0}));
    EXPECT_EQ(view.updates[0].ptTo, (TextPos{1, 1}));
    EXPECT_EQ(view.updates[0].nLine, 0);
    EXPECT_EQ(view.positions[0], (TextPos{2, 1}));
    EXPECT_EQ(view.positions[1], (TextPos{2, 0}));
    EXPECT_EQ(buffer.modifiedCalls, std::vector<bool>{true});
}

TEST(LineStore, LineBreakRulesOfInsertedText) {
    CTextBuffer buffer;
    RecordingListener view;
    int nEndLine, nEndChar;

    // A lone line feed is an ordinary character.
    FillBuffer(buffer, {""});
    buffer.AttachView(&view);
    buffer.RawInsertText(nullptr, 0, 0, "a\nb", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{"a\nb"}));
    EXPECT_EQ(view.updates.back().dwHints, HINT_ONELINE | HINT_WIDTH);

    // A text ending in CR adds an empty line; two CRs add two.
    FillBuffer(buffer, {"xy"});
    buffer.RawInsertText(nullptr, 0, 2, "a\r", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{"xya", ""}));
    EXPECT_EQ((TextPos{nEndChar, nEndLine}), (TextPos{0, 1}));
    FillBuffer(buffer, {"xy"});
    buffer.RawInsertText(nullptr, 0, 2, "a\r\r", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{"xya", "", ""}));

    // CR LF is one break, LF CR is a character then a break.
    FillBuffer(buffer, {"<>"});
    buffer.RawInsertText(nullptr, 0, 1, "1\r\n2\n\r3", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{"<1", "2\n", "3>"}));
    EXPECT_EQ((TextPos{nEndChar, nEndLine}), (TextPos{1, 2}));

    // NUL bytes are characters like any other.
    FillBuffer(buffer, {"ab"});
    buffer.RawInsertText(nullptr, 0, 1, std::string("\0\r\0", 3), nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{std::string("a\0", 2), std::string("\0b", 2)}));
    buffer.DetachView(&view);
}

TEST(LineStore, DeletingAcrossLinesJoinsTheEnds) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"abc", "de", "fgh", "ij"});
    RecordingListener view;
    view.positions = {{3, 2}, {1, 1}, {0, 0}, {1, 3}};
    buffer.AttachView(&view);

    ASSERT_TRUE(buffer.RawDeleteText(nullptr, 0, 1, 2, 2));

    EXPECT_EQ(LinesOf(buffer), (Lines{"ah", "ij"}));
    EXPECT_EQ(view.positions, (std::vector<TextPos>{{2, 0}, {1, 0}, {0, 0}, {1, 1}}));
    ASSERT_EQ(view.updates.size(), 1u);
    EXPECT_FALSE(view.updates[0].bInsert);
    EXPECT_EQ(view.updates[0].dwHints, HINT_LINECOUNT | HINT_WIDTH);
    EXPECT_EQ(view.updates[0].nLine, 0);
}

TEST(LineStore, DeletingWithinOneLine) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"abcdef"});
    RecordingListener view;
    buffer.AttachView(&view);

    buffer.RawDeleteText(nullptr, 0, 4, 0, 6); // up to the line length: only shortens it
    EXPECT_EQ(LinesOf(buffer), (Lines{"abcd"}));
    buffer.RawDeleteText(nullptr, 0, 1, 0, 3);
    EXPECT_EQ(LinesOf(buffer), (Lines{"ad"}));
    EXPECT_EQ(view.updates.back().dwHints, HINT_ONELINE | HINT_WIDTH);
    buffer.RawDeleteText(nullptr, 0, 1, 0, 1); // empty range: still a change notice
    EXPECT_EQ(LinesOf(buffer), (Lines{"ad"}));
}

TEST(LineStore, ReadOnlyRefusesEditsSilently) {
    InspectableBuffer buffer;
    FillBuffer(buffer, {"abc", "def"});
    buffer.modifiedCalls.clear();
    RecordingListener view;
    buffer.AttachView(&view);
    buffer.SetReadOnly(true);
    EXPECT_TRUE(view.updates.empty()); // SetReadOnly itself notifies nobody

    int nEndLine = -1, nEndChar = -1;
    EXPECT_FALSE(buffer.RawInsertText(&view, 0, 1, "xyz\r", nEndLine, nEndChar));
    EXPECT_FALSE(buffer.RawDeleteText(&view, 0, 0, 1, 1));
    EXPECT_FALSE(buffer.InsertTextAt(&view, 0, 0, "q", nEndLine, nEndChar, EDITACT_TYPING));
    EXPECT_FALSE(buffer.DeleteRange(&view, 0, 0, 0, 1, EDITACT_DELETE));
    EXPECT_EQ(LinesOf(buffer), (Lines{"abc", "def"}));
    EXPECT_TRUE(view.updates.empty());
    EXPECT_TRUE(buffer.modifiedCalls.empty());
    EXPECT_FALSE(buffer.CanUndo());
}

TEST(LineStore, LineStorageIsRoundedUpToSixteenBytes) {
    InspectableBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    EXPECT_EQ(buffer.Line(0).nCapacity, 16);
    buffer.AddLine(std::string(15, 'a'));
    buffer.AddLine(std::string(16, 'b'));
    EXPECT_EQ(buffer.Line(1).nCapacity, 16);
    EXPECT_EQ(buffer.Line(2).nCapacity, 32);

    buffer.AppendToLine(1, "x"); // 16 characters still fit in 16 bytes
    EXPECT_EQ(buffer.Line(1).nLength, 16);
    EXPECT_EQ(buffer.Line(1).nCapacity, 16);
    buffer.AppendToLine(1, "y");
    EXPECT_EQ(buffer.Line(1).nCapacity, 32);
    buffer.AppendToLine(1, "");
    EXPECT_EQ(buffer.Line(1).nLength, 17);
    EXPECT_EQ(buffer.GetLineView(1), std::string(15, 'a') + "xy");
}

TEST(LineStore, LongLinesGrowRarelyAndLoadedLinesAreCopiedOnce) {
    TempDir dir;
    std::string strLong;
    for (int i = 0; i < 10000; ++i)
        strLong += static_cast<char>('a' + i % 26);
    WriteBytes(dir.File("long.txt"), strLong + "\r\nshort");
    InspectableBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("long.txt")));
    Lines model{strLong, "short"};
    EXPECT_FALSE(buffer.Line(0).OwnsStorage());

    // A thousand characters typed into the middle grow the line's storage at most once.
    int nEndLine, nEndChar, nGrowths = 0;
    for (int i = 0; i < 1000; ++i) {
        const int nCapacity = buffer.Line(0).nCapacity;
        buffer.RawInsertText(nullptr, 0, 5000 + i, "+", nEndLine, nEndChar);
        nGrowths += i > 0 && buffer.Line(0).nCapacity != nCapacity;
    }
    model[0].insert(5000, std::string(1000, '+'));
    EXPECT_LE(nGrowths, 1);
    EXPECT_EQ(LinesOf(buffer), model);

    // Line breaks into it, then the deletions that join it again.
    const std::string& strLine = model[0];
    buffer.RawInsertText(nullptr, 0, 7000, "1\r2\r\n3", nEndLine, nEndChar);
    buffer.RawInsertText(nullptr, 2, 5, "\r", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer),
              (Lines{strLine.substr(0, 7000) + "1", "2", "3" + strLine.substr(7000, 4),
                     strLine.substr(7004), "short"}));
    buffer.RawDeleteText(nullptr, 0, 7000, 2, 1);
    buffer.RawDeleteText(nullptr, 0, 7004, 1, 0);
    EXPECT_EQ(LinesOf(buffer), model);
}

TEST(LineStore, ManyLinesInsertedAtOnceAroundTheGapKeepTheOrder) {
    TempDir dir;
    WriteBytes(dir.File("ten.txt"), "0\n1\n2\n3\n4\n5\n6\n7\n8\n9");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("ten.txt")));
    Lines model = LinesOf(buffer);
    // Before and behind where the last insertion left the line array's gap, in numbers that
    // outgrow it each time.
    for (const int nAt : {7, 2, 5000, 3, 12000}) {
        std::string text;
        Lines added;
        for (int i = 0; i < 6000; ++i) {
            added.push_back("n" + std::to_string(nAt) + "." + std::to_string(i));
            text += added.back() + "\r\n";
        }
        int nEndLine, nEndChar;
        ASSERT_TRUE(buffer.RawInsertText(nullptr, nAt, 0, text, nEndLine, nEndChar));
        model.insert(model.begin() + nAt, added.begin(), added.end());
        ASSERT_EQ(LinesOf(buffer), model) << nAt;
    }
}

TEST(LineStore, NumberedMarksAreUniqueAndAnonymousOnesAreNot) {
    CTextBuffer buffer;
    FillBuffer(buffer, Lines(10, "line"));
    RecordingListener view;
    buffer.AttachView(&view);

    buffer.ChangeLineFlag(2, LineFlagMark(3), true);
    view.updates.clear();
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    ASSERT_EQ(view.updates.size(), 2u);
    EXPECT_EQ(view.updates[0].nLine, 2);
    EXPECT_EQ(view.updates[1].nLine, 7);
    for (const auto& update : view.updates) {
        EXPECT_EQ(update.dwHints, HINT_ONELINE | HINT_LINEFLAGS);
        EXPECT_FALSE(update.bHasExtent);
    }
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LineFlagMark(3)), 7);
    EXPECT_EQ(buffer.GetLineFlags(2), 0u);

    // Setting what is already set notifies nobody; masks that are not one bit do nothing.
    view.updates.clear();
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    buffer.ChangeLineFlag(4, LINEFLAG_MARK0 | LINEFLAG_MARK9, true);
    buffer.ChangeLineFlag(4, 0, true);
    EXPECT_TRUE(view.updates.empty());
    EXPECT_EQ(buffer.GetLineFlags(4), 0u);
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LINEFLAG_MARK0 | LINEFLAG_MARK9), -1);

    // Line -1 means the line that carries the flag.
    buffer.ChangeLineFlag(-1, LineFlagMark(3), false);
    EXPECT_EQ(buffer.FindFlaggedLine(LineFlagMark(3)), -1);
    buffer.ChangeLineFlag(-1, LineFlagMark(5), false); // nobody carries it: nothing
    EXPECT_EQ(view.updates.size(), 1u);

    buffer.ChangeLineFlag(1, LINEFLAG_BOOKMARK, true, false);
    buffer.ChangeLineFlag(5, LINEFLAG_BOOKMARK, true, false);
    EXPECT_EQ(buffer.GetLineFlags(1), LINEFLAG_BOOKMARK);
    EXPECT_EQ(buffer.GetLineFlags(5), LINEFLAG_BOOKMARK);
}

TEST(LineStore, WalkingAnonymousBookmarksWrapsAround) {
    CTextBuffer buffer;
    FillBuffer(buffer, Lines(8, ""));
    EXPECT_EQ(buffer.FindNextMarkedLine(3), -1);
    EXPECT_EQ(buffer.FindPrevMarkedLine(3), -1);

    buffer.ChangeLineFlag(4, LINEFLAG_BOOKMARK, true, false);
    EXPECT_EQ(buffer.FindNextMarkedLine(4), 4); // the only one, found again after wrapping
    EXPECT_EQ(buffer.FindPrevMarkedLine(4), 4);

    buffer.ChangeLineFlag(1, LINEFLAG_BOOKMARK, true, false);
    EXPECT_EQ(buffer.FindNextMarkedLine(2), 4);
    EXPECT_EQ(buffer.FindNextMarkedLine(4), 1);
    EXPECT_EQ(buffer.FindNextMarkedLine(1), 4);
    EXPECT_EQ(buffer.FindPrevMarkedLine(3), 1);
    EXPECT_EQ(buffer.FindPrevMarkedLine(1), 4);
    EXPECT_EQ(buffer.FindPrevMarkedLine(7), 4);
}

TEST(LineStore, CopyRangeJoinsLinesWithTheSeparator) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"first", std::string("mid\0dle", 7), "last"});
    std::string text;

    buffer.CopyRange(0, 2, 2, 2, text);
    EXPECT_EQ(text, std::string("rst\r\nmid\0dle\r\nla", 16));
    buffer.CopyRange(0, 2, 2, 2, text, "\n");
    EXPECT_EQ(text, std::string("rst\nmid\0dle\nla", 14));
    buffer.CopyRange(1, 1, 1, 6, text);
    EXPECT_EQ(text, std::string("id\0dl", 5));
    buffer.CopyRange(0, 5, 1, 0, text);
    EXPECT_EQ(text, "\r\n");
    buffer.CopyRange(2, 4, 2, 4, text);
    EXPECT_EQ(text, "");
}

TEST(LineStore, ViewsAreNotifiedInAttachOrderAndDetachCleanly) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"x"});
    RecordingListener first, second;
    buffer.AttachView(&first);
    buffer.AttachView(&second);
    buffer.DetachView(&first);
    buffer.DetachView(&first); // absent: no effect
    buffer.AttachView(&first);

    int nEndLine, nEndChar;
    buffer.RawInsertText(&second, 0, 1, "y", nEndLine, nEndChar);
    ASSERT_EQ(first.updates.size(), 1u);
    ASSERT_EQ(second.updates.size(), 1u);
    EXPECT_EQ(first.updates[0].pSource, &second); // every view hears of it, source included
}

TEST(LineStore, ManyLineInsertionsAtOnePlaceKeepTheOrder) {
    CTextBuffer buffer;
    std::vector<std::string> model;
    for (int i = 0; i < 3000; ++i)
        model.push_back(std::to_string(i));
    FillBuffer(buffer, model);

    int nEndLine, nEndChar;
    for (int i = 0; i < 5000; ++i) {
        const int nLine = (i * 7919) % buffer.GetLineCount();
        buffer.RawInsertText(nullptr, nLine, 0, "n" + std::to_string(i) + "\r", nEndLine, nEndChar);
        model.insert(model.begin() + nLine, "n" + std::to_string(i));
        if (i % 3 == 0) {
            const int nGone = (i * 31) % (buffer.GetLineCount() - 1);
            buffer.RawDeleteText(nullptr, nGone, 0, nGone + 1, 0);
            model.erase(model.begin() + nGone);
        }
    }
    EXPECT_EQ(LinesOf(buffer), model);
}

} // namespace
