// The undo history: groups, undo and redo, labels, the modified flag and the step limit.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class TrackingBuffer : public CTextBuffer {
public:
    void SetModified(bool bModified) override {
        modifiedCalls.push_back(bModified);
        CTextBuffer::SetModified(bModified);
    }
    std::vector<bool> modifiedCalls;
};

void Type(CTextBuffer& buffer, CTextBufferListener* pSource, int nLine, int nPos,
          std::string_view text, int nAction = EDITACT_TYPING) {
    int nEndLine, nEndChar;
    ASSERT_TRUE(buffer.InsertTextAt(pSource, nLine, nPos, text, nEndLine, nEndChar, nAction));
}

std::string UndoLabel(const CTextBuffer& buffer) {
    std::string label;
    buffer.GetUndoLabel(label);
    return label;
}

std::string RedoLabel(const CTextBuffer& buffer) {
    std::string label;
    buffer.GetRedoLabel(label);
    return label;
}

TEST(Undo, TypingIntoANewDocumentUndoesBackToEmpty) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "hello");
    Type(buffer, nullptr, 0, 5, "\r\nworld");
    EXPECT_EQ(LinesOf(buffer), (Lines{"hello", "world"}));

    TextPos caret{-1, -1};
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(caret, (TextPos{5, 0}));
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(caret, (TextPos{0, 0}));
    EXPECT_EQ(LinesOf(buffer), (Lines{""}));
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_TRUE(buffer.CanRedo());

    ASSERT_TRUE(buffer.Redo(caret));
    EXPECT_EQ(caret, (TextPos{5, 0}));
    ASSERT_TRUE(buffer.Redo(caret));
    EXPECT_EQ(caret, (TextPos{5, 1}));
    EXPECT_EQ(LinesOf(buffer), (Lines{"hello", "world"}));
    EXPECT_FALSE(buffer.CanRedo());
}

TEST(Undo, ANewEditDropsTheUndoneSteps) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "a");
    Type(buffer, nullptr, 0, 1, "b");
    TextPos caret;
    buffer.Undo(caret);
    EXPECT_TRUE(buffer.CanRedo());
    Type(buffer, nullptr, 0, 1, "c");
    EXPECT_FALSE(buffer.CanRedo());
    EXPECT_EQ(buffer.GetUndoStepCount(), 2);
    EXPECT_EQ(LinesOf(buffer), (Lines{"ac"}));
}

TEST(Undo, GroupsRevertAsOneAndMergeJoinsThePreviousGroup) {
    CTextBuffer buffer;
    FillBuffer(buffer, {"abc"});
    RecordingListener view;

    // Merge on an empty history still starts a group.
    buffer.OpenUndoGroup(true);
    Type(buffer, &view, 0, 3, "1");
    Type(buffer, &view, 0, 4, "2");
    buffer.CloseUndoGroup(&view);
    EXPECT_TRUE(view.closedGroups.size() == 1 && view.closedGroups[0].text == "2");

    // A merged group continues the previous one: one Undo reverts all four characters.
    buffer.OpenUndoGroup(true);
    Type(buffer, &view, 0, 5, "3");
    Type(buffer, &view, 0, 6, "4");
    buffer.CloseUndoGroup(&view);
    EXPECT_EQ(buffer.GetUndoStepCount(), 4);

    TextPos caret;
    buffer.Undo(caret);
    EXPECT_EQ(LinesOf(buffer), (Lines{"abc"}));
    EXPECT_EQ(caret, (TextPos{3, 0})); // where the group's first step started
    EXPECT_FALSE(buffer.CanUndo());
    buffer.Redo(caret);
    EXPECT_EQ(LinesOf(buffer), (Lines{"abc1234"}));
    EXPECT_EQ(caret, (TextPos{7, 0}));
}

