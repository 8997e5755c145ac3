// Caret movement from the keyboard: characters, words, smart Home, the sticky column of Up and
// Down, pages, document start and end, scrolling by a line or a column, and Select All.
#include "GoldenText.h"
#include "view/PaneSplitter.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

using CMoveFixture = TGoldenFixture<CProbeView>;

// The golden text after pressing `key` nTimes on a view made from `before`.
std::string AfterKeys(std::string_view before, Qt::Key key,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier, int nTimes = 1) {
    CMoveFixture fx(before);
    Press(fx.view, key, modifiers, nTimes);
    return fx.State();
}

constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

TEST(TextViewMovement, CharacterMovesCrossLineEndsAndStopAtTheDocumentsEnds) {
    EXPECT_EQ(AfterKeys("ab|c", Qt::Key_Left), "a|bc");
    EXPECT_EQ(AfterKeys("ab\n|cd", Qt::Key_Left), "ab|\ncd");
    EXPECT_EQ(AfterKeys("ab|\ncd", Qt::Key_Right), "ab\n|cd");
    EXPECT_EQ(AfterKeys("|ab", Qt::Key_Left), "|ab");
    EXPECT_EQ(AfterKeys("ab\ncd|", Qt::Key_Right), "ab\ncd|");
    EXPECT_EQ(AfterKeys("a|b\ncd", Qt::Key_Up), "a|b\ncd");
    EXPECT_EQ(AfterKeys("ab\nc|d", Qt::Key_Down), "ab\nc|d");
    // Shift extends from the anchor; going back over it shrinks the selection to nothing.
    EXPECT_EQ(AfterKeys("a|bcd", Qt::Key_Right, kShift, 2), "a[bc]|d");
    CMoveFixture fx("a|bcd");
    Press(fx.view, Qt::Key_Right, kShift, 2);
    Press(fx.view, Qt::Key_Left, kShift, 3);
    EXPECT_EQ(fx.State(), "|[a]bcd");
}

TEST(TextViewMovement, APlainMoveWithASelectionCollapsesItFirst) {
    EXPECT_EQ(AfterKeys("ab[cd]|ef", Qt::Key_Left), "ab|cdef");
    EXPECT_EQ(AfterKeys("ab|[cd]ef", Qt::Key_Right), "abcd|ef");
    // Up moves from the selection's start, Down from its end.
    EXPECT_EQ(AfterKeys("0123\n01[23\n0123\n01]|23", Qt::Key_Up), "01|23\n0123\n0123\n0123");
    EXPECT_EQ(AfterKeys("01|[23\n01]23\n0123", Qt::Key_Down), "0123\n0123\n01|23");
    // With Shift the selection grows instead.
    EXPECT_EQ(AfterKeys("ab|[cd]ef", Qt::Key_Right, kShift), "abc|[d]ef");
}

TEST(TextViewMovement, EvenAnEdgeMoveScrollsTheCaretBackIntoView) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(40, true);
    Press(view, Qt::Key_Left);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 0}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
}

TEST(TextViewMovement, WordMovesStepOverRunsOfOneCharacterClass) {
    EXPECT_EQ(AfterKeys("a|+=b c", Qt::Key_Right, kCtrl), "a+=|b c");
    EXPECT_EQ(AfterKeys("a|+=b c", Qt::Key_Right, kCtrl, 2), "a+=b |c");
    EXPECT_EQ(AfterKeys("foo  ba|r", Qt::Key_Left, kCtrl), "foo  |bar");
    EXPECT_EQ(AfterKeys("foo  |bar", Qt::Key_Left, kCtrl), "|foo  bar");
    EXPECT_EQ(AfterKeys("x = a_1|;", Qt::Key_Left, kCtrl), "x = |a_1;");
    // Bytes 128 to 255 are neither blanks nor word characters.
    EXPECT_EQ(AfterKeys("|ab\xE9\xE9"
                        "cd",
                        Qt::Key_Right, kCtrl),
              "ab|\xE9\xE9"
              "cd");
    EXPECT_EQ(AfterKeys("|ab\xE9\xE9"
                        "cd",
                        Qt::Key_Right, kCtrl, 2),
              "ab\xE9\xE9|cd");
    EXPECT_EQ(AfterKeys("|foo bar", Qt::Key_Right, kCtrlShift), "[foo ]|bar");
}

