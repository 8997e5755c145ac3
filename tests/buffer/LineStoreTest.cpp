// The line store: raw edits, the positions they move, notifications, flags, storage, copying.
#include "BufferTestSupport.h"

namespace {

// The one notice every view hears (with the end an insertion returns), the positions views keep
// (from, to) and one SetModified. LF, LF CR and NUL are characters; a final CR adds a line.
TEST(LineStore, RawEditsSplitAndJoinLinesAndNotifyOnce) {
    const std::string nul(1, '\0');
    using Moves = std::vector<std::pair<TextPos, TextPos>>;
    // clang-format off
    const std::tuple<Lines, Edit, Lines, const char*, Moves> cases[] = {
        {{"abcd"}, {0, 2, "x\r\ny"}, {"abx", "ycd"}, "+2,0-1,1 h3 L0 end 1,1",
         {{{3, 0}, {2, 1}}, {{2, 0}, {2, 0}}, {{1, 1}, {1, 2}}, {{1, 0}, {1, 0}}}},
        {{"", "", "", "0123", "z"}, {3, 2, "\r\n\r\nabcde"}, {"", "", "", "01", "", "abcde23", "z"},
         "+2,3-5,5 h3 L3 end 5,5",
         {{{7, 2}, {7, 2}}, {{1, 4}, {1, 6}}, {{4, 3}, {7, 5}}, {{2, 3}, {2, 3}}, {{1, 3}, {1, 3}}}},
        {{""}, {0, 0, "a\nb"}, {"a\nb"}, "+0,0-3,0 h101 L0 end 3,0", {}},
        {{"xy"}, {0, 2, "a\r"}, {"xya", ""}, "+2,0-0,1 h3 L0 end 0,1", {}},
        {{"xy"}, {0, 2, "a\r\r"}, {"xya", "", ""}, "+2,0-0,2 h3 L0 end 0,2", {}},
        {{"<>"}, {0, 1, "1\r\n2\n\r3"}, {"<1", "2\n", "3>"}, "+1,0-1,2 h3 L0 end 1,2", {}},
        {{"ab"}, {0, 1, nul + "\r" + nul}, {"a" + nul, nul + "b"}, "+1,0-1,1 h3 L0 end 1,1", {}},
        {{"abc", "de", "fgh", "ij"}, Del(0, 1, 2, 2), {"ah", "ij"}, "-1,0-2,2 h3 L0",
         {{{3, 2}, {2, 0}}, {{2, 2}, {1, 0}}, {{1, 1}, {1, 0}}, {{0, 0}, {0, 0}}, {{1, 3}, {1, 1}},
          {{4, 7}, {4, 5}}, {{1, 2}, {1, 0}}, {{3, 0}, {1, 0}}}},
        {{"abcdef"}, Del(0, 4, 0, 6), {"abcd"}, "-4,0-6,0 h101 L0", {}},
        {{"abcdef"}, Del(0, 1, 0, 3), {"adef"}, "-1,0-3,0 h101 L0",
         {{{5, 0}, {3, 0}}, {{1, 0}, {1, 0}}, {{0, 0}, {0, 0}}, {{2, 0}, {1, 0}}, {{9, 1}, {9, 1}}}},
        {{"ad"}, Del(0, 1, 0, 1), {"ad"}, "-1,0-1,0 h101 L0", {}}}; // empty: still a notice
    // clang-format on
    for (const auto& [before, e, after, update, moves] : cases) {
        SCOPED_TRACE(update);
        InspectableBuffer buffer;
        FillBuffer(buffer, before);
        buffer.modifiedCalls.clear();
        RecordingListener view, other;
        for (const auto& [from, to] : moves)
            view.positions.push_back(from);
        buffer.AttachView(&other);
        buffer.AttachView(&view);
        int nEndLine = -1, nEndChar = -1;
        ASSERT_TRUE(
            e.IsDelete()
                ? buffer.RawDeleteText(&view, e.nLine, e.nChar, e.nEndLine, e.nEndChar)
                : buffer.RawInsertText(&view, e.nLine, e.nChar, e.text, nEndLine, nEndChar));
        EXPECT_EQ(LinesOf(buffer), after);
        const std::string end = " end " + std::to_string(nEndChar) + "," + std::to_string(nEndLine);
        ASSERT_EQ(view.updates.size(), 1u);
        EXPECT_EQ(view.updates[0] + (e.IsDelete() ? "" : end), update);
        EXPECT_EQ(view.sources, std::vector<CTextBufferListener*>{&view});
        EXPECT_EQ(other.sources, view.sources);
        for (size_t i = 0; i < moves.size(); ++i)
            EXPECT_EQ(view.positions[i], moves[i].second) << i;
        EXPECT_EQ(buffer.modifiedCalls, std::vector<bool>{true});
    }
}

TEST(LineStore, ReadOnlyRefusesEditsSilentlyAndDetachedViewsHearNothing) {
    InspectableBuffer buffer;
    FillBuffer(buffer, {"abc", "def"});
    buffer.modifiedCalls.clear();
    RecordingListener view, gone;
    buffer.AttachView(&gone);
    buffer.AttachView(&view);
    buffer.DetachView(&gone);
    buffer.DetachView(&gone); // absent: no effect
    buffer.SetReadOnly(true); // which notifies nobody either
    int nEndLine = -1, nEndChar = -1;
    EXPECT_FALSE(buffer.RawInsertText(&view, 0, 1, "xyz\r", nEndLine, nEndChar) ||
                 buffer.RawDeleteText(&view, 0, 0, 1, 1) || Apply(buffer, {{0, 0, "q"}}) ||
                 Apply(buffer, {Del(0, 0, 0, 1)}, EDITACT_DELETE));
    EXPECT_EQ(LinesOf(buffer), (Lines{"abc", "def"}));
    EXPECT_TRUE(view.updates.empty() && buffer.modifiedCalls.empty() && !buffer.CanUndo());
    buffer.SetReadOnly(false);
    ASSERT_TRUE(buffer.RawDeleteText(&view, 0, 0, 0, 1));
    EXPECT_EQ(view.updates.size() + gone.updates.size(), 1u);
}

// 16 characters fit in 16 bytes, appended or typed into the middle.
TEST(LineStore, LineStorageIsRoundedUpToSixteenBytes) {
    InspectableBuffer buffer;
    auto capacities = [&buffer] {
        return std::vector{buffer.Line(0).nCapacity, buffer.Line(1).nCapacity,
                           buffer.Line(2).nCapacity};
    };
    buffer.InitEmpty(EOL_CRLF);
    buffer.AddLine(std::string(15, 'a'));
    buffer.AddLine(std::string(16, 'b'));
    EXPECT_EQ(capacities(), (std::vector{16, 16, 32}));
    buffer.AppendToLine(1, "x");
    EXPECT_EQ(capacities(), (std::vector{16, 16, 32}));
    buffer.AppendToLine(1, "y");
    buffer.AppendToLine(1, "");
    int nEndLine, nEndChar;
    buffer.RawInsertText(nullptr, 0, 0, std::string(15, 'c'), nEndLine, nEndChar);
    buffer.RawInsertText(nullptr, 0, 7, "d", nEndLine, nEndChar);
    EXPECT_EQ(capacities(), (std::vector{16, 32, 32}));
    EXPECT_EQ(LinesOf(buffer),
              (Lines{"cccccccdcccccccc", std::string(15, 'a') + "xy", std::string(16, 'b')}));
}

// A thousand characters typed into the middle grow it at most once; line breaks go in and out.
TEST(LineStore, LongLinesGrowRarelyAndLoadedLinesAreCopiedOnce) {
    TempDir dir;
    std::string strLong;
    for (int i = 0; i < 10000; ++i)
        strLong += static_cast<char>('a' + i % 26);
    InspectableBuffer buffer;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("long.txt"), strLong + "\r\nshort"));
    Lines model{strLong, "short"};
    EXPECT_FALSE(buffer.Line(0).OwnsStorage());
    int nEndLine, nEndChar, nGrowths = 0;
    for (int i = 0; i < 1000; ++i) {
        const int nCapacity = buffer.Line(0).nCapacity;
        buffer.RawInsertText(nullptr, 0, 5000 + i, "+", nEndLine, nEndChar);
        nGrowths += i > 0 && buffer.Line(0).nCapacity != nCapacity;
    }
    model[0].insert(5000, std::string(1000, '+'));
    EXPECT_LE(nGrowths, 1);
    EXPECT_EQ(LinesOf(buffer), model);
    const std::string& s = model[0];
    buffer.RawInsertText(nullptr, 0, 7000, "1\r2\r\n3", nEndLine, nEndChar);
    buffer.RawInsertText(nullptr, 2, 5, "\r", nEndLine, nEndChar);
    EXPECT_EQ(LinesOf(buffer), (Lines{s.substr(0, 7000) + "1", "2", "3" + s.substr(7000, 4),
                                      s.substr(7004), "short"}));
    buffer.RawDeleteText(nullptr, 0, 7000, 2, 1);
    buffer.RawDeleteText(nullptr, 0, 7004, 1, 0);
    EXPECT_EQ(LinesOf(buffer), model);
}

