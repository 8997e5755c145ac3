// CTextView: selecting with the mouse (clicks, double-clicks, the margin, dragging with the
// auto-scroll timer), starting a drag from the selection, and the context menu.
#include "buffer/TextBuffer.h"
#include "resources/ContextMenu.h"
#include "view/TextView.h"

#include <algorithm>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

TextPos CTextView::SnappedTextPos(QPoint pt) {
    // A click on the right half of a character lands after it.
    SnapToCharCenter(pt);
    return ClientToTextPos(pt);
}

void CTextView::StartMouseSelection(bool bWords, bool bLines) {
    m_timerAutoScroll.start(AUTO_SCROLL_INTERVAL, this);
    m_bSelectWords = bWords;
    m_bSelectLines = bLines;
    m_bMouseSelecting = true;
}

void CTextView::EndMouseSelection() {
    m_timerAutoScroll.stop();
    m_bMouseSelecting = false;
}

void CTextView::SelectWordsBetween(TextPos ptAnchor, TextPos pt) {
    TextPos ptFrom, ptTo;
    if (pt < ptAnchor) {
        ptFrom = WordStartAt(pt);
        ptTo = WordEndAt(ptAnchor);
    } else {
        ptFrom = WordStartAt(ptAnchor);
        ptTo = WordEndAt(pt);
    }
    m_ptCaret = ptTo;
    RefreshCaret();
    SetSelectionRange(ptFrom, ptTo);
}

void CTextView::SelectLinesBetween(TextPos ptAnchor, TextPos pt, bool bCaretAtEnd) {
    if (pt >= ptAnchor) {
        const TextPos ptTo = PositionAfterLine(pt.y);
        m_ptCaret = bCaretAtEnd ? ptTo : TextPos{0, pt.y};
        RefreshCaret();
        SetSelectionRange({0, ptAnchor.y}, ptTo);
    } else {
        m_ptCaret = {0, pt.y};
        RefreshCaret();
        SetSelectionRange(PositionAfterLine(ptAnchor.y), m_ptCaret);
    }
}

void CTextView::OnLButtonDown(Qt::KeyboardModifiers keys, QPoint pt) {
    m_ptLastMouse = pt;
    const bool bShift = keys & Qt::ShiftModifier;
    const bool bCtrl = keys & Qt::ControlModifier;
    if (pt.x() < GetMarginWidth()) {
        if (bCtrl) {
            SelectAllText();
            return;
        }
        m_ptCaret = {0, SnappedTextPos(pt).y};
        if (!bShift)
            m_ptSelAnchor = {0, m_ptCaret.y};
        // Without Shift this is exactly the clicked line.
        SetSelectionRange(PositionAfterLine(m_ptSelAnchor.y), {0, m_ptCaret.y});
        RefreshCaret();
        ScrollCaretIntoView(m_ptCaret);
        StartMouseSelection(false, true);
        return;
    }

    if (IsInOrderedSelection(ClientToTextPos(pt))) {
        // A move starts a drag of the selection; a release without one places the caret.
        m_bDragPending = true;
        m_ptDragPressed = pt;
        return;
    }
    m_ptCaret = SnappedTextPos(pt);
    if (!bShift)
        m_ptSelAnchor = m_ptCaret;
    if (bCtrl) {
        SelectWordsBetween(m_ptSelAnchor, m_ptCaret);
    } else {
        RefreshCaret();
        SetSelectionRange(m_ptSelAnchor, m_ptCaret);
    }
    ScrollCaretIntoView(m_ptCaret);
    StartMouseSelection(bCtrl, false);
}

