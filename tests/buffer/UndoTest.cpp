// The undo history: groups, undo and redo with their carets, labels, the modified flag and
// the step limit.
#include "BufferTestSupport.h"

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

} // namespace