// Before and behind where the last insertion left the line array's gap, in numbers that
// outgrow it each time, then single lines deleted all over.
TEST(LineStore, ManyLinesInsertedAndDeletedAroundTheGapKeepTheOrder) {
    CTextBuffer buffer;
    Lines model = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    FillBuffer(buffer, model);
    int nEndLine, nEndChar;
    for (const int nAt : {7, 2, 5000, 3, 12000}) {
        std::string text;
        Lines added;
        for (int i = 0; i < 6000; ++i) {
            added.push_back("n" + std::to_string(nAt) + "." + std::to_string(i));
            text += added.back() + "\r\n";
        }
        ASSERT_TRUE(buffer.RawInsertText(nullptr, nAt, 0, text, nEndLine, nEndChar));
        model.insert(model.begin() + nAt, added.begin(), added.end());
        for (int i = 0; i < 1000; ++i) {
            const int nGone = (i * 7919) % (buffer.GetLineCount() - 1);
            buffer.RawDeleteText(nullptr, nGone, 0, nGone + 1, 0);
            model.erase(model.begin() + nGone);
        }
        ASSERT_EQ(LinesOf(buffer), model) << nAt;
    }
}

TEST(LineStore, NumberedMarksAreUniqueAndAnonymousOnesWrapAround) {
    CTextBuffer buffer;
    FillBuffer(buffer, Lines(10, "line"));
    RecordingListener view;
    buffer.AttachView(&view);
    buffer.ChangeLineFlag(2, LineFlagMark(3), true);
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    // Setting what is already set notifies nobody; masks that are not one bit do nothing.
    buffer.ChangeLineFlag(7, LineFlagMark(3), true);
    buffer.ChangeLineFlag(4, LINEFLAG_MARK0 | LINEFLAG_MARK9, true);
    buffer.ChangeLineFlag(4, 0, true);
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LineFlagMark(3)), 7);
    EXPECT_EQ(buffer.GetLineFlags(2) | buffer.GetLineFlags(4), 0u);
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LINEFLAG_MARK0 | LINEFLAG_MARK9), -1);
    // Line -1 means the line that carries the flag; when nobody does, nothing happens.
    buffer.ChangeLineFlag(-1, LineFlagMark(3), false);
    buffer.ChangeLineFlag(-1, LineFlagMark(5), false);
    EXPECT_EQ(buffer.FindFlaggedLine(LineFlagMark(3)), -1);
    EXPECT_EQ(view.updates, (Lines{". h300 L2", ". h300 L2", ". h300 L7", ". h300 L7"}));
    buffer.DetachView(&view);
    // Anonymous bookmarks, not unique: walking them wraps around, a single one is found again.
    FillBuffer(buffer, Lines(8, ""));
    // clang-format off
    const std::tuple<int, int, int, int> walks[] = { // line marked first, from, next, previous
        {-1, 3, -1, -1}, {4, 4, 4, 4}, {1, 2, 4, 1}, {1, 4, 1, 1}, {1, 1, 4, 4}, {1, 3, 4, 1}, {1, 7, 1, 4}};
    // clang-format on
    for (const auto& [nMark, nFrom, nNext, nPrev] : walks) {
        if (nMark >= 0)
            buffer.ChangeLineFlag(nMark, LINEFLAG_BOOKMARK, true, false);
        EXPECT_EQ(std::pair(buffer.FindNextMarkedLine(nFrom), buffer.FindPrevMarkedLine(nFrom)),
                  std::pair(nNext, nPrev))
            << nFrom;
    }
}

TEST(LineStore, CopyRangeJoinsLinesWithTheSeparator) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"first", std::string("mid\0dle", 7), "last"});
    // clang-format off
    const std::tuple<TextPos, TextPos, const char*, std::string> cases[] = {
        {{2, 0}, {2, 2}, "\r\n", std::string("rst\r\nmid\0dle\r\nla", 16)},
        {{2, 0}, {2, 2}, "\n", std::string("rst\nmid\0dle\nla", 14)},
        {{1, 1}, {6, 1}, "\r\n", std::string("id\0dl", 5)},
        {{5, 0}, {0, 1}, "\r\n", "\r\n"},
        {{4, 2}, {4, 2}, "\r\n", ""}};
    // clang-format on
    std::string text = "stale";
    for (const auto& [from, to, eol, copied] : cases) {
        buffer.CopyRange(from.y, from.x, to.y, to.x, text, eol);
        EXPECT_EQ(text, copied);
    }
}

} // namespace
