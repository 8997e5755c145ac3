// The line store: raw insertion and deletion, the positions they move, notifications, flags,
// storage and copying.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ChangeExtent, MovesThePositionsViewsKeep) {
    const CInsertExtent insert({2, 3}, {5, 5}); // two line breaks inserted at (2, 3)
    const CDeleteExtent lines({1, 0}, {2, 2});  // abc / de / fgh -> ah
    const CDeleteExtent inLine({2, 4}, {5, 4});
    const struct {
        const CChangeExtent& extent;
        TextPos pt;
        TextPos fixed;
    } cases[] = {
        {insert, {7, 2}, {7, 2}}, {insert, {1, 4}, {1, 6}}, {insert, {2, 3}, {2, 3}}, // at it
        {insert, {1, 3}, {1, 3}}, {insert, {4, 3}, {7, 5}}, // after it: onto the last new line
        {lines, {3, 2}, {2, 0}},  {lines, {2, 2}, {1, 0}},  {lines, {1, 1}, {1, 0}},
        {lines, {0, 0}, {0, 0}},  {lines, {3, 0}, {1, 0}},  {lines, {4, 7}, {4, 5}},
        {lines, {1, 2}, {1, 0}},  {inLine, {1, 4}, {1, 4}}, {inLine, {3, 4}, {2, 4}},
        {inLine, {9, 4}, {6, 4}}, {inLine, {9, 5}, {9, 5}},
    };
    for (const auto& c : cases) {
        TextPos pt = c.pt;
        c.extent.FixPosition(pt);
        EXPECT_EQ(pt, c.fixed) << c.pt.x << "," << c.pt.y;
    }
}

// Raw insertions and deletions: the lines, the one notification (with the end an insertion
// returns) and how it moves positions kept before and after the change.
TEST(LineStore, RawEditsSplitAndJoinLinesAndNotifyOnce) {
    const std::string nul(1, '\0');
    const struct {
        Lines before;
        Edit edit;
        Lines after;
        const char* update;
        std::vector<TextPos> positions = {}, moved = {};
    } cases[] = {
        {{"abcd"},
         {0, 2, "x\r\ny"},
         {"abx", "ycd"},
         "+2,0-1,1 h3 L0 end 1,1",
         {{3, 0}, {2, 0}},
         {{2, 1}, {2, 0}}},
        // A lone line feed is a character, a final CR adds an empty line, LF CR is a character
        // then a break, NUL is a character.
        {{""}, {0, 0, "a\nb"}, {"a\nb"}, "+0,0-3,0 h101 L0 end 3,0"},
        {{"xy"}, {0, 2, "a\r"}, {"xya", ""}, "+2,0-0,1 h3 L0 end 0,1"},
        {{"xy"}, {0, 2, "a\r\r"}, {"xya", "", ""}, "+2,0-0,2 h3 L0 end 0,2"},
        {{"<>"}, {0, 1, "1\r\n2\n\r3"}, {"<1", "2\n", "3>"}, "+1,0-1,2 h3 L0 end 1,2"},
        {{"ab"}, {0, 1, nul + "\r" + nul}, {"a" + nul, nul + "b"}, "+1,0-1,1 h3 L0 end 1,1"},
        {{"abc", "de", "fgh", "ij"},
         Del(0, 1, 2, 2),
         {"ah", "ij"},
         "-1,0-2,2 h3 L0",
         {{3, 2}, {1, 1}, {0, 0}, {1, 3}},
         {{2, 0}, {1, 0}, {0, 0}, {1, 1}}},
        {{"abcdef"}, Del(0, 4, 0, 6), {"abcd"}, "-4,0-6,0 h101 L0"}, // to the end: shortens it
        {{"abcdef"},
         Del(0, 1, 0, 3),
         {"adef"},
         "-1,0-3,0 h101 L0",
         {{5, 0}, {1, 0}},
         {{3, 0}, {1, 0}}},
        {{"ad"}, Del(0, 1, 0, 1), {"ad"}, "-1,0-1,0 h101 L0"}, // empty range: still a notice
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.update);
        InspectableBuffer buffer;
        FillBuffer(buffer, c.before);
        buffer.modifiedCalls.clear();
        RecordingListener view;
        view.positions = c.positions;
        buffer.AttachView(&view);
        const Edit& e = c.edit;
        int nEndLine = -1, nEndChar = -1;
        ASSERT_TRUE(
            e.IsDelete()
                ? buffer.RawDeleteText(&view, e.nLine, e.nChar, e.nEndLine, e.nEndChar)
                : buffer.RawInsertText(&view, e.nLine, e.nChar, e.text, nEndLine, nEndChar));
        EXPECT_EQ(LinesOf(buffer), c.after);
        ASSERT_EQ(view.updates.size(), 1u);
        const std::string end = " end " + std::to_string(nEndChar) + "," + std::to_string(nEndLine);
        EXPECT_EQ(view.updates[0] + (e.IsDelete() ? "" : end), c.update);
        EXPECT_EQ(view.sources, std::vector<CTextBufferListener*>{&view});
        EXPECT_EQ(view.positions, c.moved);
        EXPECT_EQ(buffer.modifiedCalls, std::vector<bool>{true});
    }
}

