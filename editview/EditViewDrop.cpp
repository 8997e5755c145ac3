// CTextEditView: the drop target: the drop caret that follows the dragged text, scrolling near
// the edges while dragging, and inserting the dropped text.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "view/TextTransfer.h"
#include "view/UserPrompts.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace {

constexpr int DRAG_SCROLL_MARGIN = 5; // pixels from an edge where dragging scrolls

bool OffersText(const QMimeData* pData) {
    return pData && pData->hasText();
}

// Copy with Ctrl held, else move; the other one when the source does not allow it.
Qt::DropAction DropEffect(Qt::KeyboardModifiers keys, Qt::DropActions possible) {
    const Qt::DropAction wanted = keys & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
    const Qt::DropAction other = wanted == Qt::CopyAction ? Qt::MoveAction : Qt::CopyAction;
    if (possible & wanted)
        return wanted;
    return possible & other ? other : Qt::IgnoreAction;
}

} // namespace

Qt::DropAction CTextEditView::OnDragEnter(const QMimeData* pData, QPoint pt,
                                          Qt::KeyboardModifiers keys, Qt::DropActions possible) {
    // Editability is not asked yet: the first drag-over refuses a read-only view.
    if (!OffersText(pData)) {
        HideDropCaret();
        return Qt::IgnoreAction;
    }
    ShowDropCaret(pt);
    return DropEffect(keys, possible);
}

Qt::DropAction CTextEditView::OnDragOver(const QMimeData* pData, QPoint pt,
                                         Qt::KeyboardModifiers keys, Qt::DropActions possible) {
    const Qt::DropAction effect = DropEffect(keys, possible);
    if (!CanModifyText() || !OffersText(pData) || effect == Qt::IgnoreAction) {
        HideDropCaret();
        return Qt::IgnoreAction;
    }
    ShowDropCaret(pt);
    return effect;
}

Qt::DropAction CTextEditView::OnDragScroll(QPoint pt, Qt::KeyboardModifiers keys,
                                           Qt::DropActions possible) {
    ScrollForDrag(pt);
    return DropEffect(keys, possible);
}

void CTextEditView::OnDragLeave() {
    HideDropCaret();
}

bool CTextEditView::OnDrop(const QMimeData* pData, QPoint pt) {
    HideDropCaret();
    if (!CanModifyText() || !OffersText(pData))
        return false;
    return InsertDroppedText(pData, pt);
}

void CTextEditView::SetDropCaretRect(const QRect& rc) {
    if (rc == m_rcDropCaret)
        return;
    InvalidateRect(m_rcDropCaret);
    m_rcDropCaret = rc;
    InvalidateRect(m_rcDropCaret);
}

void CTextEditView::ShowDropCaret(QPoint pt) {
    if (!m_bDropCaretShown) {
        SuppressCaret();
        m_ptSavedCursor = m_ptCaret;
        m_bDropCaretShown = true;
    }
    m_ptDropCaret = ClientToTextPos(pt);
    // Left of the visible columns it would stand in the margin: hidden.
    if (CharToColumn(m_ptDropCaret.y, m_ptDropCaret.x) < m_nFirstVisibleColumn)
        SetDropCaretRect(QRect());
    else
        SetDropCaretRect(QRect(TextPosToClient(m_ptDropCaret), QSize(2, GetLineHeight())));
}

void CTextEditView::HideDropCaret() {
    if (!m_bDropCaretShown)
        return;
    SetDropCaretRect(QRect());
    PlaceCaret(m_ptSavedCursor);
    EnableCaret();
    m_bDropCaretShown = false;
}

void CTextEditView::ScrollForDrag(QPoint pt) {
    const QRect rc = viewport()->rect();
    const int nBottom = rc.top() + rc.height();
    const int nRight = rc.left() + rc.width();
    const int nTop = m_nFirstVisibleLine;
    const int nLeft = m_nFirstVisibleColumn;
    // One line or one column per movement event.
    if (pt.y() < rc.top() + DRAG_SCROLL_MARGIN) {
        HideDropCaret();
        ScrollLineUp();
    } else if (pt.y() >= nBottom - DRAG_SCROLL_MARGIN) {
        HideDropCaret();
        ScrollLineDown();
    } else if (pt.x() < rc.left() + GetMarginWidth() + DRAG_SCROLL_MARGIN) {
        HideDropCaret();
        ScrollColumnLeft();
    } else if (pt.x() >= nRight - DRAG_SCROLL_MARGIN) {
        HideDropCaret();
        ScrollColumnRight();
    } else {
        return;
    }
    if (nTop != m_nFirstVisibleLine || nLeft != m_nFirstVisibleColumn)
        viewport()->repaint();
    ShowDropCaret(pt);
}

bool CTextEditView::InsertDroppedText(const QMimeData* pData, QPoint pt) {
    if (!OffersText(pData) || !m_pBuffer)
        return false;
    const TextPos pos = ClientToTextPos(pt);
    // Dropped onto the text being dragged: the caret goes there and nothing moves.
    if (m_bDragSourceActive && IsPointInSelection(pos)) {
        PutCaretAt(pos);
        return false;
    }
    // A text the document cannot hold is refused whole; a failed drop also leaves the source.
    const ConvertedText text = IncomingTextToBytes(pData->text());
    if (!text.IsComplete()) {
        AfxMessageBox(MissingCharacterMessage(QStringLiteral("drop"), *text.cpMissing));
        return false;
    }
    if (text.bytes.empty())
        return false;
    int nEndLine = 0, nEndChar = 0;
    if (!m_pBuffer->InsertTextAt(this, pos.y, pos.x, text.bytes, nEndLine, nEndChar,
                                 EDITACT_DRAGDROP))
        return false;
    const TextPos ptEnd{nEndChar, nEndLine};
    SetSelAnchor(pos);
    SetSelectionRange(pos, ptEnd);
    PlaceCaret(ptEnd);
    ScrollCaretIntoView(ptEnd);
    return true;
}

void CTextEditView::dragEnterEvent(QDragEnterEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    OnDragScroll(pt, pEvent->modifiers(), pEvent->possibleActions());
    const Qt::DropAction effect =
        OnDragEnter(pEvent->mimeData(), pt, pEvent->modifiers(), pEvent->possibleActions());
    if (effect == Qt::IgnoreAction) {
        pEvent->ignore();
        return;
    }
    pEvent->setDropAction(effect);
    pEvent->accept();
}

void CTextEditView::dragMoveEvent(QDragMoveEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    OnDragScroll(pt, pEvent->modifiers(), pEvent->possibleActions());
    const Qt::DropAction effect =
        OnDragOver(pEvent->mimeData(), pt, pEvent->modifiers(), pEvent->possibleActions());
    if (effect == Qt::IgnoreAction) {
        pEvent->ignore();
        return;
    }
    pEvent->setDropAction(effect);
    pEvent->accept();
}

void CTextEditView::dragLeaveEvent(QDragLeaveEvent* pEvent) {
    OnDragLeave();
    pEvent->accept();
}

void CTextEditView::dropEvent(QDropEvent* pEvent) {
    // Whether the text moves is the source's to decide, from the effect answered here.
    const Qt::DropAction effect = DropEffect(pEvent->modifiers(), pEvent->possibleActions());
    if (effect == Qt::IgnoreAction || !OnDrop(pEvent->mimeData(), pEvent->position().toPoint())) {
        pEvent->ignore();
        return;
    }
    pEvent->setDropAction(effect);
    pEvent->accept();
}