TEST(TextViewMovement, WordMovesCrossLineEnds) {
    // Left from column 0: to the start of the previous line's last word.
    EXPECT_EQ(AfterKeys("foo bar\n|x", Qt::Key_Left, kCtrl), "foo |bar\nx");
    EXPECT_EQ(AfterKeys("foo bar  \n|x", Qt::Key_Left, kCtrl), "foo |bar  \nx");
    // Right from a line's end: across the next line's first word and the blanks after it.
    EXPECT_EQ(AfterKeys("abc|\nfoo  bar", Qt::Key_Right, kCtrl), "abc\nfoo  |bar");
    // An empty next line is passed like a plain Right from it.
    EXPECT_EQ(AfterKeys("ab|\n\nxy", Qt::Key_Right, kCtrl), "ab\n\n|xy");
    EXPECT_EQ(AfterKeys("ab|\n", Qt::Key_Right, kCtrl), "ab\n|");
    // At the document's ends nothing happens at all, not even to the selection.
    EXPECT_EQ(AfterKeys("|[ab]", Qt::Key_Left, kCtrlShift), "|[ab]");
    EXPECT_EQ(AfterKeys("[ab]|", Qt::Key_Right, kCtrlShift), "[ab]|");
    EXPECT_EQ(AfterKeys("|ab", Qt::Key_Left, kCtrl), "|ab");
    // A selection without Shift collapses like a character move, and no further.
    EXPECT_EQ(AfterKeys("ab [cd]|ef", Qt::Key_Left, kCtrl), "ab |cdef");
    EXPECT_EQ(AfterKeys("ab |[cd]ef", Qt::Key_Right, kCtrl), "ab cd|ef");
}

TEST(TextViewMovement, SmartHomeTogglesBetweenTheFirstNonBlankAndColumnZero) {
    CMoveFixture fx("    te|xt");
    Press(fx.view, Qt::Key_Home);
    EXPECT_EQ(fx.State(), "    |text");
    Press(fx.view, Qt::Key_Home);
    EXPECT_EQ(fx.State(), "|    text");
    Press(fx.view, Qt::Key_Home);
    EXPECT_EQ(fx.State(), "    |text");
    EXPECT_EQ(AfterKeys("\t x|y", Qt::Key_Home), "\t |xy");
    EXPECT_EQ(AfterKeys("  | ", Qt::Key_Home), "|   ");
    EXPECT_EQ(AfterKeys("|", Qt::Key_Home), "|");
    EXPECT_EQ(AfterKeys("    te|xt", Qt::Key_Home, kShift), "    |[te]xt");
    EXPECT_EQ(AfterKeys("a|bc", Qt::Key_End), "abc|");
    EXPECT_EQ(AfterKeys("a|bc", Qt::Key_End, kShift), "a[bc]|");
}

TEST(TextViewMovement, UpAndDownKeepTheScreenColumnAcrossShorterLines) {
    // Column 12 is character 6 of the first line (two tabs, then four letters).
    CMoveFixture fx("\t\tabcdefgh\nabc\n0123456789ab|cdef");
    Press(fx.view, Qt::Key_Up);
    EXPECT_EQ(fx.State(), "\t\tabcdefgh\nabc|\n0123456789abcdef");
    Press(fx.view, Qt::Key_Up);
    EXPECT_EQ(fx.State(), "\t\tabcd|efgh\nabc\n0123456789abcdef");
    Press(fx.view, Qt::Key_Down, Qt::NoModifier, 2);
    EXPECT_EQ(fx.State(), "\t\tabcdefgh\nabc\n0123456789ab|cdef");
    // A horizontal move sets the column anew.
    Press(fx.view, Qt::Key_Left);
    Press(fx.view, Qt::Key_Up, Qt::NoModifier, 2);
    EXPECT_EQ(fx.State(), "\t\tabc|defgh\nabc\n0123456789abcdef");
    // Shift+Up selects from the anchor.
    Press(fx.view, Qt::Key_Down, kShift);
    EXPECT_EQ(fx.State(), "\t\tabc[defgh\nabc]|\n0123456789abcdef");
}

TEST(TextViewMovement, PagesMoveCaretAndWindowByAPageLessOneLine) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.PlaceCaret({2, 5});
    Press(view, Qt::Key_PageDown);
    EXPECT_EQ(view.GetFirstVisibleLine(), 9);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 14}));
    Press(view, Qt::Key_PageDown, kShift);
    EXPECT_EQ(view.GetFirstVisibleLine(), 18);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 23}));
    TextPos ptLow, ptHigh;
    view.GetOrderedSelection(ptLow, ptHigh);
    EXPECT_EQ(ptLow, (TextPos{2, 14}));
    EXPECT_EQ(ptHigh, (TextPos{2, 23}));
    // Near the end both clamp to the last line.
    view.ScrollToTopLine(95, true);
    view.PlaceCaret({2, 97});
    Press(view, Qt::Key_PageDown);
    EXPECT_EQ(view.GetFirstVisibleLine(), 99);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 99}));
}