TEST(LineStore, ReadOnlyRefusesEditsSilently) {
    InspectableBuffer buffer;
    FillBuffer(buffer, {"abc", "def"});
    buffer.modifiedCalls.clear();
    RecordingListener view;
    buffer.AttachView(&view);
    buffer.SetReadOnly(true);
    int nEndLine = -1, nEndChar = -1;
    EXPECT_FALSE(buffer.RawInsertText(&view, 0, 1, "xyz\r", nEndLine, nEndChar));
    EXPECT_FALSE(buffer.RawDeleteText(&view, 0, 0, 1, 1));
    EXPECT_FALSE(Apply(buffer, {{0, 0, "q"}}));
    EXPECT_FALSE(Apply(buffer, {Del(0, 0, 0, 1)}, EDITACT_DELETE));
    EXPECT_EQ(LinesOf(buffer), (Lines{"abc", "def"}));
    EXPECT_TRUE(view.updates.empty()); // SetReadOnly itself notifies nobody either
    EXPECT_TRUE(buffer.modifiedCalls.empty());
    EXPECT_FALSE(buffer.CanUndo());
}

TEST(LineStore, LineStorageIsRoundedUpToSixteenBytes) {
    InspectableBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    buffer.AddLine(std::string(15, 'a'));
    buffer.AddLine(std::string(16, 'b'));
    EXPECT_EQ(buffer.Line(0).nCapacity, 16);
    EXPECT_EQ(buffer.Line(1).nCapacity, 16);
    EXPECT_EQ(buffer.Line(2).nCapacity, 32);
    buffer.AppendToLine(1, "x"); // 16 characters still fit in 16 bytes
    EXPECT_EQ(buffer.Line(1).nLength, 16);
    EXPECT_EQ(buffer.Line(1).nCapacity, 16);
    buffer.AppendToLine(1, "y");
    buffer.AppendToLine(1, "");
    EXPECT_EQ(buffer.Line(1).nCapacity, 32);
    EXPECT_EQ(buffer.Line(1).nLength, 17);
    EXPECT_EQ(buffer.GetLineView(1), std::string(15, 'a') + "xy");
    // So do 16 typed into the middle of a line.
    int nEndLine, nEndChar;
    buffer.RawInsertText(nullptr, 0, 0, std::string(15, 'c'), nEndLine, nEndChar);
    buffer.RawInsertText(nullptr, 0, 7, "d", nEndLine, nEndChar);
    EXPECT_EQ(buffer.Line(0).nCapacity, 16);
    EXPECT_EQ(buffer.GetLineView(0), "cccccccdcccccccc");
}

TEST(LineStore, LongLinesGrowRarelyAndLoadedLinesAreCopiedOnce) {
    TempDir dir;
    std::string strLong;
    for (int i = 0; i < 10000; ++i)
        strLong += static_cast<char>('a' + i % 26);
    InspectableBuffer buffer;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("long.txt"), strLong + "\r\nshort"));
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
    const std::string& s = model[0];
    buffer.RawInsertText(nullptr, 0, 7000, "1\r2\r\n3", nEndLine, nEndChar);
    buffer.RawInsertText(nullptr, 2, 5, "\r", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{s.substr(0, 7000) + "1", "2", "3" + s.substr(7000, 4),
                                      s.substr(7004), "short"}));
    buffer.RawDeleteText(nullptr, 0, 7000, 2, 1);
    buffer.RawDeleteText(nullptr, 0, 7004, 1, 0);
    EXPECT_EQ(LinesOf(buffer), model);
}

