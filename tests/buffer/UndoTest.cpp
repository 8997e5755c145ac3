// The undo history: groups, undo and redo with their carets, labels, callbacks, and random
// edits with undo, redo, saves and groups of every size up to past the history's limit,
// checked after every step against a plain model.
#include "BufferTestSupport.h"

#include <deque>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

namespace {

// Undo and redo with the caret they leave, labels, and the state of the buffer in one line:
// its lines joined by "|", the caret, "*" when modified, the history position and the saved
// one, the number of groups and of steps: "ab|c ^2,1 * 2/0 g2 s3".
struct History {
    CTextBuffer& buffer;
    TextPos caret{-1, -1};
    bool Undo() { return buffer.Undo(caret); }
    bool Redo() { return buffer.Redo(caret); }
    std::string UndoLabel() const { return Label(&CTextBuffer::GetUndoLabel); }
    std::string RedoLabel() const { return Label(&CTextBuffer::GetRedoLabel); }
    std::string Label(void (CTextBuffer::*pfn)(std::string&, int) const) const {
        std::string label = "stale";
        (buffer.*pfn)(label, 0);
        return label;
    }
    std::string State() const {
        return TextOf(buffer, "|") + " ^" + std::to_string(caret.x) + "," +
               std::to_string(caret.y) + (buffer.IsModified() ? " * " : " - ") +
               std::to_string(buffer.GetHistoryPos()) + "/" +
               std::to_string(buffer.GetSavedHistoryPos()) + " g" +
               std::to_string(buffer.GetUndoGroupCount()) + " s" +
               std::to_string(buffer.GetUndoStepCount());
    }
};

TEST(Undo, StepsAndGroupsRevertWholeAndPutTheCaretWhereTheyBeganOrEnded) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    History h{buffer};
    ASSERT_TRUE(Apply(buffer, {{0, 0, "hello"}, {0, 5, "\r\nworld"}}));
    const std::pair<bool (History::*)(), const char*> moves[] = {
        {&History::Undo, "hello ^5,0 * 1/0 g2 s2"},
        {&History::Undo, " ^0,0 - 0/0 g2 s2"},
        {&History::Redo, "hello ^5,0 * 1/0 g2 s2"},
        {&History::Redo, "hello|world ^5,1 * 2/0 g2 s2"},
        {&History::Undo, "hello ^5,0 * 1/0 g2 s2"},
    };
    for (const auto& [pfnMove, state] : moves) {
        EXPECT_TRUE((h.*pfnMove)());
        EXPECT_EQ(h.State(), state);
    }
    // A new edit drops the undone steps.
    ASSERT_TRUE(Apply(buffer, {{0, 5, "!"}}));
    EXPECT_EQ(h.State(), "hello! ^5,0 * 2/0 g2 s2");

    // Merge on an empty history still starts a group; a merged group continues the one
    // before it, and one Undo reverts all four characters.
    FillBuffer(buffer, {"abc"});
    RecordingListener view;
    for (int nGroup = 0; nGroup < 2; ++nGroup) {
        buffer.OpenUndoGroup(true);
        Apply(buffer, {{0, 3 + 2 * nGroup, "1"}, {0, 4 + 2 * nGroup, "2"}}, EDITACT_TYPING, &view);
        buffer.CloseUndoGroup(&view);
    }
    EXPECT_EQ(view.closedGroups, (std::vector<std::pair<int, std::string>>{{EDITACT_TYPING, "2"},
                                                                           {EDITACT_TYPING, "2"}}));
    EXPECT_TRUE(h.Undo());
    EXPECT_EQ(h.State(), "abc ^3,0 - 0/0 g1 s4");
    EXPECT_TRUE(h.Redo());
    EXPECT_EQ(h.State(), "abc1212 ^7,0 * 4/0 g1 s4");

    // A read-only buffer neither undoes nor redoes.
    Apply(buffer, {{0, 7, "3"}});
    h.Undo();
    buffer.SetReadOnly(true);
    EXPECT_FALSE(h.Undo());
    EXPECT_FALSE(h.Redo());
    EXPECT_EQ(h.State(), "abc1212 ^7,0 * 4/0 g2 s5");
}

