// CTextEditView: Tab and Shift+Tab: indenting and unindenting a block of lines, inserting a tab,
// and the caret's moves to the neighbouring tab stops.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "editview/IndentRules.h"

bool CTextEditView::IsBlockSelection() {
    TextPos ptStart, ptEnd;
    GetOrderedSelection(ptStart, ptEnd);
    return ptStart.y != ptEnd.y;
}

void CTextEditView::NormaliseBlockSelection(int& nFirstLine, int& nLastLine) {
    TextPos ptStart, ptEnd;
    GetOrderedSelection(ptStart, ptEnd);
    // Whole lines; a selection that ends at column 0 does not take in its end line.
    nFirstLine = ptStart.y;
    ptStart.x = 0;
    nLastLine = ptEnd.x == 0 ? ptEnd.y - 1 : ptEnd.y;
    if (ptEnd.x != 0) {
        if (ptEnd.y < GetLineCount() - 1)
            ptEnd = {0, ptEnd.y + 1};
        else
            ptEnd.x = GetLineLength(ptEnd.y);
    }
    SetSelAnchor(ptStart);
    SetSelectionRange(ptStart, ptEnd);
    PlaceCaret(ptEnd);
    ScrollCaretIntoView(ptEnd);
    // The widths change line by line: the scroll bar is updated once at the end.
    m_bHorzScrollFrozen = true;
}

void CTextEditView::Tab() {
    if (!CanModifyText())
        return;
    if (IsBlockSelection()) {
        m_pBuffer->OpenUndoGroup(false);
        int nFirstLine = 0, nLastLine = 0;
        NormaliseBlockSelection(nFirstLine, nLastLine);
        // The buffer moves the selection's end with the text; its start stays at column 0.
        for (int nLine = nFirstLine; nLine <= nLastLine; ++nLine) {
            int nEndLine = 0, nEndChar = 0;
            m_pBuffer->InsertTextAt(this, nLine, 0, "\t", nEndLine, nEndChar, EDITACT_INDENT);
        }
        m_bHorzScrollFrozen = false;
        UpdateHorzScrollBar(false);
        m_pBuffer->CloseUndoGroup(this);
        return;
    }
    if (m_bOvertype && m_ptCaret.x < GetLineLength(m_ptCaret.y)) {
        MoveToNextTabStop();
        return;
    }
    // A typed tab starts a group that the characters typed after it join.
    m_pBuffer->OpenUndoGroup(false);
    DeleteSelectedText();
    InsertAtCaret("\t", EDITACT_TYPING);
    m_pBuffer->CloseUndoGroup(this);
    ContinueTypingRun();
}

void CTextEditView::Untab() {
    if (!CanModifyText())
        return;
    if (!IsBlockSelection()) {
        MoveToPreviousTabStop();
        return;
    }
    m_pBuffer->OpenUndoGroup(false);
    int nFirstLine = 0, nLastLine = 0;
    NormaliseBlockSelection(nFirstLine, nLastLine);
    for (int nLine = nFirstLine; nLine <= nLastLine; ++nLine) {
        const int nCount = UnindentCount(GetLineText(nLine), GetLineLength(nLine), GetTabWidth());
        if (nCount > 0)
            m_pBuffer->DeleteRange(this, nLine, 0, nLine, nCount, EDITACT_INDENT);
    }
    m_bHorzScrollFrozen = false;
    UpdateHorzScrollBar(false);
    m_pBuffer->CloseUndoGroup(this);
}

void CTextEditView::MoveToNextTabStop() {
    const int nLine = m_ptCaret.y;
    PutCaretAt(
        {NextTabStopIndex(GetLineText(nLine), GetLineLength(nLine), m_ptCaret.x, GetTabWidth()),
         nLine});
}

void CTextEditView::MoveToPreviousTabStop() {
    if (m_ptCaret.x == 0)
        return;
    const int nLine = m_ptCaret.y;
    PutCaretAt(
        {PreviousTabStopIndex(GetLineText(nLine), GetLineLength(nLine), m_ptCaret.x, GetTabWidth()),
         nLine});
}