TEST(LineStore, ManyLinesInsertedAndDeletedAroundTheGapKeepTheOrder) {
    TempDir dir;
    CTextBuffer buffer;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("ten.txt"), "0\n1\n2\n3\n4\n5\n6\n7\n8\n9"));
    Lines model = LinesOf(buffer);
    int nEndLine, nEndChar;
    // Before and behind where the last insertion left the line array's gap, in numbers that
    // outgrow it each time.
    for (const int nAt : {7, 2, 5000, 3, 12000}) {
        std::string text;
        Lines added;
        for (int i = 0; i < 6000; ++i) {
            added.push_back("n" + std::to_string(nAt) + "." + std::to_string(i));
            text += added.back() + "\r\n";
        }
        ASSERT_TRUE(buffer.RawInsertText(nullptr, nAt, 0, text, nEndLine, nEndChar));
        model.insert(model.begin() + nAt, added.begin(), added.end());
        ASSERT_EQ(LinesOf(buffer), model) << nAt;
    }
    // Single lines inserted and deleted all over.
    model.clear();
    for (int i = 0; i < 3000; ++i)
        model.push_back(std::to_string(i));
    FillBuffer(buffer, model);
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

TEST(LineStore, NumberedMarksAreUniqueAndAnonymousOnesWrapAround) {
    CTextBuffer buffer;
    FillBuffer(buffer, Lines(10, "line"));
    RecordingListener view;
    buffer.AttachView(&view);
    buffer.ChangeLineFlag(2, LineFlagMark(3), true);
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    EXPECT_EQ(view.updates, (Lines{". h300 L2", ". h300 L2", ". h300 L7"}));
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LineFlagMark(3)), 7);
    EXPECT_EQ(buffer.GetLineFlags(2), 0u);

    // Setting what is already set notifies nobody; masks that are not one bit do nothing.
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    buffer.ChangeLineFlag(4, LINEFLAG_MARK0 | LINEFLAG_MARK9, true);
    buffer.ChangeLineFlag(4, 0, true);
    EXPECT_EQ(view.updates.size(), 3u);
    EXPECT_EQ(buffer.GetLineFlags(4), 0u);
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LINEFLAG_MARK0 | LINEFLAG_MARK9), -1);
    // Line -1 means the line that carries the flag.
    buffer.ChangeLineFlag(-1, LineFlagMark(3), false);
    EXPECT_EQ(buffer.FindFlaggedLine(LineFlagMark(3)), -1);
    buffer.ChangeLineFlag(-1, LineFlagMark(5), false); // nobody carries it: nothing
    EXPECT_EQ(view.updates.back(), ". h300 L7");
    EXPECT_EQ(view.updates.size(), 4u);
    buffer.DetachView(&view);

    // Anonymous bookmarks: walking them wraps around, the only one is found again.
    FillBuffer(buffer, Lines(8, ""));
    EXPECT_EQ(buffer.FindNextMarkedLine(3), -1);
    EXPECT_EQ(buffer.FindPrevMarkedLine(3), -1);
    buffer.ChangeLineFlag(4, LINEFLAG_BOOKMARK, true, false);
    EXPECT_EQ(buffer.FindNextMarkedLine(4), 4);
    EXPECT_EQ(buffer.FindPrevMarkedLine(4), 4);
    buffer.ChangeLineFlag(1, LINEFLAG_BOOKMARK, true, false);
    EXPECT_EQ(buffer.GetLineFlags(1), LINEFLAG_BOOKMARK);
    EXPECT_EQ(buffer.GetLineFlags(4), LINEFLAG_BOOKMARK);
    const std::pair<int, int> next[] = {{2, 4}, {4, 1}, {1, 4}}, prev[] = {{3, 1}, {1, 4}, {7, 4}};
    for (const auto& [nFrom, nFound] : next)
        EXPECT_EQ(buffer.FindNextMarkedLine(nFrom), nFound) << nFrom;
    for (const auto& [nFrom, nFound] : prev)
        EXPECT_EQ(buffer.FindPrevMarkedLine(nFrom), nFound) << nFrom;
}

TEST(LineStore, CopyRangeJoinsLinesWithTheSeparator) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"first", std::string("mid\0dle", 7), "last"});
    const struct {
        TextPos from, to;
        const char* eol;
        std::string text;
    } cases[] = {
        {{2, 0}, {2, 2}, "\r\n", std::string("rst\r\nmid\0dle\r\nla", 16)},
        {{2, 0}, {2, 2}, "\n", std::string("rst\nmid\0dle\nla", 14)},
        {{1, 1}, {6, 1}, "\r\n", std::string("id\0dl", 5)},
        {{5, 0}, {0, 1}, "\r\n", "\r\n"},
        {{4, 2}, {4, 2}, "\r\n", ""},
    };
    std::string text = "stale";
    for (const auto& c : cases) {
        buffer.CopyRange(c.from.y, c.from.x, c.to.y, c.to.x, text, c.eol);
        EXPECT_EQ(text, c.text);
    }
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
    // Every view hears of it, the source included.
    EXPECT_EQ(first.sources, std::vector<CTextBufferListener*>{&second});
    EXPECT_EQ(second.sources, std::vector<CTextBufferListener*>{&second});
}

} // namespace
