// The buffer: edits, flags, storage, undo against a model, and loading, saving and exporting.
#include "buffer/SafeFileWriter.h"
#include "buffer/TextBuffer.h"
#include "tests/support/TempFiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Notifications as text ("+2,0-1,1 h3 L0 self": insertion, extent, hints, line, from this view;
// "." without extent), and `positions` moved through the extents as a view moves them.
class RecordingListener : public CTextBufferListener {
public:
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override {
        std::ostringstream text;
        if (!pExtent)
            text << ".";
        else
            text << (dynamic_cast<const CInsertExtent*>(pExtent) ? "+" : "-") << pExtent->ptFrom.x
                 << "," << pExtent->ptFrom.y << "-" << pExtent->ptTo.x << "," << pExtent->ptTo.y;
        text << " h" << std::hex << dwHints << std::dec << " L" << nLine;
        updates.push_back(text.str() + (pSource == this ? " self" : ""));
        for (TextPos& pt : positions)
            if (pExtent)
                pExtent->FixPosition(pt);
    }
    void OnUndoGroupClosed(int nAction, std::string_view text) override {
        closedGroups.emplace_back(nAction, text);
    }

    Lines updates;
    std::vector<std::pair<int, std::string>> closedGroups; // action, text
    std::vector<TextPos> positions;
};

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

Lines LinesOf(const CTextBuffer& buffer) {
    Lines lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

void FillBuffer(CTextBuffer& buffer, const Lines& lines) {
    buffer.Clear();
    buffer.InitEmpty(EOL_CRLF);
    buffer.AppendToLine(0, lines.empty() ? "" : lines[0]);
    for (size_t i = 1; i < lines.size(); ++i)
        buffer.AddLine(lines[i]);
}

FileResult LoadBytes(CTextBuffer& buffer, const std::string& path, const std::string& bytes) {
    WriteBytes(path, bytes);
    return buffer.LoadFile(path);
}

// Inserts `text` at (nChar, nLine), or with an end line deletes up to (nEndChar, nEndLine).
struct Edit {
    int nLine, nChar;
    std::string text;
    int nEndLine = -1, nEndChar = 0;
    bool IsDelete() const { return nEndLine >= 0; }
};
Edit Del(int nLine, int nChar, int nEndLine, int nEndChar) {
    return {nLine, nChar, {}, nEndLine, nEndChar};
}

bool Apply(CTextBuffer& buffer, const std::vector<Edit>& edits, int nAction = EDITACT_TYPING,
           CTextBufferListener* pSource = nullptr) {
    for (const Edit& e : edits) {
        int nEndLine, nEndChar;
        if (!(e.IsDelete()
                  ? buffer.DeleteRange(pSource, e.nLine, e.nChar, e.nEndLine, e.nEndChar, nAction)
                  : buffer.InsertTextAt(pSource, e.nLine, e.nChar, e.text, nEndLine, nEndChar,
                                        nAction)))
            return false;
    }
    return true;
}

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
        {T::Rename_, EIO, false, false, true, "Input/output error"}, // .bak linked first
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
        for (int nPass = 0; nPass < (bInPlace || bBackup ? 1 : 2); ++nPass) {
            buffer.SetFileOps(nPass == 1 ? &exportOps : &ops);
            const FileResult result = nPass == 1 ? buffer.ExportVey(path) : buffer.SaveFile(path);
            EXPECT_EQ(result.strError.rfind(reason, 0), 0u) << result.strError;
            strError = nPass == 1 ? strError : result.strError;
            EXPECT_TRUE(!result && buffer.IsModified() && buffer.GetSavedHistoryPos() == 0);
            EXPECT_EQ(std::pair(StatOf(path).st_ino, ModeOf(path)), std::pair(ino, mode_t{0640}));
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
        EXPECT_TRUE(!bBackup || ReadBytes(path + ".bak") == old);
        buffer.SetFileOps(nullptr);
        ASSERT_TRUE(buffer.SaveFile(path));
        EXPECT_EQ(ReadBytes(path), std::string(5000, 'n') + old);
    }
}

// The user's own file keeps its group through a rename only where the user is in that group;
// links, other owners, devices and the superuser are decided by the real saves below.
TEST(FileSave, ARenameIsUsedOnlyWhereItKeepsTheFileWhatItWas) {
    SaveFacts facts;
    facts.bExists = facts.bMayWriteFile = facts.bMayWriteDirectory = true;
    facts.mode = S_IFREG | 06755;
    facts.uidOwner = facts.uidUser = 1000;
    facts.gidOwner = 50;
    facts.groups = {1000};
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
