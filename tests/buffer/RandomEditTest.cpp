// Random edits with undo and redo, saves, and groups of every size up to past the history's
// limit, checked after every step against a plain model.
#include "BufferTestSupport.h"

#include <deque>
#include <random>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The model: lines as strings. Inserted text breaks at CR or CR LF, nothing else.
void ModelInsert(Lines& lines, TextPos pos, const std::string& text) {
    const std::string tail = lines[pos.y].substr(static_cast<size_t>(pos.x));
    lines[pos.y].resize(static_cast<size_t>(pos.x));
    int y = pos.y;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.insert(lines.begin() + ++y, std::string());
        } else {
            lines[y] += text[i];
        }
    }
    lines[y] += tail;
}

void ModelDelete(Lines& lines, TextPos from, TextPos to) {
    std::string joined = lines[from.y].substr(0, static_cast<size_t>(from.x)) +
                         lines[to.y].substr(static_cast<size_t>(to.x));
    lines.erase(lines.begin() + from.y + 1, lines.begin() + to.y + 1);
    lines[from.y] = joined;
}

class RandomEditor {
public:
    explicit RandomEditor(unsigned seed) : m_rng(seed) {}

    std::string Text() {
        static const std::string kPieces[] = {
            "a", "b", "xyz", "\t", " ", "\r", "\n", "\r\n", std::string(1, '\0'), "\n\r", "\r\r"};
        std::string text;
        const int n = Pick(0, 5);
        for (int i = 0; i < n; ++i)
            text += kPieces[Pick(0, static_cast<int>(std::size(kPieces)) - 1)];
        return text;
    }

    TextPos Position(const Lines& lines) {
        const int y = Pick(0, static_cast<int>(lines.size()) - 1);
        return {Pick(0, static_cast<int>(lines[y].size())), y};
    }

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

private:
    std::mt19937 m_rng;
};

constexpr int kMaxGroups = CTextBuffer::kMaxUndoSteps;

// Saving without waiting for the disk: the sessions save often.
class CNoSyncFileOps : public CFileOps {
public:
    int Sync(int) override { return 0; }
};

// The history as the model sees it: the text after each undoable action, oldest first, the
// current one, and the saved one (-1 when no position holds it any more).
struct ModelHistory {
    std::deque<Lines> states;
    int nState = 0;
    int nSaved = 0;
    int nDropped = 0; // groups the limit dropped

    // An action made `text` current; with bMerge it joins the action before it, except at the
    // start of the history and where the file was saved.
    void Record(const Lines& text, bool bMerge) {
        states.resize(static_cast<size_t>(nState) + 1);
        if (nSaved > nState)
            nSaved = -1;
        if (bMerge && nState > 0 && nState != nSaved) {
            states.back() = text;
            return;
        }
        states.push_back(text);
        ++nState;
        if (static_cast<int>(states.size()) > kMaxGroups + 1) {
            states.pop_front();
            --nState;
            nSaved = nSaved > 0 ? nSaved - 1 : -1;
            ++nDropped;
        }
    }
};

// One random insertion or deletion, in the buffer and in the model.
void RandomEdit(CTextBuffer& buffer, RandomEditor& random, Lines& model) {
    if (random.Pick(0, 9) < 6) {
        const TextPos at = random.Position(model);
        const std::string text = random.Text();
        int nEndLine, nEndChar;
        ASSERT_TRUE(
            buffer.InsertTextAt(nullptr, at.y, at.x, text, nEndLine, nEndChar, EDITACT_TYPING));
        ModelInsert(model, at, text);
    } else {
        TextPos from = random.Position(model), to = random.Position(model);
        if (to < from)
            std::swap(from, to);
        ASSERT_TRUE(buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE));
        ModelDelete(model, from, to);
    }
}

