// Tab and Shift+Tab: a tab at the caret, indenting and unindenting blocks of lines in one undo
// group, and the caret's moves to the neighbouring tab stops.
#include "EditTestSupport.h"
#include "resources/CommandIds.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

std::string AfterKeys(std::string_view before, Qt::Key key, bool bOvertype = false) {
    CEditFixture fx(before);
    fx.view.m_bOvertype = bOvertype;
    Press(fx.view, key);
    return fx.State();
}

TEST(EditIndent, TabInsertsATabAtTheCaretOrOverASelectionWithinALine) {
    EXPECT_EQ(AfterKeys("ab|cd", Qt::Key_Tab), "ab\t|cd");
    EXPECT_EQ(AfterKeys("a[bc]|d", Qt::Key_Tab), "a\t|d");
    CEditFixture fx("ab|");
    Press(fx.view, Qt::Key_Tab);
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Typing\tCtrl+Z");
}

TEST(EditIndent, TabIndentsTheLinesOfABlockAsOneGroup) {
    CEditFixture fx("line 0\nli[ne 1\nline 2\nline 3\n]|line 4");
    Press(fx.view, Qt::Key_Tab);
    // A block ending at column 0 leaves out its end line.
    EXPECT_EQ(fx.State(), "line 0\n[\tline 1\n\tline 2\n\tline 3\n]|line 4");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Indent\tCtrl+Z");
    EXPECT_FALSE(fx.view.m_bHorzScrollFrozen);
    Press(fx.view, Qt::Key_Tab);
    EXPECT_EQ(fx.State(), "line 0\n[\t\tline 1\n\t\tline 2\n\t\tline 3\n]|line 4");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fx.pBuffer->GetLineView(i), "line " + std::to_string(i));
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditIndent, ABlockOfMoreLinesThanTheHistoryHoldsUndoesWhole) {
    std::string golden = "[";
    for (int i = 0; i < 1500; ++i)
        golden += "line " + std::to_string(i) + "\n";
    CEditFixture fx(golden + "]|end");
    Press(fx.view, Qt::Key_Tab);
    EXPECT_EQ(fx.pBuffer->GetLineView(1499), "\tline 1499");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 1500; ++i)
        ASSERT_EQ(fx.pBuffer->GetLineView(i), "line " + std::to_string(i));
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditIndent, ABlockEndingInsideALineTakesItWhole) {
    CEditFixture fx("ab\nc|[d\nef]gh");
    Press(fx.view, Qt::Key_Tab);
    EXPECT_EQ(fx.State(), "ab\n[\tcd\n\tefgh]|");
    CEditFixture fx2("a[b\ncd]|\nef");
    Press(fx2.view, Qt::Key_Tab);
    EXPECT_EQ(fx2.State(), "[\tab\n\tcd\n]|ef");
}

TEST(EditIndent, TheHorizontalBarIsUpdatedOnceTheBlockIsIndented) {
    CEditFixture fx("[" + std::string(38, 'x') + "\n" + std::string(38, 'y') + "]|", 40, 5);
    EXPECT_FALSE(fx.view.horizontalScrollBar()->isEnabled());
    Press(fx.view, Qt::Key_Tab);
    EXPECT_TRUE(fx.view.horizontalScrollBar()->isEnabled());
    EXPECT_EQ(fx.view.GetMaxLineColumns(), 42);
}

TEST(EditIndent, ShiftTabRemovesOneLevelFromEachLineOfABlock) {
    CEditFixture fx("[  \tx\n     y\n\tz\nabc\n\n   \n  ]|w");
    Press(fx.view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "[x\n y\nz\nabc\n\n\nw]|");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Indent\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "  \tx");
    EXPECT_EQ(fx.pBuffer->GetLineView(1), "     y");
    EXPECT_EQ(fx.pBuffer->GetLineView(6), "  w");
}

TEST(EditIndent, ShiftTabWithoutABlockMovesTheCaretBackToATabStop) {
    EXPECT_EQ(AfterKeys("abcdefgh|ij", Qt::Key_Backtab), "abcd|efghij");
    EXPECT_EQ(AfterKeys("abcdef|ghij", Qt::Key_Backtab), "abcd|efghij");
    EXPECT_EQ(AfterKeys("abc|d", Qt::Key_Backtab), "|abcd");
    EXPECT_EQ(AfterKeys("|abcd", Qt::Key_Backtab), "|abcd");
    EXPECT_EQ(AfterKeys("a\tb\t|c", Qt::Key_Backtab), "a\t|b\tc");
    // A selection within one line goes, and the text stays.
    EXPECT_EQ(AfterKeys("ab[cdef]|gh", Qt::Key_Backtab), "abcd|efgh");
}

TEST(EditIndent, TabInOvertypeMovesTheCaretToTheNextTabStop) {
    EXPECT_EQ(AfterKeys("ab|cdefgh", Qt::Key_Tab, true), "abcd|efgh");
    EXPECT_EQ(AfterKeys("abcd|efgh", Qt::Key_Tab, true), "abcdefgh|");
    EXPECT_EQ(AfterKeys("a|b\tcd", Qt::Key_Tab, true), "ab\t|cd");
    EXPECT_EQ(AfterKeys("ab|c", Qt::Key_Tab, true), "abc|");
    // At the line's end it inserts a tab as usual.
    EXPECT_EQ(AfterKeys("abc|", Qt::Key_Tab, true), "abc\t|");
}

} // namespace
