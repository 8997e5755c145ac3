// Selecting with the mouse: clicks with and without Shift and Ctrl, double-clicks, the
// selection margin, dragging with the auto-scroll timer, clicks inside the selection, the right
// button and the context menu, and the start of a drag of the selection.
#include "GoldenText.h"
#include "resources/CommandIds.h"

#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A view whose drag and context menu are answered by the test instead of the blocking loops.
class CMouseView : public CProbeView {
public:
    using CProbeView::OnContextMenu;

    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) override {
        ++m_nDrags;
        m_strDragged = pData->text();
        m_dragEffects = effects;
        m_bSourceActiveDuringDrag = m_bDragSourceActive;
        return m_dragResult;
    }
    unsigned TrackContextMenu(QMenu& menu, QPoint ptScreen) override {
        m_ptMenu = ptScreen;
        m_arrMenuTexts.clear();
        for (const QAction* pAction : menu.actions()) {
            m_arrMenuTexts.push_back(pAction->isSeparator() ? QStringLiteral("-")
                                                            : pAction->text());
            if (!pAction->isSeparator())
                m_arrMenuEnabled.push_back(pAction->isEnabled());
        }
        return m_nMenuChoice;
    }
    bool RouteCommand(unsigned nId) override {
        m_arrRouted.push_back(nId);
        return CProbeView::RouteCommand(nId);
    }

    int m_nDrags = 0;
    QString m_strDragged;
    Qt::DropActions m_dragEffects;
    bool m_bSourceActiveDuringDrag = false;
    Qt::DropAction m_dragResult = Qt::IgnoreAction;
    QPoint m_ptMenu;
    std::vector<QString> m_arrMenuTexts;
    std::vector<bool> m_arrMenuEnabled;
    unsigned m_nMenuChoice = 0;
    std::vector<unsigned> m_arrRouted;
};

using CMouseFixture = TGoldenFixture<CMouseView>;

// A point on the left (or right) half of the cell of character column x on screen row y.
QPoint Cell(CTextView& view, int x, int y, bool bRightHalf = false) {
    const int cx = view.GetCharWidth();
    return {view.GetMarginWidth() + x * cx + (bRightHalf ? cx - 2 : 1),
            y * view.GetLineHeight() + view.GetLineHeight() / 2};
}

QPoint Margin(CTextView& view, int y) {
    return {view.GetMarginWidth() / 2, y * view.GetLineHeight() + view.GetLineHeight() / 2};
}

void Send(CTextView& view, QEvent::Type type, QPoint pt, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    QMouseEvent event(type, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)), button, buttons,
                      keys);
    QApplication::sendEvent(view.viewport(), &event);
}

void LeftDown(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(view, QEvent::MouseButtonPress, pt, Qt::LeftButton, Qt::LeftButton, keys);
}

void DragTo(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(view, QEvent::MouseMove, pt, Qt::NoButton, Qt::LeftButton, keys);
}

void LeftUp(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(view, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton, keys);
}

void Click(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    LeftDown(view, pt, keys);
    LeftUp(view, pt, keys);
}