void CTextView::OnMouseMove(Qt::KeyboardModifiers, QPoint pt) {
    m_ptLastMouse = pt;
    if (m_bMouseSelecting) {
        const TextPos p = SnappedTextPos(pt);
        if (m_bSelectLines) {
            if (pt.x() < GetMarginWidth()) {
                SelectLinesBetween(m_ptSelAnchor, p, false);
                return;
            }
            // Out of the margin the selection goes on by characters for the rest of the drag.
            viewport()->setCursor(Qt::IBeamCursor);
            m_bSelectLines = false;
            m_bSelectWords = false;
        }
        if (m_bSelectWords) {
            SelectWordsBetween(m_ptSelAnchor, p);
        } else {
            m_ptCaret = p;
            RefreshCaret();
            SetSelectionRange(m_ptSelAnchor, m_ptCaret);
        }
    }
    if (m_bDragPending &&
        (pt - m_ptDragPressed).manhattanLength() >= QApplication::startDragDistance()) {
        m_bDragPending = false;
        DragSelection();
    }
}

void CTextView::OnLButtonUp(Qt::KeyboardModifiers, QPoint pt) {
    if (m_bMouseSelecting) {
        const TextPos p = SnappedTextPos(pt);
        if (m_bSelectLines) {
            SelectLinesBetween(m_ptSelAnchor, p, true);
        } else if (m_bSelectWords) {
            SelectWordsBetween(m_ptSelAnchor, p);
        } else {
            // The caret as the last move or timer tick left it, not the release point.
            SetSelectionRange(m_ptSelAnchor, m_ptCaret);
        }
        ScrollCaretIntoView(m_ptCaret);
        RefreshCaret();
        EndMouseSelection();
    }
    if (m_bDragPending) {
        // A click inside the selection without a drag: the caret goes there, and a following
        // Shift+click or Shift+arrow extends from there.
        m_bDragPending = false;
        const TextPos p = SnappedTextPos(pt);
        m_ptCaret = p;
        m_ptSelAnchor = p;
        ScrollCaretIntoView(p);
        RefreshCaret();
        SetSelectionRange(p, p);
    }
}

void CTextView::OnLButtonDblClk(Qt::KeyboardModifiers, QPoint pt) {
    if (m_bMouseSelecting)
        return;
    m_ptLastMouse = pt;
    m_ptCaret = SnappedTextPos(pt);
    m_ptSelAnchor = m_ptCaret;
    SelectWordsBetween(m_ptSelAnchor, m_ptCaret);
    ScrollCaretIntoView(m_ptCaret);
    StartMouseSelection(true, false);
}

void CTextView::OnRButtonDown(Qt::KeyboardModifiers, QPoint pt) {
    const TextPos p = SnappedTextPos(pt);
    if (IsInOrderedSelection(p))
        return;
    m_ptCaret = p;
    m_ptSelAnchor = p;
    SetSelectionRange(p, p);
    ScrollCaretIntoView(p);
    RefreshCaret();
}

void CTextView::OnTimer(QPoint ptMouse) {
    const QRect rc = viewport()->rect();
    const int h = GetLineHeight();
    const int nBottom = rc.top() + rc.height();
    const int nRight = rc.left() + rc.width();

    int nTop = m_nFirstVisibleLine;
    if (ptMouse.y() < rc.top())
        nTop -= ptMouse.y() < rc.top() - h ? 3 : 1;
    else if (ptMouse.y() >= nBottom)
        nTop += ptMouse.y() >= nBottom + h ? 3 : 1;
    nTop = std::clamp(nTop, 0, std::max(GetLineCount() - 1, 0));

    int nLeft = m_nFirstVisibleColumn;
    if (ptMouse.x() < rc.left())
        --nLeft;
    else if (ptMouse.x() >= nRight)
        ++nLeft;
    nLeft = std::clamp(nLeft, 0, std::max(GetMaxLineColumns() - 1, 0));

    const bool bVertical = nTop != m_nFirstVisibleLine;
    const bool bHorizontal = nLeft != m_nFirstVisibleColumn;
    if (bVertical)
        ScrollPanesToLine(nTop);
    if (bHorizontal)
        ScrollPanesToColumn(nLeft);
    if (!bVertical && !bHorizontal)
        return;
    // The timer extends by characters, whatever the selection started as.
    const TextPos p = SnappedTextPos(ptMouse);
    if (p != m_ptCaret) {
        m_ptCaret = p;
        RefreshCaret();
    }
    SetSelectionRange(m_ptSelAnchor, m_ptCaret);
}

