// CTextView: scrolling: the two scroll bars, their requests, keeping the caret in view and
// keeping the panes of a splitter in step.
#include "resources/CommandIds.h"
#include "view/PaneSplitter.h"
#include "view/TextView.h"

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

void CTextView::ScrollToTopLine(int nLine, bool bUpdateBar) {
    if (nLine == m_nFirstVisibleLine)
        return;
    const int dy = (m_nFirstVisibleLine - nLine) * GetLineHeight();
    m_nFirstVisibleLine = nLine;
    // What waits to be repainted and the caret move with the pixels.
    const QRect rcPending = m_rcPendingPaint.translated(0, dy);
    m_rcCaret.translate(0, dy);
    viewport()->scroll(0, dy);
    if (!rcPending.isNull())
        InvalidateRect(rcPending);
    if (bUpdateBar)
        UpdateVertScrollBar(true);
}

void CTextView::ScrollToColumn(int nColumn, bool bUpdateBar) {
    if (nColumn == m_nFirstVisibleColumn)
        return;
    const int dx = (m_nFirstVisibleColumn - nColumn) * GetCharWidth();
    m_nFirstVisibleColumn = nColumn;
    // Only the text area moves: the margin stays.
    const QRect rcClient = viewport()->rect();
    const QRect rcText(GetMarginWidth(), 0, rcClient.width() - GetMarginWidth(), rcClient.height());
    const QRect rcPending = m_rcPendingPaint.translated(dx, 0) & rcText;
    if (rcText.contains(m_rcCaret))
        m_rcCaret.translate(dx, 0);
    viewport()->scroll(dx, 0, rcText);
    if (!rcPending.isEmpty())
        InvalidateRect(rcPending);
    if (bUpdateBar)
        UpdateHorzScrollBar(true);
}

void CTextView::ScrollPanesToLine(int nLine) {
    ScrollToTopLine(nLine, true);
    SyncSiblingPanes(true);
}

void CTextView::ScrollPanesToColumn(int nColumn) {
    ScrollToColumn(nColumn, true);
    RefreshCaret();
    SyncSiblingPanes(false);
}

void CTextView::UpdateVertScrollBar(bool bPositionOnly) {
    QScrollBar* pBar = GetScrollBarCtrl(Qt::Vertical);
    if (!bPositionOnly) {
        const int nVisible = GetVisibleLineCount();
        const int nLines = GetLineCount();
        if (nVisible >= nLines && m_nFirstVisibleLine > 0) {
            m_nFirstVisibleLine = 0;
            InvalidateAll();
            RefreshCaret();
        }
        // Qt's maximum is the last position the thumb can take, not the last line.
        pBar->setRange(0, std::max(nLines - nVisible, 0));
        pBar->setPageStep(std::max(nVisible, 1));
        pBar->setSingleStep(1);
        pBar->setEnabled(nVisible < nLines);
    }
    pBar->setValue(m_nFirstVisibleLine);
}

void CTextView::UpdateHorzScrollBar(bool bPositionOnly) {
    QScrollBar* pBar = GetScrollBarCtrl(Qt::Horizontal);
    if (!bPositionOnly) {
        const int nVisible = GetVisibleColumnCount();
        const int nColumns = GetMaxLineColumns();
        // Nothing could scroll the text back into sight once every line fits.
        if (nVisible >= nColumns && m_nFirstVisibleColumn > 0) {
            m_nFirstVisibleColumn = 0;
            InvalidateAll();
            RefreshCaret();
        }
        pBar->setRange(0, std::max(nColumns - nVisible, 0));
        pBar->setPageStep(std::max(nVisible, 1));
        pBar->setSingleStep(1);
        pBar->setEnabled(nVisible < nColumns);
    }
    pBar->setValue(m_nFirstVisibleColumn);
}

