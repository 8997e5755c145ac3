// The buffer's edits: line storage, flags and marks, notifications, undo and redo against a model.
#include "tests/buffer/BufferTestSupport.h"

#include <deque>
#include <random>
#include <regex>

#include <gtest/gtest.h>

namespace {

// A buffer that shows its line storage and records each call of SetModified.
class InspectableBuffer : public CTextBuffer {
public:
    using CTextBuffer::Line;
    void SetModified(bool bModified) override {
        modifiedCalls.push_back(bModified);
        CTextBuffer::SetModified(bModified);
    }
    std::vector<bool> modifiedCalls;
};

// LF, LF CR and NUL are characters; a final CR adds a line; an empty range still notifies.
TEST(LineStore, RawEditsSplitAndJoinLinesAndNotifyOnceUnlessReadOnly) {
    const std::string nul(1, '\0');
    using Moves = std::vector<std::pair<TextPos, TextPos>>;
    // clang-format off
    const std::tuple<Lines, Edit, Lines, const char*, Moves> cases[] = {
        {{"abcd"}, {0, 2, "x\r\ny"}, {"abx", "ycd"}, "+2,0-1,1 h3 L0 end 1,1",
         {{{3, 0}, {2, 1}}, {{2, 0}, {2, 0}}, {{1, 1}, {1, 2}}, {{1, 0}, {1, 0}}}},
        {{"", "", "", "0123", "z"}, {3, 2, "\r\n\r\nabcde"}, {"", "", "", "01", "", "abcde23", "z"},
         "+2,3-5,5 h3 L3 end 5,5",
         {{{7, 2}, {7, 2}}, {{1, 4}, {1, 6}}, {{4, 3}, {7, 5}}, {{2, 3}, {2, 3}}, {{1, 3}, {1, 3}}}},
        {{"ab", "c"}, {0, 1, "x\r\ny\r\nz"}, {"ax", "y", "zb", "c"}, "+1,0-1,2 h3 L0 end 1,2", {}}, // fills the gap
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
        ASSERT_EQ(other.updates.size(), 1u);
        EXPECT_EQ(other.updates[0] + (e.IsDelete() ? "" : end), update);
        EXPECT_EQ(view.updates, Lines{other.updates[0] + " self"});
        for (size_t i = 0; i < moves.size(); ++i)
            EXPECT_EQ(view.positions[i], moves[i].second) << i;
        EXPECT_EQ(buffer.modifiedCalls, std::vector<bool>{true});
    }
    // Read-only, every edit is refused silently; a detached view hears nothing.
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

// Before and behind the line array's gap, in numbers that outgrow it, then deleted all over.
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
        for (int i = 0; i < 300; ++i) {
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

using Groups = std::vector<std::pair<int, std::string>>;

std::string Joined(const CTextBuffer& buffer, const char* pszSeparator) {
    std::string text(buffer.GetLineView(0));
    for (int i = 1; i < buffer.GetLineCount(); ++i)
        text.append(pszSeparator).append(buffer.GetLineView(i));
    return text;
}

// Undo or redo, then the lines, the caret, modified, history and saved position, groups, steps
// and the undo and redo labels: "ab|c ^2,1 * 2/0 g2 s3 Typing/"; "refused" first if it was.
struct History {
    CTextBuffer& buffer;
    TextPos caret{-1, -1};
    std::string Move(bool bUndo) {
        const bool bMoved = bUndo ? buffer.Undo(caret) : buffer.Redo(caret);
        return (bMoved ? "" : "refused ") + State();
    }
    std::string State() const {
        std::string undo = "stale", redo = "stale";
        buffer.GetUndoLabel(undo);
        buffer.GetRedoLabel(redo);
        return Joined(buffer, "|") + " ^" + std::to_string(caret.x) + "," +
               std::to_string(caret.y) + (buffer.IsModified() ? " * " : " - ") +
               std::to_string(buffer.GetHistoryPos()) + "/" +
               std::to_string(buffer.GetSavedHistoryPos()) + " g" +
               std::to_string(buffer.GetUndoGroupCount()) + " s" +
               std::to_string(buffer.GetUndoStepCount()) + " " + undo + "/" + redo;
    }
};

TEST(Undo, GroupsRevertWholeAndLeaveTheCaretAndLabelsOfTheirEdges) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    History h{buffer};
    ASSERT_TRUE(Apply(buffer, {{0, 0, "hello"}, {0, 5, "\r\nworld"}}));
    // clang-format off
    for (const auto& [bUndo, state] : {std::pair{true, "hello ^5,0 * 1/0 g2 s2 Typing/Typing"},
                                       {true, " ^0,0 - 0/0 g2 s2 /Typing"},
                                       {false, "hello ^5,0 * 1/0 g2 s2 Typing/Typing"},
                                       {false, "hello|world ^5,1 * 2/0 g2 s2 Typing/"},
                                       {true, "hello ^5,0 * 1/0 g2 s2 Typing/Typing"}})
        EXPECT_EQ(h.Move(bUndo), state);
    // clang-format on
    ASSERT_TRUE(Apply(buffer, {{0, 5, "!"}})); // drops the undone steps
    EXPECT_EQ(h.State(), "hello! ^5,0 * 2/0 g2 s2 Typing/");

    // Merge on an empty history starts a group; the next merged group continues it.
    FillBuffer(buffer, {"abc"});
    RecordingListener view;
    for (int nGroup = 0; nGroup < 2; ++nGroup) {
        buffer.OpenUndoGroup(true);
        Apply(buffer, {{0, 3 + 2 * nGroup, "1"}, {0, 4 + 2 * nGroup, "2"}}, EDITACT_TYPING, &view);
        buffer.CloseUndoGroup(&view);
    }
    EXPECT_EQ(view.closedGroups, (Groups{{EDITACT_TYPING, "2"}, {EDITACT_TYPING, "2"}}));
    EXPECT_EQ(h.Move(true), "abc ^3,0 - 0/0 g1 s4 /Typing");
    EXPECT_EQ(h.Move(false), "abc1212 ^7,0 * 4/0 g1 s4 Typing/");

    // A read-only buffer neither undoes nor redoes.
    Apply(buffer, {{0, 7, "3"}});
    EXPECT_EQ(h.Move(true), "abc1212 ^7,0 * 4/0 g2 s5 Typing/Typing");
    buffer.SetReadOnly(true);
    EXPECT_EQ(h.Move(true), "refused abc1212 ^7,0 * 4/0 g2 s5 Typing/Typing");
    EXPECT_EQ(h.Move(false), "refused abc1212 ^7,0 * 4/0 g2 s5 Typing/Typing");

    std::string label = "kept";
    EXPECT_FALSE(buffer.GetActionLabel(EDITACT_BACKSPACEWORD + 1, label));
    EXPECT_EQ(label, "kept");
    EXPECT_TRUE(buffer.GetActionLabel(EDITACT_UNKNOWN, label) && label == "Unknown");

    // Deleted line ends are recorded as CR LF and come back as one break each.
    TempDir dir;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("lf.txt"), "one\ntwo\nthree"));
    ASSERT_TRUE(Apply(buffer, {Del(0, 1, 2, 2)}, EDITACT_DELSEL, &view));
    EXPECT_EQ(view.closedGroups.back().second, "ne\r\ntwo\r\nth");
    EXPECT_EQ(h.Move(true), "one|two|three ^2,2 - 0/0 g1 s1 /Delete Selection");
    ASSERT_TRUE(buffer.SaveFile(dir.File("lf.txt")));
    EXPECT_EQ(ReadBytes(dir.File("lf.txt")), "one\ntwo\nthree");
}

