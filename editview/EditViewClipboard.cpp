// CTextEditView: Cut and Paste, and the edit view's side of a drag it started: it allows a move,
// and removes the dragged text once it has moved.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "view/TextTransfer.h"
#include "view/UserPrompts.h"

void CTextEditView::Cut() {
    if (!CanModifyText() || m_ptSelFrom == m_ptSelTo)
        return;
    TextPos ptStart, ptEnd;
    GetOrderedSelection(ptStart, ptEnd);
    std::string text;
    GetTransferText(ptStart, ptEnd, text);
    PutTextOnClipboard(text);
    PutCaretAt(ptStart);
    m_pBuffer->DeleteRange(this, ptStart.y, ptStart.x, ptEnd.y, ptEnd.x, EDITACT_CUT);
}

void CTextEditView::Paste() {
    if (!CanModifyText())
        return;
    // A text the document cannot hold is refused whole, before the selection goes.
    const std::optional<ConvertedText> text = GetTextFromClipboard();
    if (text && !text->IsComplete()) {
        AfxMessageBox(MissingCharacterMessage(QStringLiteral("paste"), *text->cpMissing));
        return;
    }
    // The selection's deletion and the insertion are one group: one Undo restores the selection.
    m_pBuffer->OpenUndoGroup(false);
    DeleteSelectedText();
    if (text && !text->bytes.empty())
        InsertAtCaret(text->bytes, EDITACT_PASTE);
    m_pBuffer->CloseUndoGroup(this);
}

Qt::DropActions CTextEditView::GetDragSourceEffects() const {
    // Text that cannot be removed here can only be copied away.
    return CanModifyText() ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
}

void CTextEditView::OnDragSourceDone(Qt::DropAction effect) {
    // The dragged range has moved with a drop made before it in the same document.
    if (m_bDragSourceActive && effect == Qt::MoveAction && m_pBuffer)
        m_pBuffer->DeleteRange(this, m_ptDraggedFrom.y, m_ptDraggedFrom.x, m_ptDraggedTo.y,
                               m_ptDraggedTo.x, EDITACT_DRAGDROP);
}

void CTextEditView::OnEditCut(unsigned) {
    Cut();
}

void CTextEditView::OnUpdateEditCut(CCmdUI& cmdUI) {
    cmdUI.Enable(m_ptSelFrom != m_ptSelTo);
}

void CTextEditView::OnEditPaste(unsigned) {
    Paste();
}

void CTextEditView::OnUpdateEditPaste(CCmdUI& cmdUI) {
    cmdUI.Enable(IsClipboardTextAvailable());
}
