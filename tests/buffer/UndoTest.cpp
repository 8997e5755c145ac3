// The undo history: groups, carets, labels and callbacks, and random sessions of edits, undo,
// redo and saves past the history's limit, checked after every step against a plain model.
#include "BufferTestSupport.h"

#include <deque>
#include <numeric>
#include <random>
#include <regex>

namespace {

using Groups = std::vector<std::pair<int, std::string>>;

std::string Joined(const CTextBuffer& buffer, const char* pszSeparator) {
    std::string text(buffer.GetLineView(0));
    for (int i = 1; i < buffer.GetLineCount(); ++i)
        text.append(pszSeparator).append(buffer.GetLineView(i));
    return text;
}

// Undo or redo, then the buffer in one line: its lines joined by "|", the caret the move left,
// "*" when modified, the history position and the saved one, the numbers of groups and of
// steps, and the undo and redo labels: "ab|c ^2,1 * 2/0 g2 s3 Typing/". "refused" when the
// move was.
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

    // Merge on an empty history still starts a group; a merged group continues the one
    // before it, and one Undo reverts all four characters.
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

    // The first step of a group names it; a code without a label has none.
    FillBuffer(buffer, {""});
    Apply(buffer, {{0, 0, "x"}}, EDITACT_PASTE);
    buffer.OpenUndoGroup();
    Apply(buffer, {{0, 1, "y"}}, EDITACT_REPLACE);
    Apply(buffer, {Del(0, 0, 0, 1)}, EDITACT_DELETE);
    buffer.CloseUndoGroup(nullptr);
    Apply(buffer, {{0, 1, "z"}}, 42);
    EXPECT_EQ(h.Move(true), "y ^1,0 * 3/0 g3 s4 Replace/");
    EXPECT_EQ(h.Move(true), "x ^1,0 * 1/0 g3 s4 Paste/Replace");
    // A read-only buffer neither undoes nor redoes.
    buffer.SetReadOnly(true);
    EXPECT_EQ(h.Move(true), "refused x ^1,0 * 1/0 g3 s4 Paste/Replace");
    EXPECT_EQ(h.Move(false), "refused x ^1,0 * 1/0 g3 s4 Paste/Replace");

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

// Edits alone, merged into the action before, or in groups of a few steps and, now and then,
// of more steps than the history's limit; undo, redo and saves in between. The model is the
// text (lines joined by \x01) after each action, oldest first, with the steps that led to it,
// the current one and the saved one (-1 once the limit dropped it). A merge joins the action
// before, except at the start and where the file was saved. Seeds on a filled buffer; on a
// loaded file with CRs inside its lines, which undo must not break; past the history's limit.
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
            if (bLoaded) {
                ASSERT_TRUE(LoadBytes(buffer, dir.File("f.txt"), original));
            } else {
                FillBuffer(buffer, {"alpha", "", "beta\tgamma"});
            }
            buffer.SetFileOps(&fileOps);
            std::mt19937 rng(seed);
            auto pick = [&rng](int lo, int hi) {
                return std::uniform_int_distribution<int>(lo, hi)(rng);
            };
            std::string model = Joined(buffer, "\x01");
            std::deque<std::string> states = {model};
            std::deque<int> steps = {0};
            int nState = 0, nSaved = 0, nDropped = 0;
            auto stepsTo = [&steps](int nTo) {
                return nTo < 0 ? -1 : std::accumulate(steps.begin(), steps.begin() + nTo + 1, 0);
            };
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
                    steps.resize(states.size());
                    nSaved = nSaved > nState ? -1 : nSaved;
                    if (bMerge && nState > 0 && nState != nSaved) {
                        states.back() = model;
                        steps.back() += nSteps;
                    } else {
                        states.push_back(model);
                        steps.push_back(nSteps);
                        ++nState;
                    }
                    if (nState > kMaxGroups) {
                        states.pop_front();
                        steps.pop_front();
                        steps.front() = 0;
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
                const int nGroups = static_cast<int>(states.size()) - 1;
                ASSERT_EQ(Joined(buffer, "\x01"), model) << "operation " << op;
                ASSERT_EQ(std::tuple(buffer.IsModified(), buffer.GetUndoGroupCount(),
                                     buffer.GetUndoStepCount(), buffer.GetHistoryPos(),
                                     buffer.GetSavedHistoryPos()),
                          std::tuple(nState != nSaved, nGroups, stepsTo(nGroups), stepsTo(nState),
                                     stepsTo(nSaved)));
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