TEST(TextViewMovement, PageUpNearTheTopClampsAndLimitsTheColumn) {
    CMoveFixture fx("x\nline 1\nline 2\nline 3\nline 4\nline| 5\nline 6", 20, 4);
    fx.view.ScrollToTopLine(3, true);
    Press(fx.view, Qt::Key_PageUp);
    EXPECT_EQ(fx.view.GetFirstVisibleLine(), 0);
    EXPECT_EQ(fx.view.GetCaretTextPos(), (TextPos{4, 2}));
    Press(fx.view, Qt::Key_PageUp);
    EXPECT_EQ(fx.view.GetCaretTextPos(), (TextPos{1, 0}));
    // The sticky column is the limited one now.
    EXPECT_EQ(fx.view.m_nStickyColumn, 1);
    Press(fx.view, Qt::Key_Down);
    EXPECT_EQ(fx.view.GetCaretTextPos(), (TextPos{1, 1}));
}

TEST(TextViewMovement, PagesInAWindowLowerThanTwoLinesStillGoTheWayAsked) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 1);
    ASSERT_EQ(view.GetVisibleLineCount(), 1);
    view.PlaceCaret({0, 5});
    Press(view, Qt::Key_PageUp);
    EXPECT_EQ(view.GetCaretTextPos().y, 4);
    Press(view, Qt::Key_PageDown, Qt::NoModifier, 2);
    EXPECT_EQ(view.GetCaretTextPos().y, 6);
}

TEST(TextViewMovement, DocumentStartAndEnd) {
    EXPECT_EQ(AfterKeys("ab\ncd|e\nfg", Qt::Key_End, kCtrl), "ab\ncde\nfg|");
    EXPECT_EQ(AfterKeys("ab\ncd|e\nfg", Qt::Key_Home, kCtrl), "|ab\ncde\nfg");
    EXPECT_EQ(AfterKeys("ab\ncd|e\nfg", Qt::Key_Home, kCtrlShift), "|[ab\ncd]e\nfg");
    EXPECT_EQ(AfterKeys("ab\ncd|e\nfg", Qt::Key_End, kCtrlShift), "ab\ncd[e\nfg]|");
}

TEST(TextViewMovement, CtrlUpAndDownScrollWithoutMovingTheCaret) {
    auto pBuffer = MakeNumberedBuffer(30);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.PlaceCaret({3, 4});
    Press(view, Qt::Key_Down, kCtrl, 2);
    EXPECT_EQ(view.GetFirstVisibleLine(), 2);
    EXPECT_EQ(view.verticalScrollBar()->value(), 2);
    Press(view, Qt::Key_Up, kCtrl, 5);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 4}));
    view.ScrollToTopLine(28, true);
    Press(view, Qt::Key_Down, kCtrl, 3);
    EXPECT_EQ(view.GetFirstVisibleLine(), 29);
}

TEST(TextViewMovement, ColumnScrollsStayWithinTheWidestLineAndMoveTheColumnsPanes) {
    auto pBuffer = MakeBuffer({std::string(30, 'x'), "short"});
    CPaneSplitter splitter;
    auto* pTop = new CProbeView;
    auto* pBottom = new CProbeView;
    splitter.SetPane(0, 0, pTop);
    splitter.SetPane(1, 0, pBottom);
    splitter.resize(300, 300);
    splitter.show();
    for (CProbeView* pView : {pTop, pBottom}) {
        pView->AttachBuffer(pBuffer.get());
        UseDocumentFont(*pView);
    }
    pTop->ScrollColumnLeft();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 0);
    pTop->ScrollColumnRight();
    pTop->ScrollColumnRight();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 2);
    EXPECT_EQ(pBottom->GetFirstVisibleColumn(), 2);
    for (int i = 0; i < 40; ++i)
        pTop->ScrollColumnRight();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 29);
    pBottom->ScrollColumnLeft();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 28);
    for (CProbeView* pView : {pTop, pBottom})
        pView->DetachBuffer();
}

TEST(TextViewMovement, SelectAllKeepsTheAnchorAndTheScrollPosition) {
    auto pBuffer = MakeNumberedBuffer(50);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(20, true);
    view.PlaceCaret({1, 22});
    view.SetSelAnchor({1, 22});
    Press(view, Qt::Key_A, kCtrl);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{7, 49}));
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{0, 0}));
    EXPECT_EQ(view.m_ptSelTo, (TextPos{7, 49}));
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{1, 22}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 20);
}

TEST(TextViewMovement, AViewWithoutABufferMovesWithinItsOneEmptyLine) {
    CProbeView view;
    UseDocumentFont(view);
    ShowWithCells(view, 10, 5);
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
                              Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End})
        Press(view, key);
    Press(view, Qt::Key_Right, kCtrl);
    Press(view, Qt::Key_Left, kCtrl);
    Press(view, Qt::Key_A, kCtrl);
    EXPECT_EQ(DescribeView(view), "|");
}

} // namespace
