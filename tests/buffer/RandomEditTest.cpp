// Random edits with undo and redo, checked after every step against a plain model.
#include "BufferTestSupport.h"

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

void CheckRandomSession(CTextBuffer& buffer, unsigned seed, int nOperations) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomEditor random(seed);
    Lines model = LinesOf(buffer);
    // One model state per history position, to check Undo and Redo.
    std::vector<Lines> states{model};
    size_t nState = 0;

    for (int op = 0; op < nOperations; ++op) {
        const int choice = random.Pick(0, 9);
        if (choice < 4) {
            const TextPos at = random.Position(model);
            const std::string text = random.Text();
            int nEndLine, nEndChar;
            ASSERT_TRUE(
                buffer.InsertTextAt(nullptr, at.y, at.x, text, nEndLine, nEndChar, EDITACT_TYPING));
            ModelInsert(model, at, text);
        } else if (choice < 7) {
            TextPos from = random.Position(model), to = random.Position(model);
            if (to < from)
                std::swap(from, to);
            ASSERT_TRUE(buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE));
            ModelDelete(model, from, to);
        } else if (choice < 9) {
            if (!buffer.CanUndo())
                continue;
            TextPos caret;
            ASSERT_TRUE(buffer.Undo(caret));
            model = states[--nState];
            ASSERT_EQ(LinesOf(buffer), model) << "after undo, operation " << op;
            continue;
        } else {
            if (!buffer.CanRedo())
                continue;
            TextPos caret;
            ASSERT_TRUE(buffer.Redo(caret));
            model = states[++nState];
            ASSERT_EQ(LinesOf(buffer), model) << "after redo, operation " << op;
            continue;
        }
        states.resize(++nState);
        states.push_back(model);
        ASSERT_EQ(LinesOf(buffer), model) << "after edit, operation " << op;
    }

    TextPos caret;
    while (buffer.CanUndo())
        ASSERT_TRUE(buffer.Undo(caret));
    ASSERT_EQ(LinesOf(buffer), states.front());
    while (buffer.CanRedo())
        ASSERT_TRUE(buffer.Redo(caret));
    ASSERT_EQ(LinesOf(buffer), states.back());
}

TEST(RandomEdits, MatchThePlainModelThroughUndoAndRedo) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        CTextBuffer buffer;
        FillBuffer(buffer, {"alpha", "", "beta\tgamma"});
        CheckRandomSession(buffer, seed, 500);
    }
}

TEST(RandomEdits, OnALoadedFileWithCarriageReturnsInsideLines) {
    TempDir dir;
    static const char kBytes[] = "one\rtwo\nx\r\nthr\0ee\n\n\r\rfour\r";
    const std::string original(kBytes, sizeof kBytes - 1);
    for (unsigned seed = 100; seed < 110; ++seed) {
        WriteBytes(dir.File("f.txt"), original);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("f.txt")));
        ASSERT_EQ(buffer.GetEolStyle(), EOL_LF);
        CheckRandomSession(buffer, seed, 500);
        TextPos caret;
        while (buffer.CanUndo())
            buffer.Undo(caret);
        ASSERT_TRUE(buffer.SaveFile(dir.File("f.txt")));
        EXPECT_EQ(ReadBytes(dir.File("f.txt")), original);
    }
}

} // namespace