// The edit view's auto-indent: the callback inserts, and that insert is its own group.
TEST(Undo, ClosingAGroupCallsBackTheSourceWhoseEditsStartANewGroup) {
    class IndentingView : public RecordingListener {
    public:
        CTextBuffer* pBuffer = nullptr;
        void OnUndoGroupClosed(int nAction, std::string_view text) override {
            RecordingListener::OnUndoGroupClosed(nAction, text);
            if (text == "\r\n")
                Apply(*pBuffer, {{1, 0, "  "}}, EDITACT_AUTOINDENT, this);
        }
    } view;
    CTextBuffer buffer;
    FillBuffer(buffer, {"  x"});
    view.pBuffer = &buffer;
    History h{buffer};
    Apply(buffer, {{0, 3, "\r\n"}}, EDITACT_TYPING, &view);
    EXPECT_EQ(view.closedGroups, (Groups{{EDITACT_TYPING, "\r\n"}})); // none for the nested one
    EXPECT_EQ(h.State(), "  x|   ^-1,-1 * 2/0 g2 s2 Auto Indent/");
    EXPECT_EQ(h.Move(true), "  x| ^0,1 * 1/0 g2 s2 Typing/Auto Indent");
    EXPECT_EQ(h.Move(true), "  x ^3,0 - 0/0 g2 s2 /Typing");
}

// Saving without waiting for the disk: the sessions save often.
class CNoSyncFileOps : public CFileOps {
public:
    int Sync(int) override { return 0; }
};

