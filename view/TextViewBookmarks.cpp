// CTextView: numbered and anonymous bookmarks. They are flags of the buffer's lines, so every
// view of a document shows them; each view acts on its own caret line.
#include "buffer/TextBuffer.h"
#include "resources/CommandIds.h"
#include "view/TextView.h"

void CTextView::ToggleNumberedBookmark(int n) {
    if (!m_pBuffer)
        return;
    const uint32_t dwFlag = LineFlagMark(n);
    const bool bSet = (m_pBuffer->GetLineFlags(m_ptCaret.y) & dwFlag) == 0;
    m_pBuffer->ChangeLineFlag(m_ptCaret.y, dwFlag, bSet, true);
}

void CTextView::GoToNumberedBookmark(int n) {
    if (!m_pBuffer)
        return;
    const int nLine = m_pBuffer->FindLineWithSingleFlag(LineFlagMark(n));
    if (nLine >= 0)
        PutCaretAt({0, nLine});
}

void CTextView::ClearNumberedBookmarks() {
    if (!m_pBuffer)
        return;
    // Line -1: the buffer clears the flag on whichever line has it, if any.
    for (int n = 0; n <= 9; ++n)
        m_pBuffer->ChangeLineFlag(-1, LineFlagMark(n), false);
}

void CTextView::ToggleAnonBookmark() {
    if (!m_pBuffer)
        return;
    const bool bSet = (m_pBuffer->GetLineFlags(m_ptCaret.y) & LINEFLAG_BOOKMARK) == 0;
    m_pBuffer->ChangeLineFlag(m_ptCaret.y, LINEFLAG_BOOKMARK, bSet, false);
    m_bHasAnonBookmarks = m_pBuffer->FindLineWithSingleFlag(LINEFLAG_BOOKMARK) >= 0;
}

void CTextView::GoToNextAnonBookmark() {
    if (!m_pBuffer)
        return;
    const int nLine = m_pBuffer->FindNextMarkedLine(m_ptCaret.y);
    if (nLine >= 0)
        PutCaretAt({0, nLine});
}

void CTextView::GoToPrevAnonBookmark() {
    if (!m_pBuffer)
        return;
    const int nLine = m_pBuffer->FindPrevMarkedLine(m_ptCaret.y);
    if (nLine >= 0)
        PutCaretAt({0, nLine});
}

void CTextView::ClearAnonBookmarks() {
    if (!m_pBuffer)
        return;
    const int nLines = m_pBuffer->GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        if (m_pBuffer->GetLineFlags(i) & LINEFLAG_BOOKMARK)
            m_pBuffer->ChangeLineFlag(i, LINEFLAG_BOOKMARK, false, true);
    }
    m_bHasAnonBookmarks = false;
}

void CTextView::OnToggleBookmark(unsigned nId) {
    ToggleNumberedBookmark(static_cast<int>(nId - ID_TOGGLE_BOOKMARK_FIRST));
}

void CTextView::OnGoToBookmark(unsigned nId) {
    GoToNumberedBookmark(static_cast<int>(nId - ID_GOTO_BOOKMARK_FIRST));
}

void CTextView::OnClearBookmarks(unsigned) {
    ClearNumberedBookmarks();
}

void CTextView::OnToggleAnonBookmark(unsigned) {
    ToggleAnonBookmark();
}

void CTextView::OnNextAnonBookmark(unsigned) {
    GoToNextAnonBookmark();
}

void CTextView::OnPrevAnonBookmark(unsigned) {
    GoToPrevAnonBookmark();
}

void CTextView::OnClearAnonBookmarks(unsigned) {
    ClearAnonBookmarks();
}

void CTextView::OnUpdateAnonBookmarks(CCmdUI& cmdUI) {
    cmdUI.Enable(m_bHasAnonBookmarks);
}