TEST(Undo, ClosingAGroupCallsBackTheSourceWhoseEditsStartANewGroup) {
    // The edit view's auto-indent: the callback inserts, and that insert is its own group.
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
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x", "  "}));
    // The nested insert closed no group of its own.
    EXPECT_EQ(view.closedGroups.size(), 1u);
    EXPECT_EQ(view.closedGroups[0].first, EDITACT_TYPING);
    EXPECT_EQ(h.UndoLabel(), "Auto Indent");
    h.Undo();
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x", ""}));
    EXPECT_EQ(h.UndoLabel(), "Typing");
    h.Undo();
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x"}));
}

TEST(Undo, DeletedLineEndsAndCarriageReturnsInsideLinesComeBackAsTheyWere) {
    // Deleted line ends are recorded as CR LF and come back as one break each; in an LF file
    // a carriage return is a character of its line, and putting it back must not break it.
    TempDir dir;
    const std::string lf = "one\ntwo\nthree", cr = "a\rb\nc\r\r\nd\n";
    CTextBuffer buffer;
    History h{buffer};
    RecordingListener view;
    ASSERT_TRUE(LoadBytes(buffer, dir.File("lf.txt"), lf));
    ASSERT_TRUE(Apply(buffer, {Del(0, 1, 2, 2)}, EDITACT_DELSEL, &view));
    EXPECT_EQ(view.closedGroups.back().second, "ne\r\ntwo\r\nth");
    h.Undo();
    EXPECT_EQ(h.caret, (TextPos{2, 2}));
    EXPECT_EQ(LinesOf(buffer), (Lines{"one", "two", "three"}));
    ASSERT_TRUE(buffer.SaveFile(dir.File("lf.txt")));
    EXPECT_EQ(ReadBytes(dir.File("lf.txt")), lf);

    ASSERT_TRUE(LoadBytes(buffer, dir.File("cr.txt"), cr));
    ASSERT_EQ(LinesOf(buffer), (Lines{"a\rb", "c\r\r", "d", ""}));
    ASSERT_TRUE(Apply(buffer, {Del(0, 1, 0, 2), Del(0, 0, 2, 1)}, EDITACT_DELETE));
    while (buffer.CanUndo())
        h.Undo();
    EXPECT_EQ(LinesOf(buffer), (Lines{"a\rb", "c\r\r", "d", ""}));
    ASSERT_TRUE(buffer.SaveFile(dir.File("cr.txt")));
    EXPECT_EQ(ReadBytes(dir.File("cr.txt")), cr);
}

TEST(Undo, LabelsNameTheGroupThatUndoOrRedoWouldActOn) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    History h{buffer};
    Apply(buffer, {{0, 0, "x"}}, EDITACT_PASTE);
    buffer.OpenUndoGroup();
    Apply(buffer, {{0, 1, "y"}}, EDITACT_REPLACE);
    Apply(buffer, {Del(0, 0, 0, 1)}, EDITACT_DELETE);
    buffer.CloseUndoGroup(nullptr);
    Apply(buffer, {{0, 1, "z"}}, 42); // a code without a label
    EXPECT_EQ(h.UndoLabel(), "");
    h.Undo();
    EXPECT_EQ(h.UndoLabel(), "Replace"); // the first step of the group names it
    EXPECT_EQ(h.RedoLabel(), "");
    h.Undo();
    EXPECT_EQ(h.UndoLabel(), "Paste");
    EXPECT_EQ(h.RedoLabel(), "Replace");

    std::string label = "kept";
    EXPECT_FALSE(buffer.GetActionLabel(EDITACT_BACKSPACEWORD + 1, label));
    EXPECT_EQ(label, "kept");
    std::string all;
    for (int nAction = EDITACT_UNKNOWN; nAction <= EDITACT_BACKSPACEWORD; ++nAction) {
        EXPECT_TRUE(buffer.GetActionLabel(nAction, label));
        all += label + "|";
    }
    EXPECT_EQ(all, "Unknown|Paste|Delete Selection|Cut|Typing|Backspace|Indent|Drag And Drop|"
                   "Replace|Delete|Auto Indent|Delete Word|Backspace Word|");
}

constexpr int kMaxGroups = CTextBuffer::kMaxUndoSteps;