void CTextView::DragSelection() {
    if (!m_pBuffer)
        return;
    std::unique_ptr<QMimeData> pData = MakeDragData();
    if (!pData)
        return;
    // A move within the document (the drop's insertion and the removal here) is one group.
    CTextBuffer* pBuffer = m_pBuffer;
    pBuffer->OpenUndoGroup(false);
    m_bDragSourceActive = true;
    const QPointer<CTextView> pAlive(this);
    const Qt::DropAction effect = ExecDrag(std::move(pData), GetDragSourceEffects());
    if (!pAlive)
        return;
    if (effect != Qt::IgnoreAction)
        OnDragSourceDone(effect);
    m_bDragSourceActive = false;
    if (m_pBuffer == pBuffer)
        pBuffer->CloseUndoGroup(this);
}

Qt::DropAction CTextView::ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) {
    const QPointer<QDrag> pDrag = new QDrag(this);
    pDrag->setMimeData(pData.release());
    const Qt::DropAction defaultAction =
        effects.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction;
    const Qt::DropAction effect = pDrag->exec(effects, defaultAction);
    if (pDrag)
        pDrag->deleteLater();
    return effect;
}

void CTextView::OnContextMenu(QPoint ptScreen) {
    const std::span<const MenuItem> menuBar = GetContextMenu();
    if (menuBar.empty())
        return;
    QMenu menu(this);
    for (const MenuItem& item : menuBar.front().items) {
        if (!item.pszText) {
            menu.addSeparator();
            continue;
        }
        QAction* pAction = menu.addAction(QString::fromUtf8(item.pszText));
        pAction->setData(item.nId);
        CCmdUI cmdUI(item.nId);
        if (!RouteUpdateCmdUI(item.nId, cmdUI))
            continue;
        pAction->setEnabled(cmdUI.IsEnabled());
        if (cmdUI.WasCheckSet()) {
            pAction->setCheckable(true);
            pAction->setChecked(cmdUI.GetCheck() != 0);
        }
        if (cmdUI.WasTextSet())
            pAction->setText(QString::fromStdString(cmdUI.GetText()));
    }
    if (const unsigned nId = TrackContextMenu(menu, ptScreen))
        RouteCommand(nId);
}

unsigned CTextView::TrackContextMenu(QMenu& menu, QPoint ptScreen) {
    const QAction* pChosen = menu.exec(ptScreen);
    return pChosen ? pChosen->data().toUInt() : 0;
}

void CTextView::mousePressEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    if (pEvent->button() == Qt::LeftButton)
        OnLButtonDown(pEvent->modifiers(), pt);
    else if (pEvent->button() == Qt::RightButton)
        OnRButtonDown(pEvent->modifiers(), pt);
    // Accepted, so that the click does not reach the window behind the view.
    pEvent->accept();
}

void CTextView::mouseMoveEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    // A release that never arrived ends a pending drag.
    if (m_bDragPending && !(pEvent->buttons() & Qt::LeftButton))
        m_bDragPending = false;
    if (!m_bMouseSelecting)
        OnSetCursor(pt);
    OnMouseMove(pEvent->modifiers(), pt);
    pEvent->accept();
}

void CTextView::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::LeftButton)
        OnLButtonUp(pEvent->modifiers(), pEvent->position().toPoint());
    pEvent->accept();
}

void CTextView::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::LeftButton)
        OnLButtonDblClk(pEvent->modifiers(), pEvent->position().toPoint());
    pEvent->accept();
}

void CTextView::contextMenuEvent(QContextMenuEvent* pEvent) {
    // From the keyboard the menu opens below the caret.
    QPoint ptScreen = pEvent->globalPos();
    if (pEvent->reason() == QContextMenuEvent::Keyboard)
        ptScreen = viewport()->mapToGlobal(TextPosToClient(m_ptCaret) + QPoint(0, GetLineHeight()));
    OnContextMenu(ptScreen);
    pEvent->accept();
}
