// The view's reaction to buffer changes, attaching and resetting, the selection primitives,
// the key table, the mouse cursor shapes and the position indicator.
#include "ViewTestSupport.h"
#include "resources/CommandIds.h"
#include "resources/KeyTables.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void Insert(CTextBuffer& buffer, int nLine, int nChar, std::string_view text) {
    int nEndLine = 0, nEndChar = 0;
    buffer.InsertTextAt(nullptr, nLine, nChar, text, nEndLine, nEndChar, EDITACT_TYPING);
}

void Delete(CTextBuffer& buffer, TextPos from, TextPos to) {
    buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE);
}

TEST(TextViewUpdates, ExtentsMoveCaretSelectionAndAnchorWithTheText) {
    auto pBuffer = MakeNumberedBuffer(60);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(30, true);
    view.PlaceCaret({5, 40});
    view.SetSelAnchor({2, 40});
    view.SetSelectionRange({2, 40}, {5, 40});
    const int nSticky = view.m_nStickyColumn;

    // Deleting before the caret on its line moves it left, without scrolling.
    Delete(*pBuffer, {0, 40}, {2, 40});
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 40}));
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{0, 40}));
    EXPECT_EQ(view.m_ptSelTo, (TextPos{3, 40}));
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{0, 40}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 30);
    EXPECT_EQ(view.m_nStickyColumn, nSticky);

    // Lines inserted above the window move the first visible line with its text.
    Insert(*pBuffer, 2, 0, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(view.GetFirstVisibleLine(), 33);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 43}));
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 63 - 10);
    // Lines removed around the caret collapse it to the start of the removal.
    Delete(*pBuffer, {0, 42}, {0, 45});
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 42}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 33);
    EXPECT_EQ(pBuffer->GetLineCount(), 60);
}

TEST(TextViewUpdates, AResetPutsEveryViewBackAtTheStart) {
    auto pBuffer = MakeNumberedBuffer(80);
    CProbeView first, second;
    SetUpView(first, pBuffer.get(), 20, 10);
    SetUpView(second, pBuffer.get(), 20, 10);
    for (CProbeView* pView : {&first, &second}) {
        pView->ScrollToTopLine(50, true);
        pView->PlaceCaret({3, 55});
        pView->SetSelectionRange({0, 52}, {3, 55});
        pView->GetLineEndState(60);
    }
    pBuffer->InitEmpty(EOL_CRLF); // the whole content replaced, as a reload does
    for (CProbeView* pView : {&first, &second}) {
        EXPECT_EQ(pView->GetFirstVisibleLine(), 0);
        EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{0, 0}));
        EXPECT_EQ(pView->m_ptSelFrom, pView->m_ptSelTo);
        EXPECT_FALSE(pView->m_LineStates.Exists());
        EXPECT_FALSE(pView->verticalScrollBar()->isEnabled());
        EXPECT_EQ(pView->m_rcPendingPaint, pView->viewport()->rect()); // repainted entirely
    }
}

TEST(TextViewUpdates, AttachingResetsAndDestroyingDetaches) {
    auto pBuffer = MakeNumberedBuffer(10);
    auto pOther = MakeNumberedBuffer(3);
    {
        CProbeView view;
        view.AttachBuffer(pBuffer.get());
        view.PlaceCaret({2, 5});
        view.AttachBuffer(pOther.get());
        EXPECT_EQ(view.GetBuffer(), pOther.get());
        EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 0}));
        EXPECT_EQ(view.GetLineCount(), 3);
        // The first buffer no longer notifies it: an edit there leaves the view alone.
        view.PlaceCaret({2, 1});
        Insert(*pBuffer, 1, 0, "xx");
        EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 1}));
    }
    // The view is gone; the buffer must not call it any more.
    Insert(*pOther, 0, 0, "\r\n");
    EXPECT_EQ(pOther->GetLineCount(), 4);
}