// Edits alone, merged into the action before, or in groups of a few steps and, now and then,
// of more steps than the history's limit; undo, redo and saves in between. Adds the groups the
// limit dropped to nDropped.
void CheckRandomSession(CTextBuffer& buffer, unsigned seed, int nOperations,
                        const std::string& strSavePath, int& nDropped) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomEditor random(seed);
    CNoSyncFileOps fileOps;
    buffer.SetFileOps(&fileOps);
    Lines model = LinesOf(buffer);
    ModelHistory history;
    history.states.push_back(model);

    for (int op = 0; op < nOperations; ++op) {
        const int choice = random.Pick(0, 999);
        if (choice < 600) {
            const bool bMerge = random.Pick(0, 2) == 0;
            if (bMerge)
                buffer.OpenUndoGroup(true);
            RandomEdit(buffer, random, model);
            if (bMerge)
                buffer.CloseUndoGroup(nullptr);
            history.Record(model, bMerge);
        } else if (choice < 780) {
            if (!buffer.CanUndo())
                continue;
            TextPos caret;
            ASSERT_TRUE(buffer.Undo(caret));
            model = history.states[static_cast<size_t>(--history.nState)];
        } else if (choice < 920) {
            if (!buffer.CanRedo())
                continue;
            TextPos caret;
            ASSERT_TRUE(buffer.Redo(caret));
            model = history.states[static_cast<size_t>(++history.nState)];
        } else if (choice < 970) {
            ASSERT_TRUE(buffer.SaveFile(strSavePath));
            history.nSaved = history.nState;
        } else {
            const int nSteps = choice == 999 ? kMaxGroups + random.Pick(1, 64) : random.Pick(2, 8);
            buffer.OpenUndoGroup(false);
            for (int i = 0; i < nSteps; ++i)
                RandomEdit(buffer, random, model);
            buffer.CloseUndoGroup(nullptr);
            history.Record(model, false);
        }
        ASSERT_EQ(LinesOf(buffer), model) << "operation " << op;
        ASSERT_EQ(buffer.IsModified(), history.nState != history.nSaved) << "operation " << op;
        ASSERT_EQ(buffer.GetUndoGroupCount(), static_cast<int>(history.states.size()) - 1);
        ASSERT_EQ(buffer.GetHistoryPos() > 0, history.nState > 0);
    }

    TextPos caret;
    while (buffer.CanUndo())
        EXPECT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(LinesOf(buffer), history.states.front());
    while (buffer.CanRedo())
        EXPECT_TRUE(buffer.Redo(caret));
    EXPECT_EQ(LinesOf(buffer), history.states.back());
    buffer.SetFileOps(nullptr);
    nDropped += history.nDropped;
}

TEST(RandomEdits, MatchThePlainModelThroughUndoAndRedo) {
    TempDir dir;
    int nDropped = 0;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        CTextBuffer buffer;
        FillBuffer(buffer, {"alpha", "", "beta\tgamma"});
        CheckRandomSession(buffer, seed, 500, dir.File("saved.txt"), nDropped);
    }
}

TEST(RandomEdits, PastTheHistoryLimitWithLargeGroupsAndSaves) {
    TempDir dir;
    for (unsigned seed = 200; seed < 203; ++seed) {
        CTextBuffer buffer;
        FillBuffer(buffer, {"alpha", "", "beta\tgamma"});
        int nDropped = 0;
        CheckRandomSession(buffer, seed, 4000, dir.File("saved.txt"), nDropped);
        EXPECT_GT(nDropped, 0);
    }
}

TEST(RandomEdits, OnALoadedFileWithCarriageReturnsInsideLines) {
    TempDir dir;
    static const char kBytes[] = "one\rtwo\nx\r\nthr\0ee\n\n\r\rfour\r";
    const std::string original(kBytes, sizeof kBytes - 1);
    int nDropped = 0;
    for (unsigned seed = 100; seed < 110; ++seed) {
        WriteBytes(dir.File("f.txt"), original);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("f.txt")));
        ASSERT_EQ(buffer.GetEolStyle(), EOL_LF);
        CheckRandomSession(buffer, seed, 500, dir.File("saved.txt"), nDropped);
        TextPos caret;
        while (buffer.CanUndo())
            buffer.Undo(caret);
        ASSERT_TRUE(buffer.SaveFile(dir.File("f.txt")));
        EXPECT_EQ(ReadBytes(dir.File("f.txt")), original);
    }
}

} // namespace
