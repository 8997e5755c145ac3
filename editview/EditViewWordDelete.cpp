// CTextEditView: Ctrl+Backspace and Ctrl+Delete, which delete from the caret to where
// Ctrl+Left and Ctrl+Right would move it, as one undo step each.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "view/MovementRules.h"

// The steps of MoveByWordLeft and MoveByWordRight, taken without moving the caret or scrolling;
// the tests hold deletion and movement to the same boundaries.
TextPos CTextEditView::WordStepLeftFrom(TextPos pos) const {
    if (pos.x == 0) {
        if (pos.y == 0)
            return pos;
        pos = {GetLineLength(pos.y - 1), pos.y - 1};
    }
    pos.x = WordLeftIndex(GetLineText(pos.y), GetLineLength(pos.y), pos.x);
    return pos;
}

TextPos CTextEditView::WordStepRightFrom(TextPos pos) const {
    const int nLast = GetLineCount() - 1;
    if (pos.x == GetLineLength(pos.y)) {
        if (pos.y == nLast)
            return pos;
        pos = {0, pos.y + 1};
        // An empty line is passed as a plain Right passes it.
        if (GetLineLength(pos.y) == 0)
            return pos.y < nLast ? TextPos{0, pos.y + 1} : pos;
    }
    pos.x = WordRightIndex(GetLineText(pos.y), GetLineLength(pos.y), pos.x);
    return pos;
}

void CTextEditView::DeleteWord() {
    if (m_ptSelFrom != m_ptSelTo) {
        Delete();
        return;
    }
    if (CanModifyText())
        DeleteBetween(m_ptCaret, WordStepRightFrom(m_ptCaret), EDITACT_DELETEWORD);
}

void CTextEditView::BackspaceWord() {
    if (m_ptSelFrom != m_ptSelTo) {
        Backspace();
        return;
    }
    if (CanModifyText())
        DeleteBetween(WordStepLeftFrom(m_ptCaret), m_ptCaret, EDITACT_BACKSPACEWORD);
}

void CTextEditView::DeleteBetween(TextPos ptStart, TextPos ptEnd, int nAction) {
    if (ptStart == ptEnd)
        return;
    PutCaretAt(ptStart);
    m_pBuffer->DeleteRange(this, ptStart.y, ptStart.x, ptEnd.y, ptEnd.x, nAction);
}

void CTextEditView::OnEditDeleteWord(unsigned) {
    DeleteWord();
}

void CTextEditView::OnEditBackspaceWord(unsigned) {
    BackspaceWord();
}