TEST(TextViewUpdates, SelectionIncludesItsLowEndAndNotItsHighEnd) {
    CProbeView view;
    view.SetSelectionRange({4, 3}, {2, 1});
    TextPos low, high;
    view.GetOrderedSelection(low, high);
    EXPECT_EQ(low, (TextPos{2, 1}));
    EXPECT_EQ(high, (TextPos{4, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({1, 1}));
    EXPECT_TRUE(view.IsInOrderedSelection({2, 1}));
    EXPECT_TRUE(view.IsInOrderedSelection({99, 2}));
    EXPECT_TRUE(view.IsInOrderedSelection({3, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({4, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({0, 4}));
    view.SetSelectionRange({1, 0}, {3, 0});
    EXPECT_TRUE(view.IsPointInSelection({1, 0}));
    EXPECT_TRUE(view.IsPointInSelection({2, 0}));
    EXPECT_FALSE(view.IsPointInSelection({3, 0}));
    view.SetSelectionRange({3, 0}, {3, 0});
    EXPECT_FALSE(view.IsPointInSelection({3, 0}));
}

TEST(TextViewUpdates, PlacingTheCaretKeepsItsScreenColumn) {
    auto pBuffer = MakeBuffer({"\tab"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    view.PlaceCaret({2, 0});
    EXPECT_EQ(view.m_nStickyColumn, 5);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 0}));
}

TEST(TextViewUpdates, ThePositionIndicatorCountsCharactersFromOne) {
    auto pBuffer = MakeBuffer({"\tx", "abc"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    view.PlaceCaret({1, 0}); // after the tab: screen column 4, character column 2
    CCmdUI cmdUI(ID_INDICATOR_POSITION);
    EXPECT_TRUE(view.OnUpdateCmdUI(ID_INDICATOR_POSITION, cmdUI));
    EXPECT_TRUE(cmdUI.WasTextSet());
    EXPECT_EQ(cmdUI.GetText(), "Ln 1, Col 2");
    view.PlaceCaret({3, 1});
    CCmdUI second(ID_INDICATOR_POSITION);
    view.OnUpdateCmdUI(ID_INDICATOR_POSITION, second);
    EXPECT_EQ(second.GetText(), "Ln 2, Col 4");
    // Find belongs to a later part: not handled by the text view yet.
    CCmdUI other(ID_EDIT_FIND);
    EXPECT_FALSE(view.OnUpdateCmdUI(ID_EDIT_FIND, other));
    EXPECT_FALSE(other.WasEnableSet());
    EXPECT_FALSE(view.OnCmdMsg(ID_INDICATOR_POSITION));
}

QCursor CursorAt(CTextView& view, QPoint pt) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    return view.viewport()->cursor();
}

TEST(TextViewUpdates, TheMouseCursorShowsWhatAClickWouldDo) {
    auto pBuffer = MakeBuffer({"abcdef", "ghijkl"});
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    view.SetSelectionRange({1, 0}, {4, 0});
    const int m = view.GetMarginWidth();
    const int cx = view.GetCharWidth();
    const int cy = view.GetLineHeight();
    const QCursor margin = CursorAt(view, QPoint(m - 1, cy + 3));
    EXPECT_EQ(margin.shape(), Qt::BitmapCursor);
    EXPECT_EQ(margin.hotSpot(), QPoint(12, 0));
    EXPECT_EQ(CursorAt(view, QPoint(m + 2 * cx + 1, 3)).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 4 * cx + 1, 3)).shape(), Qt::IBeamCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 2 * cx + 1, cy + 3)).shape(), Qt::IBeamCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 1, 3)).shape(), Qt::IBeamCursor);
}

TEST(TextViewUpdates, FocusShowsTheCaretAndRepaintsTheSelection) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.SetSelectionRange({0, 2}, {3, 4});
    QApplication::processEvents();
    view.m_rcPendingPaint = QRect();
    GiveFocus(view);
    EXPECT_FALSE(view.GetCaretRect().isEmpty());
    const int h = view.GetLineHeight();
    EXPECT_TRUE(view.m_rcPendingPaint.contains(QRect(0, 2 * h, view.viewport()->width(), 3 * h)));
    TakeFocus(view);
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
}

} // namespace