TEST(Undo, ClosingAGroupCallsBackTheSourceWhoseEditsStartANewGroup) {
    // The edit view's auto-indent: the callback inserts, and that insert is its own group.
    class IndentingView : public RecordingListener {
    public:
        CTextBuffer* pBuffer = nullptr;
        void OnUndoGroupClosed(int nAction, std::string_view text) override {
            RecordingListener::OnUndoGroupClosed(nAction, text);
            if (text == "\r\n") {
                int nEndLine, nEndChar;
                pBuffer->InsertTextAt(this, 1, 0, "  ", nEndLine, nEndChar, EDITACT_AUTOINDENT);
            }
        }
    } view;
    CTextBuffer buffer;
    FillBuffer(buffer, {"  x"});
    view.pBuffer = &buffer;

    Type(buffer, &view, 0, 3, "\r\n");
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x", "  "}));
    ASSERT_EQ(view.closedGroups.size(), 1u); // the nested insert closed no group of its own
    EXPECT_EQ(view.closedGroups[0].nAction, EDITACT_TYPING);
    EXPECT_EQ(UndoLabel(buffer), "Auto Indent");

    TextPos caret;
    buffer.Undo(caret);
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x", ""}));
    EXPECT_EQ(UndoLabel(buffer), "Typing");
    buffer.Undo(caret);
    EXPECT_EQ(LinesOf(buffer), (Lines{"  x"}));
}

TEST(Undo, DeletedLineEndsAreRecordedAsCrLfAndComeBackAsOneBreak) {
    TempDir dir;
    WriteBytes(dir.File("lf.txt"), "one\ntwo\nthree");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("lf.txt")));
    ASSERT_EQ(buffer.GetEolStyle(), EOL_LF);
    RecordingListener view;

    ASSERT_TRUE(buffer.DeleteRange(&view, 0, 1, 2, 2, EDITACT_DELSEL));
    EXPECT_EQ(view.closedGroups.back().text, "ne\r\ntwo\r\nth");
    TextPos caret;
    buffer.Undo(caret);
    EXPECT_EQ(caret, (TextPos{2, 2}));
    EXPECT_EQ(LinesOf(buffer), (Lines{"one", "two", "three"}));
    ASSERT_TRUE(buffer.SaveFile(dir.File("lf.txt")));
    EXPECT_EQ(ReadBytes(dir.File("lf.txt")), "one\ntwo\nthree");
}

TEST(Undo, CarriageReturnsInsideLinesSurviveUndo) {
    // In an LF file a carriage return is a character of its line. Putting a deleted range
    // back must not turn it into a line break.
    TempDir dir;
    WriteBytes(dir.File("cr.txt"), "a\rb\nc\r\r\nd\n");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("cr.txt")));
    const Lines original = LinesOf(buffer);
    ASSERT_EQ(original, (Lines{"a\rb", "c\r\r", "d", ""}));

    ASSERT_TRUE(buffer.DeleteRange(nullptr, 0, 1, 0, 2, EDITACT_DELETE)); // the lone CR
    ASSERT_TRUE(buffer.DeleteRange(nullptr, 0, 0, 2, 1, EDITACT_DELSEL)); // across lines
    TextPos caret;
    while (buffer.CanUndo())
        buffer.Undo(caret);
    EXPECT_EQ(LinesOf(buffer), original);
    ASSERT_TRUE(buffer.SaveFile(dir.File("cr.txt")));
    EXPECT_EQ(ReadBytes(dir.File("cr.txt")), "a\rb\nc\r\r\nd\n");
}

