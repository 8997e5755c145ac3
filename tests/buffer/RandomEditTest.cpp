// Random edits with undo and redo, saves, and groups of every size up to past the history's
// limit, checked after every step against a plain model.
#include "BufferTestSupport.h"

#include <deque>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

namespace {

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