namespace {

// The first line or column after a scroll-bar request, before clamping.
int ScrollTarget(int nRequest, int nFirst, int nPage, int nTotal, int nTrackPos) {
    switch (nRequest) {
    case SB_LINEUP:
        return nFirst - 1;
    case SB_LINEDOWN:
        return nFirst + 1;
    case SB_PAGEUP:
        return nFirst - nPage + 1;
    case SB_PAGEDOWN:
        return nFirst + nPage - 1;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return nTrackPos;
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return nTotal - nPage + 1; // one row below the last line stays visible
    default:
        return nFirst;
    }
}

} // namespace

void CTextView::OnVScroll(int nRequest, int nTrackPos) {
    if (nRequest == SB_ENDSCROLL)
        return;
    const int nLines = GetLineCount();
    const int nTarget =
        ScrollTarget(nRequest, m_nFirstVisibleLine, GetVisibleLineCount(), nLines, nTrackPos);
    ScrollToTopLine(std::clamp(nTarget, 0, std::max(nLines - 1, 0)), true);
}

void CTextView::OnHScroll(int nRequest, int nTrackPos) {
    if (nRequest == SB_ENDSCROLL)
        return;
    const int nColumns = GetMaxLineColumns();
    const int nTarget =
        ScrollTarget(nRequest, m_nFirstVisibleColumn, GetVisibleColumnCount(), nColumns, nTrackPos);
    ScrollToColumn(std::clamp(nTarget, 0, std::max(nColumns - 1, 0)), true);
    RefreshCaret();
}

void CTextView::OnScrollBarAction(Qt::Orientation orientation, int nAction) {
    QScrollBar* pBar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    int nRequest = SB_ENDSCROLL;
    switch (nAction) {
    case QAbstractSlider::SliderSingleStepSub:
        nRequest = SB_LINEUP;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        nRequest = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        nRequest = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        nRequest = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderToMinimum:
        nRequest = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        nRequest = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        nRequest = SB_THUMBTRACK;
        break;
    default:
        return;
    }
    const bool bVertical = orientation == Qt::Vertical;
    if (bVertical)
        OnVScroll(nRequest, pBar->sliderPosition());
    else
        OnHScroll(nRequest, pBar->sliderPosition());
    // The bar's own step is replaced by the request's result.
    pBar->setSliderPosition(bVertical ? m_nFirstVisibleLine : m_nFirstVisibleColumn);
    // The bar belongs to the whole splitter row or column: the other panes follow.
    SyncSiblingPanes(bVertical);
}

void CTextView::scrollContentsBy(int, int) {
    // The view moves its contents itself when its first line or column changes.
}

void CTextView::wheelEvent(QWheelEvent* pEvent) {
    m_nWheelDelta += pEvent->angleDelta().y();
    const int nSteps = m_nWheelDelta / QWheelEvent::DefaultDeltasPerStep;
    m_nWheelDelta -= nSteps * QWheelEvent::DefaultDeltasPerStep;
    pEvent->accept();
    if (nSteps == 0)
        return;
    // Ctrl with the wheel zooms, as the zoom commands do, wherever the view's owner takes them.
    if (pEvent->modifiers() & Qt::ControlModifier) {
        for (int i = 0; i < std::abs(nSteps); ++i)
            RouteCommand(nSteps > 0 ? ID_VIEW_ZOOM_IN : ID_VIEW_ZOOM_OUT);
        return;
    }
    const int nLast = std::max(GetLineCount() - 1, 0);
    const int nTarget = m_nFirstVisibleLine - nSteps * QApplication::wheelScrollLines();
    ScrollPanesToLine(std::clamp(nTarget, 0, nLast));
}