TEST(Undo, LabelsNameTheGroupThatUndoOrRedoWouldActOn) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "x", EDITACT_PASTE);
    buffer.OpenUndoGroup();
    Type(buffer, nullptr, 0, 1, "y", EDITACT_REPLACE);
    buffer.DeleteRange(nullptr, 0, 0, 0, 1, EDITACT_DELETE);
    buffer.CloseUndoGroup(nullptr);
    Type(buffer, nullptr, 0, 1, "z", 42); // a code without a label

    EXPECT_EQ(UndoLabel(buffer), "");
    TextPos caret;
    buffer.Undo(caret);
    EXPECT_EQ(UndoLabel(buffer), "Replace"); // the first step of the group names it
    EXPECT_EQ(RedoLabel(buffer), "");
    buffer.Undo(caret);
    EXPECT_EQ(UndoLabel(buffer), "Paste");
    EXPECT_EQ(RedoLabel(buffer), "Replace");

    std::string label = "kept";
    EXPECT_FALSE(buffer.GetActionLabel(EDITACT_BACKSPACEWORD + 1, label));
    EXPECT_EQ(label, "kept");
    // clang-format off
    const std::pair<int, const char*> labels[] = {
        {EDITACT_UNKNOWN, "Unknown"},         {EDITACT_PASTE, "Paste"},
        {EDITACT_DELSEL, "Delete Selection"}, {EDITACT_CUT, "Cut"},
        {EDITACT_TYPING, "Typing"},           {EDITACT_BACKSPACE, "Backspace"},
        {EDITACT_INDENT, "Indent"},           {EDITACT_DRAGDROP, "Drag And Drop"},
        {EDITACT_REPLACE, "Replace"},         {EDITACT_DELETE, "Delete"},
        {EDITACT_AUTOINDENT, "Auto Indent"},  {EDITACT_DELETEWORD, "Delete Word"},
        {EDITACT_BACKSPACEWORD, "Backspace Word"}};
    // clang-format on
    for (const auto& [nAction, text] : labels) {
        EXPECT_TRUE(buffer.GetActionLabel(nAction, label));
        EXPECT_EQ(label, text);
    }
}

TEST(Undo, ModifiedFlagFollowsTheSavedPosition) {
    TempDir dir;
    TrackingBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "a");
    ASSERT_TRUE(buffer.SaveFile(dir.File("m.txt")));
    EXPECT_FALSE(buffer.IsModified());

    buffer.modifiedCalls.clear();
    Type(buffer, nullptr, 0, 1, "b");
    EXPECT_EQ(buffer.modifiedCalls, std::vector<bool>{true});
    TextPos caret;
    buffer.Undo(caret);
    EXPECT_FALSE(buffer.IsModified());
    buffer.Redo(caret);
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(buffer.modifiedCalls, (std::vector<bool>{true, false, true}));

    // Undo past the saved point, then edit: the saved state is gone from the history, and
    // no later position may claim to equal the file.
    buffer.Undo(caret);
    buffer.Undo(caret);
    EXPECT_TRUE(buffer.IsModified());
    Type(buffer, nullptr, 0, 0, "c");
    Type(buffer, nullptr, 0, 1, "d");
    EXPECT_EQ(buffer.GetHistoryPos(), 2);
    buffer.Undo(caret);
    buffer.Redo(caret);
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(LinesOf(buffer), (Lines{"cd"}));
}

TEST(Undo, ReadOnlyBufferNeitherUndoesNorRedoes) {
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "a");
    Type(buffer, nullptr, 0, 1, "b");
    TextPos caret;
    buffer.Undo(caret);
    buffer.SetReadOnly(true);
    EXPECT_FALSE(buffer.Undo(caret));
    EXPECT_FALSE(buffer.Redo(caret));
    EXPECT_EQ(buffer.GetHistoryPos(), 1);
    EXPECT_TRUE(buffer.CanUndo());
    EXPECT_EQ(LinesOf(buffer), (Lines{"a"}));
}