// The model: lines as strings. Inserted text breaks at CR or CR LF, nothing else.
void ModelInsert(Lines& lines, TextPos pos, const std::string& text) {
    const std::string tail = lines[pos.y].substr(static_cast<size_t>(pos.x));
    lines[pos.y].resize(static_cast<size_t>(pos.x));
    int y = pos.y;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            lines[y] += text[i];
            continue;
        }
        i += i + 1 < text.size() && text[i + 1] == '\n';
        lines.insert(lines.begin() + ++y, std::string());
    }
    lines[y] += tail;
}

// Saving without waiting for the disk: the sessions save often.
class CNoSyncFileOps : public CFileOps {
public:
    int Sync(int) override { return 0; }
};

// The history as the model sees it: the text after each undoable action, oldest first, with
// the number of steps of the action that led to it; the current one, and the saved one (-1
// when no position holds it any more).
struct ModelHistory {
    std::deque<Lines> states;
    std::deque<int> steps = {0};
    int nState = 0;
    int nSaved = 0;
    int nDropped = 0; // groups the limit dropped

    // An action of nSteps made `text` current; with bMerge it joins the action before it,
    // except at the start of the history and where the file was saved.
    void Record(const Lines& text, int nSteps, bool bMerge) {
        states.resize(static_cast<size_t>(nState) + 1);
        steps.resize(states.size());
        nSaved = nSaved > nState ? -1 : nSaved;
        if (bMerge && nState > 0 && nState != nSaved) {
            states.back() = text;
            steps.back() += nSteps;
            return;
        }
        states.push_back(text);
        steps.push_back(nSteps);
        if (++nState > kMaxGroups) {
            states.pop_front();
            steps.pop_front();
            steps.front() = 0;
            --nState;
            nSaved = nSaved > 0 ? nSaved - 1 : -1;
            ++nDropped;
        }
    }
    // The buffer's history position that stands for a state: the steps that lead to it.
    int StepsTo(int nTo) const {
        return nTo < 0 ? -1 : std::accumulate(steps.begin(), steps.begin() + nTo + 1, 0);
    }
};

class RandomSession {
public:
    RandomSession(InspectableBuffer& buffer, unsigned seed) : m_buffer(buffer), m_rng(seed) {}

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    TextPos Position() {
        const int y = Pick(0, static_cast<int>(m_model.size()) - 1);
        return {Pick(0, static_cast<int>(m_model[y].size())), y};
    }

    // One random insertion or deletion, in the buffer and in the model.
    void Edit() {
        static const std::string kPieces[] = {
            "a", "b", "xyz", "\t", " ", "\r", "\n", "\r\n", std::string(1, '\0'), "\n\r", "\r\r"};
        if (Pick(0, 9) < 6) {
            const TextPos at = Position();
            std::string text;
            for (int n = Pick(0, 5); n > 0; --n)
                text += kPieces[Pick(0, static_cast<int>(std::size(kPieces)) - 1)];
            ASSERT_TRUE(Apply(m_buffer, {{at.y, at.x, text}}));
            ModelInsert(m_model, at, text);
        } else {
            TextPos from = Position(), to = Position();
            if (to < from)
                std::swap(from, to);
            ASSERT_TRUE(Apply(m_buffer, {Del(from.y, from.x, to.y, to.x)}, EDITACT_DELETE));
            m_model[from.y] = m_model[from.y].substr(0, static_cast<size_t>(from.x)) +
                              m_model[to.y].substr(static_cast<size_t>(to.x));
            m_model.erase(m_model.begin() + from.y + 1, m_model.begin() + to.y + 1);
        }
    }