// The platform's order: press, release, double-click, release.
void DoubleClick(CTextView& view, QPoint pt) {
    Click(view, pt);
    Send(view, QEvent::MouseButtonDblClick, pt, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    LeftUp(view, pt);
}

TEST(TextViewMouse, AClickLandsOnTheNearerCharacterBoundary) {
    CMouseFixture fx("a|bcdef\nghijkl");
    QTest::mouseClick(fx.view.viewport(), Qt::LeftButton, Qt::NoModifier, Cell(fx.view, 2, 0));
    EXPECT_EQ(fx.State(), "ab|cdef\nghijkl");
    QTest::mouseClick(fx.view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      Cell(fx.view, 2, 1, true));
    EXPECT_EQ(fx.State(), "abcdef\nghi|jkl");
    EXPECT_EQ(fx.view.m_ptSelAnchor, (TextPos{3, 1}));
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    EXPECT_FALSE(fx.view.IsAutoScrollTimerActive());
    // Right of a line's end and below the last line.
    Click(fx.view, Cell(fx.view, 15, 0));
    EXPECT_EQ(fx.State(), "abcdef|\nghijkl");
    Click(fx.view, Cell(fx.view, 1, 5));
    EXPECT_EQ(fx.State(), "abcdef\ng|hijkl");
    // The mouse does not touch the column Up and Down keep.
    Click(fx.view, Cell(fx.view, 4, 0));
    EXPECT_EQ(fx.view.m_nStickyColumn, 1);
}

TEST(TextViewMouse, ShiftClickExtendsFromTheAnchorAndDraggingSelectsCharacters) {
    CMouseFixture fx("abcdef\nghijkl");
    Click(fx.view, Cell(fx.view, 1, 0));
    Click(fx.view, Cell(fx.view, 4, 1), Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "a[bcdef\nghij]|kl");

    Click(fx.view, Cell(fx.view, 5, 1));
    LeftDown(fx.view, Cell(fx.view, 4, 0));
    EXPECT_TRUE(fx.view.IsMouseSelecting());
    EXPECT_TRUE(fx.view.IsAutoScrollTimerActive());
    DragTo(fx.view, Cell(fx.view, 2, 1));
    EXPECT_EQ(fx.State(), "abcd[ef\ngh]|ijkl");
    DragTo(fx.view, Cell(fx.view, 1, 0));
    EXPECT_EQ(fx.State(), "a|[bcd]ef\nghijkl");
    // The release keeps what the last move selected, wherever it happens.
    LeftUp(fx.view, Cell(fx.view, 5, 1));
    EXPECT_EQ(fx.State(), "a|[bcd]ef\nghijkl");
    EXPECT_FALSE(fx.view.IsMouseSelecting());
}

TEST(TextViewMouse, CtrlClickSelectsWholeWords) {
    CMouseFixture fx("foo bar baz qux");
    LeftDown(fx.view, Cell(fx.view, 5, 0), Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "foo [bar]| baz qux");
    EXPECT_TRUE(fx.view.m_bSelectWords);
    // Dragging grows the selection word by word, to either side of the first word.
    DragTo(fx.view, Cell(fx.view, 9, 0));
    EXPECT_EQ(fx.State(), "foo [bar baz]| qux");
    DragTo(fx.view, Cell(fx.view, 1, 0));
    EXPECT_EQ(fx.State(), "[foo bar]| baz qux");
    LeftUp(fx.view, Cell(fx.view, 1, 0));
    EXPECT_EQ(fx.State(), "[foo bar]| baz qux");
    // Shift+Ctrl extends by words from the anchor.
    Click(fx.view, Cell(fx.view, 13, 0), Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "foo [bar baz qux]|");
}

TEST(TextViewMouse, ADoubleClickSelectsTheWordOnThatSideOfTheBlank) {
    CMouseFixture fx("foo bar baz");
    DoubleClick(fx.view, Cell(fx.view, 3, 0));
    EXPECT_EQ(fx.State(), "[foo]| bar baz");
    DoubleClick(fx.view, Cell(fx.view, 3, 0, true));
    EXPECT_EQ(fx.State(), "foo [bar]| baz");
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    // Held after the double-click, the mouse extends by words.
    Click(fx.view, Cell(fx.view, 0, 0));
    Send(fx.view, QEvent::MouseButtonDblClick, Cell(fx.view, 5, 0), Qt::LeftButton, Qt::LeftButton,
         Qt::NoModifier);
    DragTo(fx.view, Cell(fx.view, 9, 0));
    LeftUp(fx.view, Cell(fx.view, 9, 0));
    EXPECT_EQ(fx.State(), "foo [bar baz]|");
    // A double-click while a mouse selection runs is ignored.
    LeftDown(fx.view, Cell(fx.view, 1, 0));
    fx.view.OnLButtonDblClk(Qt::NoModifier, Cell(fx.view, 9, 0));
    EXPECT_FALSE(fx.view.m_bSelectWords);
    LeftUp(fx.view, Cell(fx.view, 1, 0));
    EXPECT_EQ(fx.State(), "f|oo bar baz");
}

TEST(TextViewMouse, MarginClicksSelectWholeLines) {
    // The line-number column, when shown, takes clicks as the margin does: points at both
    // ends of the two, in turn.
    for (const bool bNumbers : {false, true}) {
        SCOPED_TRACE(bNumbers ? "line numbers" : "margin");
        CMouseFixture fx("line 0\nline 1\nline 2\nline 3");
        fx.view.SetShowLineNumbers(bNumbers);
        const auto Margin = [&fx, bNumbers](int y) {
            const QPoint pt = ::Margin(fx.view, y);
            return bNumbers ? QPoint(y % 2 ? 1 : fx.view.GetMarginWidth() - 2, pt.y()) : pt;
        };
        Click(fx.view, Margin(1));
        EXPECT_EQ(fx.State(), "line 0\n[line 1\n]|line 2\nline 3");
        Click(fx.view, Margin(3));
        EXPECT_EQ(fx.State(), "line 0\nline 1\nline 2\n[line 3]|");
        // Dragging in the margin spans lines, in either direction from the first one.
        LeftDown(fx.view, Margin(1));
        EXPECT_TRUE(fx.view.m_bSelectLines);
        DragTo(fx.view, Margin(2));
        EXPECT_EQ(fx.State(), "line 0\n[line 1\n|line 2\n]line 3");
        DragTo(fx.view, Margin(0));
        EXPECT_EQ(fx.State(), "|[line 0\nline 1\n]line 2\nline 3");
        LeftUp(fx.view, Margin(0));
        EXPECT_EQ(fx.State(), "|[line 0\nline 1\n]line 2\nline 3");
        LeftDown(fx.view, Margin(1));
        LeftUp(fx.view, Margin(2));
        EXPECT_EQ(fx.State(), "line 0\n[line 1\nline 2\n]|line 3");
        // Ctrl+click in the margin selects the whole document.
        Click(fx.view, Margin(2), Qt::ControlModifier);
        EXPECT_EQ(fx.State(), "[line 0\nline 1\nline 2\nline 3]|");
    }
}

TEST(TextViewMouse, DraggingFromTheMarginIntoTheTextGoesOnByCharacters) {
    CMouseFixture fx("line 0\nline 1\nline 2\nline 3");
    LeftDown(fx.view, Margin(fx.view, 1));
    DragTo(fx.view, Cell(fx.view, 3, 2));
    EXPECT_FALSE(fx.view.m_bSelectLines);
    EXPECT_EQ(fx.view.viewport()->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(fx.State(), "line 0\n[line 1\nlin]|e 2\nline 3");
    // Back in the margin it stays a character selection.
    DragTo(fx.view, Margin(fx.view, 3));
    EXPECT_EQ(fx.State(), "line 0\n[line 1\nline 2\n]|line 3");
    LeftUp(fx.view, Margin(fx.view, 3));
    EXPECT_EQ(fx.State(), "line 0\n[line 1\nline 2\n]|line 3");
}

TEST(TextViewMouse, TheAutoScrollTimerScrollsOneOrThreeLinesAndExtendsTheSelection) {
    auto pBuffer = MakeNumberedBuffer(100);
    pBuffer->AppendToLine(50, std::string(60, 'w'));
    CMouseView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    const int h = view.GetLineHeight();
    const int nBottom = view.viewport()->height();
    view.ScrollToTopLine(40, true);
    LeftDown(view, Cell(view, 2, 1));
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 41}));

    // Inside the window a tick does nothing.
    view.OnTimer(Cell(view, 4, 4));
    EXPECT_EQ(view.GetFirstVisibleLine(), 40);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 41}));
    // Just below the bottom edge one line, a line height below it three.
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), nBottom));
    EXPECT_EQ(view.GetFirstVisibleLine(), 41);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{4, 51}));
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), nBottom + h));
    EXPECT_EQ(view.GetFirstVisibleLine(), 44);
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), nBottom + h - 1));
    EXPECT_EQ(view.GetFirstVisibleLine(), 45);
    EXPECT_EQ(view.verticalScrollBar()->value(), 45);
    TextPos ptLow, ptHigh;
    view.GetOrderedSelection(ptLow, ptHigh);
    EXPECT_EQ(ptLow, (TextPos{2, 41}));
    EXPECT_EQ(ptHigh, view.GetCaretTextPos());
    // Above the top edge: one line, and three when more than a line height above it.
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), -1));
    EXPECT_EQ(view.GetFirstVisibleLine(), 44);
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), -h));
    EXPECT_EQ(view.GetFirstVisibleLine(), 43);
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), -h - 1));
    EXPECT_EQ(view.GetFirstVisibleLine(), 40);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{4, 39}));
    // Left and right of the window one column, within the widest line.
    view.OnTimer(QPoint(view.viewport()->width(), Cell(view, 0, 5).y()));
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    view.OnTimer(QPoint(-1, Cell(view, 0, 5).y()));
    view.OnTimer(QPoint(-1, Cell(view, 0, 5).y()));
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
    // The top clamps at line 0.
    view.ScrollToTopLine(1, true);
    view.OnTimer(QPoint(Cell(view, 4, 0).x(), -5 * h));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    LeftUp(view, Cell(view, 2, 2));
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
}