// Edits alone, merged into the action before, in groups of a few steps and now and then of more
// than the history's limit; undo, redo and saves between. The model: the text (lines joined by
// \x01) after each action, oldest first, the current and the saved one (-1 once dropped). A merge
// joins the action before, except at the start and where the file was saved. Seeds on a file
// with CRs in its lines (undo must not break them), and past the limit.
TEST(RandomEdits, MatchThePlainModelThroughUndoRedoSavesAndTheHistoryLimit) {
    constexpr int kMaxGroups = CTextBuffer::kMaxUndoSteps;
    static const std::string kPieces[] = {
        "a", "b", "xyz", "\t", " ", "\r", "\n", "\r\n", std::string(1, '\0'), "\n\r", "\r\r"};
    static const std::regex kBreak("\r\n?");
    static const char kBytes[] = "one\rtwo\nx\r\nthr\0ee\n\n\r\rfour\r";
    const std::string original(kBytes, sizeof kBytes - 1);
    TempDir dir;
    CNoSyncFileOps fileOps;
    for (const auto& [first, last, nOperations] :
         {std::tuple{1u, 20u, 500}, {100u, 109u, 500}, {200u, 202u, 4000}})
        for (unsigned seed = first; seed <= last; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            InspectableBuffer buffer;
            const bool bLoaded = seed >= 100 && seed < 200;
            ASSERT_TRUE(LoadBytes(buffer, dir.File("f.txt"),
                                  bLoaded ? original : "alpha\r\n\r\nbeta\tgamma"));
            buffer.SetFileOps(&fileOps);
            std::mt19937 rng(seed);
            auto pick = [&rng](int lo, int hi) {
                return std::uniform_int_distribution<int>(lo, hi)(rng);
            };
            std::string model = Joined(buffer, "\x01");
            std::deque<std::string> states = {model};
            int nState = 0, nSaved = 0, nDropped = 0;
            auto position = [&] {
                const int y = pick(0, buffer.GetLineCount() - 1);
                size_t nOffset = 0;
                for (int i = 0; i < y; ++i)
                    nOffset = model.find('\x01', nOffset) + 1;
                const int x = pick(0, buffer.GetLineLength(y));
                return std::pair(TextPos{x, y}, nOffset + x);
            };
            size_t nCalls = buffer.modifiedCalls.size();
            for (int op = 0; op < nOperations && !testing::Test::HasFatalFailure(); ++op) {
                const int choice = pick(0, 999);
                if (choice < 600 || choice >= 970) {
                    const bool bMerge = choice < 600 && pick(0, 2) == 0;
                    const int nSteps = choice < 600   ? 1
                                       : choice < 999 ? pick(2, 8)
                                                      : kMaxGroups + pick(1, 64);
                    buffer.OpenUndoGroup(bMerge);
                    for (int i = 0; i < nSteps; ++i) {
                        auto [from, nFrom] = position();
                        auto [to, nTo] = position();
                        if (pick(0, 9) < 6) {
                            std::string text;
                            for (int n = pick(0, 5); n > 0; --n)
                                text += kPieces[pick(0, static_cast<int>(std::size(kPieces)) - 1)];
                            EXPECT_TRUE(Apply(buffer, {{from.y, from.x, text}}));
                            // Inserted text breaks at CR or CR LF, nothing else.
                            model.insert(nFrom, std::regex_replace(text, kBreak, "\x01"));
                            continue;
                        }
                        if (to < from)
                            std::swap(from, to), std::swap(nFrom, nTo);
                        EXPECT_TRUE(
                            Apply(buffer, {Del(from.y, from.x, to.y, to.x)}, EDITACT_DELETE));
                        model.erase(nFrom, nTo - nFrom);
                    }
                    buffer.CloseUndoGroup(nullptr);
                    states.resize(static_cast<size_t>(nState) + 1);
                    nSaved = nSaved > nState ? -1 : nSaved;
                    if (bMerge && nState > 0 && nState != nSaved) {
                        states.back() = model;
                    } else {
                        states.push_back(model);
                        ++nState;
                    }
                    if (nState > kMaxGroups) {
                        states.pop_front();
                        --nState;
                        nSaved = nSaved > 0 ? nSaved - 1 : -1;
                        ++nDropped;
                    }
                } else if (choice < 920) {
                    const bool bUndo = choice < 780;
                    TextPos caret;
                    if (!(bUndo ? buffer.CanUndo() : buffer.CanRedo()))
                        continue;
                    EXPECT_TRUE(bUndo ? buffer.Undo(caret) : buffer.Redo(caret));
                    model = states[static_cast<size_t>(nState += bUndo ? -1 : 1)];
                } else {
                    EXPECT_TRUE(buffer.SaveFile(dir.File("s.txt")));
                    nSaved = nState;
                    nCalls = buffer.modifiedCalls.size(); // saving clears the flag unasked
                }
                ASSERT_EQ(Joined(buffer, "\x01"), model) << "operation " << op;
                ASSERT_EQ(buffer.IsModified(), nState != nSaved) << op;
                ASSERT_EQ(buffer.GetUndoGroupCount() + 1, static_cast<int>(states.size()));
                // The flag is set or cleared only when it changes.
                const std::vector<bool>& calls = buffer.modifiedCalls;
                for (; nCalls < calls.size(); ++nCalls)
                    ASSERT_TRUE(nCalls == 0 || calls[nCalls] != calls[nCalls - 1]) << op;
            }
            for (TextPos caret; buffer.CanUndo();)
                EXPECT_TRUE(buffer.Undo(caret));
            EXPECT_EQ(Joined(buffer, "\x01"), states.front());
            EXPECT_TRUE(!bLoaded || (buffer.SaveFile(dir.File("f.txt")) &&
                                     ReadBytes(dir.File("f.txt")) == original));
            for (TextPos caret; buffer.CanRedo();)
                EXPECT_TRUE(buffer.Redo(caret));
            EXPECT_EQ(Joined(buffer, "\x01"), states.back());
            EXPECT_EQ(nDropped > 0, seed >= 200);
        }
}

} // namespace