TEST(Undo, TheLimitCountsGroupsAndKeepsOrDropsEachWhole) {
    constexpr int kMax = CTextBuffer::kMaxUndoSteps;
    TempDir dir;
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    // A group of three steps, then one longer than the limit (a large Replace All).
    buffer.OpenUndoGroup();
    Type(buffer, nullptr, 0, 0, "a");
    Type(buffer, nullptr, 0, 1, "b");
    Type(buffer, nullptr, 0, 2, "c");
    buffer.CloseUndoGroup(nullptr);
    ASSERT_TRUE(buffer.SaveFile(dir.File("l.txt")));
    buffer.OpenUndoGroup();
    for (int i = 0; i < kMax + 100; ++i)
        Type(buffer, nullptr, 0, 3 + i, "x");
    buffer.CloseUndoGroup(nullptr);
    const std::string strBig = "abc" + std::string(kMax + 100, 'x');
    EXPECT_EQ(buffer.GetUndoStepCount(), kMax + 103);
    TextPos caret;
    ASSERT_TRUE(buffer.Undo(caret)); // the long group goes back whole, to the saved text
    EXPECT_EQ(buffer.GetLineView(0), "abc");
    EXPECT_FALSE(buffer.IsModified());
    ASSERT_TRUE(buffer.Redo(caret));

    // Single-step groups up to the limit drop nothing.
    for (int i = 2; i < kMax; ++i)
        Type(buffer, nullptr, 0, 0, "y");
    EXPECT_EQ(buffer.GetUndoGroupCount(), kMax);
    EXPECT_EQ(buffer.GetUndoStepCount(), kMax + 101 + kMax);
    // The next group drops the oldest one whole: the saved text is now the oldest state.
    Type(buffer, nullptr, 0, 0, "z");
    EXPECT_EQ(buffer.GetUndoGroupCount(), kMax);
    EXPECT_EQ(buffer.GetUndoStepCount(), kMax + 100 + kMax - 1);
    EXPECT_EQ(buffer.GetSavedHistoryPos(), 0);
    // The long group goes as a whole too once it is the oldest, and the saved text with it.
    Type(buffer, nullptr, 0, 0, "z");
    EXPECT_EQ(buffer.GetUndoGroupCount(), kMax);
    EXPECT_EQ(buffer.GetUndoStepCount(), kMax);
    EXPECT_EQ(buffer.GetSavedHistoryPos(), -1);

    int nUndone = 0;
    while (buffer.CanUndo()) {
        ASSERT_TRUE(buffer.Undo(caret));
        ++nUndone;
    }
    EXPECT_EQ(nUndone, kMax);
    EXPECT_EQ(buffer.GetLineView(0), strBig); // the dropped groups' text stays
    EXPECT_TRUE(buffer.IsModified());         // and the file's state is out of reach
}

TEST(Undo, NothingMergesIntoTheGroupThatEndsAtTheSavedText) {
    TempDir dir;
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    Type(buffer, nullptr, 0, 0, "a");
    ASSERT_TRUE(buffer.SaveFile(dir.File("m.txt")));
    buffer.OpenUndoGroup(true);
    Type(buffer, nullptr, 0, 1, "b");
    buffer.CloseUndoGroup(nullptr);
    EXPECT_EQ(buffer.GetUndoGroupCount(), 2);
    TextPos caret;
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(LinesOf(buffer), (Lines{"a"}));
    EXPECT_FALSE(buffer.IsModified());
}

TEST(Undo, SavedPositionMovesDownWithDroppedGroups) {
    TempDir dir;
    CTextBuffer buffer;
    buffer.InitEmpty(EOL_CRLF);
    for (int i = 0; i < 10; ++i)
        Type(buffer, nullptr, 0, i, "s");
    ASSERT_TRUE(buffer.SaveFile(dir.File("s.txt")));
    for (int i = 10; i < CTextBuffer::kMaxUndoSteps + 5; ++i)
        Type(buffer, nullptr, 0, i, "t");
    EXPECT_EQ(buffer.GetSavedHistoryPos(), 10 - 5); // five steps fell off the front

    TextPos caret;
    while (buffer.GetHistoryPos() > buffer.GetSavedHistoryPos())
        buffer.Undo(caret);
    EXPECT_FALSE(buffer.IsModified()); // back at the file's text
    EXPECT_EQ(buffer.GetLineView(0), std::string(10, 's'));
}

} // namespace