void CTextView::ScrollCaretIntoView(TextPos pos) {
    const int nVisibleLines = GetVisibleLineCount();
    int nTop = m_nFirstVisibleLine;
    if (pos.y >= nTop + nVisibleLines)
        nTop = pos.y - nVisibleLines + 1;
    if (pos.y < nTop)
        nTop = pos.y;
    nTop = std::clamp(nTop, 0, std::max(GetLineCount() - 1, 0));
    if (nTop != m_nFirstVisibleLine)
        ScrollPanesToLine(nTop);

    const int nColumn = CharToColumn(pos.y, pos.x);
    const int nVisibleColumns = GetVisibleColumnCount();
    int nLeft = m_nFirstVisibleColumn;
    // A caret just after the last visible column counts as visible, at the right edge.
    if (nColumn > nLeft + nVisibleColumns)
        nLeft = nColumn - nVisibleColumns;
    if (nColumn < nLeft)
        nLeft = nColumn;
    if (nLeft >= GetMaxLineColumns())
        nLeft = GetMaxLineColumns() - 1;
    if (nLeft < 0)
        nLeft = 0;
    if (nLeft != m_nFirstVisibleColumn)
        ScrollPanesToColumn(nLeft);
}

CPaneSplitter* CTextView::GetParentSplitter() const {
    for (QWidget* pParent = parentWidget(); pParent; pParent = pParent->parentWidget()) {
        if (auto* pSplitter = qobject_cast<CPaneSplitter*>(pParent))
            return pSplitter;
        if (pParent->isWindow())
            break;
    }
    return nullptr;
}

bool CTextView::GetPanePosition(int& nRow, int& nCol) const {
    const CPaneSplitter* pSplitter = GetParentSplitter();
    return pSplitter && pSplitter->GetPanePosition(this, nRow, nCol);
}

CTextView* CTextView::GetSplitterSibling(int nRow, int nCol) const {
    const CPaneSplitter* pSplitter = GetParentSplitter();
    return pSplitter ? qobject_cast<CTextView*>(pSplitter->GetPane(nRow, nCol)) : nullptr;
}

QScrollBar* CTextView::GetScrollBarCtrl(Qt::Orientation orientation) const {
    // Panes of one row share the bar of the row's last pane, panes of one column that of the
    // column's last pane.
    const bool bVertical = orientation == Qt::Vertical;
    const CPaneSplitter* pSplitter = GetParentSplitter();
    int nRow = 0, nCol = 0;
    if (pSplitter && pSplitter->GetPanePosition(this, nRow, nCol)) {
        const int nOwnerRow = bVertical ? nRow : pSplitter->GetRowCount() - 1;
        const int nOwnerCol = bVertical ? pSplitter->GetColumnCount() - 1 : nCol;
        if (const CTextView* pOwner =
                qobject_cast<CTextView*>(pSplitter->GetPane(nOwnerRow, nOwnerCol)))
            return bVertical ? pOwner->verticalScrollBar() : pOwner->horizontalScrollBar();
    }
    return bVertical ? verticalScrollBar() : horizontalScrollBar();
}

void CTextView::SyncSiblingPanes(bool bVertical) {
    int nRow = 0, nCol = 0;
    if (!GetPanePosition(nRow, nCol))
        return;
    const CPaneSplitter* pSplitter = GetParentSplitter();
    if (bVertical) {
        for (int c = 0; c < pSplitter->GetColumnCount(); ++c) {
            CTextView* pSibling = c != nCol ? GetSplitterSibling(nRow, c) : nullptr;
            if (pSibling)
                pSibling->OnSiblingScrolled(this, true);
        }
    } else {
        for (int r = 0; r < pSplitter->GetRowCount(); ++r) {
            CTextView* pSibling = r != nRow ? GetSplitterSibling(r, nCol) : nullptr;
            if (pSibling)
                pSibling->OnSiblingScrolled(this, false);
        }
    }
}

void CTextView::OnSiblingScrolled(CTextView* pSource, bool bVertical) {
    if (pSource == this)
        return;
    // The bar is shared with the source, which has set it already.
    if (bVertical) {
        if (pSource->m_nFirstVisibleLine != m_nFirstVisibleLine) {
            ScrollToTopLine(pSource->m_nFirstVisibleLine, false);
            RefreshCaret();
        }
    } else if (pSource->m_nFirstVisibleColumn != m_nFirstVisibleColumn) {
        ScrollToColumn(pSource->m_nFirstVisibleColumn, false);
        RefreshCaret();
    }
}