TEST(TextViewMouse, TheTimerExtendsByCharactersInAWordSelection) {
    auto pBuffer = MakeBuffer({"alpha beta", "gamma delta", "epsilon zeta", "eta theta"});
    CMouseView view;
    SetUpView(view, pBuffer.get(), 20, 2);
    LeftDown(view, Cell(view, 7, 0), Qt::ControlModifier);
    EXPECT_EQ(DescribeView(view), "alpha [beta]|\ngamma delta\nepsilon zeta\neta theta");
    view.OnTimer(QPoint(Cell(view, 3, 0).x(), view.viewport()->height()));
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    // From the anchor, the press point, by characters to the mouse.
    EXPECT_EQ(DescribeView(view), "alpha b[eta\ngamma delta\nepsilon zeta\neta]| theta");
    LeftUp(view, Cell(view, 3, 1));
}

TEST(TextViewMouse, APressInsideTheSelectionWaitsForAMoveOrPlacesTheCaretOnRelease) {
    CMouseFixture fx("abcdef ghijkl");
    fx.view.SetSelAnchor({1, 0});
    fx.view.SetSelectionRange({1, 0}, {5, 0});
    fx.view.PlaceCaret({5, 0});
    LeftDown(fx.view, Cell(fx.view, 3, 0));
    EXPECT_TRUE(fx.view.m_bDragPending);
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    EXPECT_EQ(fx.State(), "a[bcde]|f ghijkl");
    LeftUp(fx.view, Cell(fx.view, 3, 0, true));
    EXPECT_FALSE(fx.view.m_bDragPending);
    EXPECT_EQ(fx.State(), "abcd|ef ghijkl");
    // The click is the new anchor: Shift extends from there.
    Press(fx.view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "abcd[e]|f ghijkl");
    EXPECT_EQ(fx.view.m_nDrags, 0);
}

