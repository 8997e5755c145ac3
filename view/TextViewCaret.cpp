// CTextView: the caret the view paints, the selection primitives every command uses, focus,
// the view's timers, the mouse cursor shapes and the status-bar position indicator.
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "view/TextView.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include <QApplication>
#include <QTimerEvent>

void CTextView::RefreshCaret() {
    if (m_ptCaret != m_ptReportedCaret) {
        m_ptReportedCaret = m_ptCaret;
        emit caretPositionChanged();
    }
    UpdateCurrentLineTint();
    QRect rcNew;
    if (m_bHasFocus && !m_bCaretSuppressed) {
        // A caret right of or below the window lies outside the client area and is not seen.
        // The client point is TextPosToClient's, from the column already at hand.
        const int nColumn = CharToColumn(m_ptCaret.y, m_ptCaret.x);
        if (nColumn >= m_nFirstVisibleColumn) {
            const QPoint ptCaret(GetCharWidth() * (nColumn - m_nFirstVisibleColumn) +
                                     GetMarginWidth(),
                                 GetLineHeight() * (m_ptCaret.y - m_nFirstVisibleLine));
            rcNew = QRect(ptCaret, QSize(2, GetLineHeight()));
        }
    }
    if (rcNew == m_rcCaret && m_bCaretBlinkOn)
        return;
    InvalidateRect(m_rcCaret);
    m_rcCaret = rcNew;
    // Every move shows the caret at once and starts the blink cycle anew.
    m_bCaretBlinkOn = true;
    InvalidateRect(m_rcCaret);
    const int nFlashTime = QApplication::cursorFlashTime();
    if (!m_rcCaret.isEmpty() && nFlashTime > 0)
        m_timerCaretBlink.start(nFlashTime / 2, this);
    else
        m_timerCaretBlink.stop();
}

void CTextView::timerEvent(QTimerEvent* pEvent) {
    // While the button is held the view sees every move, outside the window too.
    if (pEvent->timerId() == m_timerAutoScroll.timerId()) {
        OnTimer(m_ptLastMouse);
        return;
    }
    if (pEvent->timerId() != m_timerCaretBlink.timerId()) {
        QAbstractScrollArea::timerEvent(pEvent);
        return;
    }
    m_bCaretBlinkOn = !m_bCaretBlinkOn;
    InvalidateRect(m_rcCaret);
}

void CTextView::PlaceCaret(TextPos pos) {
    m_ptCaret = pos;
    m_nStickyColumn = CharToColumn(pos.y, pos.x);
    RefreshCaret();
}

void CTextView::EnableCaret() {
    m_bCaretSuppressed = false;
    RefreshCaret();
}

void CTextView::SuppressCaret() {
    m_bCaretSuppressed = true;
    RefreshCaret();
}

void CTextView::focusInEvent(QFocusEvent* pEvent) {
    QAbstractScrollArea::focusInEvent(pEvent);
    OnSetFocus();
}

void CTextView::focusOutEvent(QFocusEvent* pEvent) {
    QAbstractScrollArea::focusOutEvent(pEvent);
    OnKillFocus();
}

void CTextView::OnSetFocus() {
    m_bHasFocus = true;
    if (m_ptSelFrom != m_ptSelTo)
        InvalidateLineRange(m_ptSelFrom.y, m_ptSelTo.y);
    RefreshCaret();
}

void CTextView::OnKillFocus() {
    m_bHasFocus = false;
    RefreshCaret();
    if (m_ptSelFrom != m_ptSelTo)
        InvalidateLineRange(m_ptSelFrom.y, m_ptSelTo.y);
    // The button's release will not reach a view that lost the focus meanwhile.
    if (m_bMouseSelecting)
        EndMouseSelection();
}

void CTextView::GetOrderedSelection(TextPos& ptLow, TextPos& ptHigh) const {
    std::tie(ptLow, ptHigh) = std::minmax(m_ptSelFrom, m_ptSelTo);
}

bool CTextView::IsInOrderedSelection(TextPos pos) const {
    // The selection holds its low end and not its high end.
    const auto [low, high] = std::minmax(m_ptSelFrom, m_ptSelTo);
    if (pos.y < low.y || pos.y > high.y)
        return false;
    if (pos.y > low.y && pos.y < high.y)
        return true;
    if (low.y < high.y) {
        if (pos.y == high.y)
            return pos.x < high.x;
        return pos.x >= low.x;
    }
    return low.x <= pos.x && pos.x < high.x;
}

bool CTextView::IsPointInSelection(TextPos pos) const {
    return IsInOrderedSelection(pos);
}

void CTextView::SetSelectionRange(TextPos ptFrom, TextPos ptTo) {
    if (ptFrom == m_ptSelFrom) {
        if (ptTo != m_ptSelTo)
            InvalidateLineRange(ptTo.y, m_ptSelTo.y);
    } else {
        InvalidateLineRange(ptFrom.y, ptTo.y);
        InvalidateLineRange(m_ptSelFrom.y, m_ptSelTo.y);
    }
    m_ptSelFrom = ptFrom;
    m_ptSelTo = ptTo;
    UpdateCurrentLineTint();
}

void CTextView::OnSetCursor(QPoint pt) {
    if (pt.x() < GetMarginWidth()) {
        if (!m_pMarginCursor)
            m_pMarginCursor = std::make_unique<QCursor>(LoadResCursor(IDC_MARGIN_CURSOR));
        viewport()->setCursor(*m_pMarginCursor);
        return;
    }
    // Over the selection the arrow says that a drag can start there.
    if (IsInOrderedSelection(ClientToTextPos(pt)))
        viewport()->setCursor(Qt::ArrowCursor);
    else
        viewport()->setCursor(Qt::IBeamCursor);
}

void CTextView::OnUpdatePositionIndicator(CCmdUI& cmdUI) {
    char szText[64];
    std::snprintf(szText, sizeof szText, "Ln %d, Col %d", m_ptCaret.y + 1, m_ptCaret.x + 1);
    cmdUI.SetText(szText);
}