    // Edits alone, merged into the action before, or in groups of a few steps and, now and
    // then, of more steps than the history's limit; undo, redo and saves in between. Gives
    // the number of groups the limit dropped.
    void Run(int nOperations, const std::string& strSavePath, int& nDropped) {
        CNoSyncFileOps fileOps;
        m_buffer.SetFileOps(&fileOps);
        m_model = LinesOf(m_buffer);
        ModelHistory history;
        history.states.push_back(m_model);
        TextPos caret;
        size_t nCalls = m_buffer.modifiedCalls.size();
        for (int op = 0; op < nOperations && !testing::Test::HasFatalFailure(); ++op) {
            const int choice = Pick(0, 999);
            if (choice < 600 || choice >= 970) {
                const bool bMerge = choice < 600 && Pick(0, 2) == 0;
                const int nSteps = choice < 600   ? 1
                                   : choice < 999 ? Pick(2, 8)
                                                  : kMaxGroups + Pick(1, 64);
                m_buffer.OpenUndoGroup(bMerge);
                for (int i = 0; i < nSteps; ++i)
                    Edit();
                m_buffer.CloseUndoGroup(nullptr);
                history.Record(m_model, nSteps, bMerge);
            } else if (choice < 780) {
                if (!m_buffer.CanUndo())
                    continue;
                EXPECT_TRUE(m_buffer.Undo(caret));
                m_model = history.states[static_cast<size_t>(--history.nState)];
            } else if (choice < 920) {
                if (!m_buffer.CanRedo())
                    continue;
                EXPECT_TRUE(m_buffer.Redo(caret));
                m_model = history.states[static_cast<size_t>(++history.nState)];
            } else {
                EXPECT_TRUE(m_buffer.SaveFile(strSavePath));
                history.nSaved = history.nState;
                nCalls = m_buffer.modifiedCalls.size(); // saving clears the flag unasked
            }
            ASSERT_EQ(LinesOf(m_buffer), m_model) << "operation " << op;
            ASSERT_EQ(m_buffer.IsModified(), history.nState != history.nSaved) << op;
            const int nGroups = static_cast<int>(history.states.size()) - 1;
            ASSERT_EQ(m_buffer.GetUndoGroupCount(), nGroups);
            ASSERT_EQ(m_buffer.GetUndoStepCount(), history.StepsTo(nGroups));
            ASSERT_EQ(m_buffer.GetHistoryPos(), history.StepsTo(history.nState));
            ASSERT_EQ(m_buffer.GetSavedHistoryPos(), history.StepsTo(history.nSaved));
            // The flag is set or cleared only when it changes.
            const std::vector<bool>& calls = m_buffer.modifiedCalls;
            for (; nCalls < calls.size(); ++nCalls)
                ASSERT_TRUE(nCalls == 0 || calls[nCalls] != calls[nCalls - 1]) << op;
        }
        while (m_buffer.CanUndo())
            EXPECT_TRUE(m_buffer.Undo(caret));
        EXPECT_EQ(LinesOf(m_buffer), history.states.front());
        while (m_buffer.CanRedo())
            EXPECT_TRUE(m_buffer.Redo(caret));
        EXPECT_EQ(LinesOf(m_buffer), history.states.back());
        m_buffer.SetFileOps(nullptr);
        nDropped = history.nDropped;
    }

private:
    InspectableBuffer& m_buffer;
    std::mt19937 m_rng;
    Lines m_model;
};

TEST(RandomEdits, MatchThePlainModelThroughUndoRedoSavesAndTheHistoryLimit) {
    TempDir dir;
    static const char kBytes[] = "one\rtwo\nx\r\nthr\0ee\n\n\r\rfour\r";
    const std::string original(kBytes, sizeof kBytes - 1);
    // Seeds on a filled buffer; on a loaded file with carriage returns inside its lines, which
    // must come back byte for byte; and sessions long enough to pass the history's limit.
    const struct {
        unsigned first, last;
        int nOperations;
    } runs[] = {{1, 20, 500}, {100, 109, 500}, {200, 202, 4000}};
    for (const auto& run : runs)
        for (unsigned seed = run.first; seed <= run.last; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            InspectableBuffer buffer;
            const bool bLoaded = seed >= 100 && seed < 200;
            if (bLoaded) {
                ASSERT_TRUE(LoadBytes(buffer, dir.File("f.txt"), original));
                ASSERT_EQ(buffer.GetEolStyle(), EOL_LF);
            } else {
                FillBuffer(buffer, {"alpha", "", "beta\tgamma"});
            }
            RandomSession session(buffer, seed);
            int nDropped = -1;
            session.Run(run.nOperations, dir.File("saved.txt"), nDropped);
            if (seed >= 200) {
                EXPECT_GT(nDropped, 0);
            }
            if (bLoaded) {
                TextPos caret;
                while (buffer.CanUndo())
                    buffer.Undo(caret);
                ASSERT_TRUE(buffer.SaveFile(dir.File("f.txt")));
                EXPECT_EQ(ReadBytes(dir.File("f.txt")), original);
            }
        }
}

} // namespace