TEST(TextViewMouse, LosingTheFocusEndsAMouseSelection) {
    CMouseFixture fx("abcdef");
    GiveFocus(fx.view);
    LeftDown(fx.view, Cell(fx.view, 1, 0));
    DragTo(fx.view, Cell(fx.view, 3, 0));
    ASSERT_TRUE(fx.view.IsMouseSelecting());
    TakeFocus(fx.view);
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    EXPECT_FALSE(fx.view.IsAutoScrollTimerActive());
    // Moves after that select nothing more.
    DragTo(fx.view, Cell(fx.view, 5, 0));
    EXPECT_EQ(fx.State(), "a[bc]|def");
}

TEST(TextViewMouse, TheRightButtonMovesTheCaretOnlyOutsideTheSelection) {
    CMouseFixture fx("a[bcd]|ef\nghij");
    Send(fx.view, QEvent::MouseButtonPress, Cell(fx.view, 2, 0), Qt::RightButton, Qt::RightButton,
         Qt::NoModifier);
    Send(fx.view, QEvent::MouseButtonRelease, Cell(fx.view, 2, 0), Qt::RightButton, Qt::NoButton,
         Qt::NoModifier);
    EXPECT_EQ(fx.State(), "a[bcd]|ef\nghij");
    Send(fx.view, QEvent::MouseButtonPress, Cell(fx.view, 2, 1), Qt::RightButton, Qt::RightButton,
         Qt::NoModifier);
    Send(fx.view, QEvent::MouseButtonRelease, Cell(fx.view, 2, 1), Qt::RightButton, Qt::NoButton,
         Qt::NoModifier);
    EXPECT_EQ(fx.State(), "abcdef\ngh|ij");
    EXPECT_EQ(fx.view.m_ptSelAnchor, (TextPos{2, 1}));
}

TEST(TextViewMouse, TheContextMenuShowsMenu131AndRoutesTheChosenCommand) {
    CMouseFixture fx("abc|\ndef");
    fx.view.m_nMenuChoice = ID_EDIT_SELECT_ALL;
    const QPoint ptScreen = fx.view.viewport()->mapToGlobal(Cell(fx.view, 1, 1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, Cell(fx.view, 1, 1), ptScreen);
    QApplication::sendEvent(fx.view.viewport(), &event);
    const std::vector<QString> texts = {
        "Cu&t\tCtrl+X",        "&Copy\tCtrl+C",
        "&Paste\tCtrl+V",      "&Delete\tDel",
        "Select &All\tCtrl+A", "-",
        "Toggle Bookmark",     "Next Bookmark",
        "Previous Bookmark",   "-",
        "&Properties",
    };
    EXPECT_EQ(fx.view.m_arrMenuTexts, texts);
    EXPECT_EQ(fx.view.m_ptMenu, ptScreen);
    // Copy and the anonymous bookmarks' moves are disabled: nothing selected, none set.
    const std::vector<bool> enabled = {true, false, true, true, true, true, false, false, true};
    EXPECT_EQ(fx.view.m_arrMenuEnabled, enabled);
    EXPECT_EQ(fx.view.m_arrRouted, std::vector<unsigned>{ID_EDIT_SELECT_ALL});
    EXPECT_EQ(fx.State(), "[abc\ndef]|");

    // A command of a later part is routed and changes nothing here.
    fx.view.m_nMenuChoice = ID_CONTEXT_PROPERTIES;
    fx.view.OnContextMenu(ptScreen);
    EXPECT_EQ(fx.view.m_arrRouted.back(), ID_CONTEXT_PROPERTIES);
    EXPECT_EQ(fx.State(), "[abc\ndef]|");
    fx.view.m_arrMenuEnabled.clear();
    fx.view.m_nMenuChoice = 0;
    fx.view.OnContextMenu(ptScreen);
    EXPECT_TRUE(fx.view.m_arrMenuEnabled[1]); // Copy, with a selection
    EXPECT_EQ(fx.view.m_arrRouted.size(), 2u);
}

TEST(TextViewMouse, AMoveAfterAPressInsideTheSelectionDragsItsTextOut) {
    CMouseFixture fx("ab[cd\n\xE9"
                     "f]|gh");
    LeftDown(fx.view, Cell(fx.view, 3, 0));
    // Within the platform's start distance nothing starts yet.
    DragTo(fx.view, Cell(fx.view, 3, 0) + QPoint(1, 0));
    EXPECT_EQ(fx.view.m_nDrags, 0);
    EXPECT_TRUE(fx.view.m_bDragPending);
    DragTo(fx.view, Cell(fx.view, 3, 0) + QPoint(QApplication::startDragDistance() + 2, 0));
    EXPECT_EQ(fx.view.m_nDrags, 1);
    EXPECT_FALSE(fx.view.m_bDragPending);
    // The text leaves with LF line ends, its bytes as Latin-1 characters; the text view only
    // lends it.
    EXPECT_EQ(fx.view.m_strDragged, QString::fromUtf8("cd\n\xC3\xA9"
                                                      "f"));
    EXPECT_EQ(fx.view.m_dragEffects, Qt::DropActions(Qt::CopyAction));
    EXPECT_TRUE(fx.view.m_bSourceActiveDuringDrag);
    EXPECT_FALSE(fx.view.IsDragSourceActive());
    EXPECT_EQ(fx.view.m_ptDraggedFrom, (TextPos{2, 0}));
    EXPECT_EQ(fx.view.m_ptDraggedTo, (TextPos{2, 1}));
    LeftUp(fx.view, Cell(fx.view, 5, 0));
    EXPECT_EQ(fx.State(), "ab[cd\n\xE9"
                          "f]|gh");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 0);
}

} // namespace
