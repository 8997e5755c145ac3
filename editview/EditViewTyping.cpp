// CTextEditView: typed characters with overtype, Enter and its automatic indentation, Delete
// and Backspace.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "editview/IndentRules.h"
#include "view/TextTransfer.h"
#include "view/UserPrompts.h"

#include <QGuiApplication>

namespace {

// A character typed while a mouse button is held is ignored, as a selection may be moving.
bool IsMouseButtonDown() {
    return QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton);
}

} // namespace

void CTextEditView::OnChar(unsigned nChar) {
    if (IsMouseButtonDown())
        return;
    if (nChar == '\r') {
        InsertLineBreak();
        return;
    }
    // Tab and Backspace arrive as commands through the key table; other control codes type
    // nothing.
    if (nChar < 32 || nChar > 255)
        return;
    const char ch = static_cast<char>(nChar);
    TypeCharacter(std::string_view(&ch, 1));
}

void CTextEditView::OnTypedText(const QString& text) {
    if (IsMouseButtonDown())
        return;
    // A composed text goes in whole or not at all, as a pasted one does.
    const ConvertedText typed = TextToBytes(text);
    if (!typed.IsComplete()) {
        ShowStatusPrompt(this, MissingCharacterMessage(QStringLiteral("type"), *typed.cpMissing));
        return;
    }
    for (const char ch : typed.bytes)
        OnChar(static_cast<unsigned char>(ch));
}

void CTextEditView::ContinueTypingRun() {
    m_ptTypingEnd = m_ptCaret;
    m_nTypingHistoryPos = m_pBuffer->GetHistoryPos();
}

bool CTextEditView::IsTypingRunAtCaret() const {
    return m_nTypingHistoryPos >= 0 && m_nTypingHistoryPos == m_pBuffer->GetHistoryPos() &&
           m_ptCaret == m_ptTypingEnd && m_ptSelFrom == m_ptSelTo;
}

void CTextEditView::TypeCharacter(std::string_view bytes) {
    if (!CanModifyText())
        return;
    // A word joins the typing right before it; a space starts a new group, so a word and the
    // space before it undo together.
    m_pBuffer->OpenUndoGroup(bytes != " " && IsTypingRunAtCaret());
    // Either deletion leaves the caret where the character goes.
    if (m_ptSelFrom != m_ptSelTo)
        DeleteSelectedText();
    else if (m_bOvertype && m_ptCaret.x < GetLineLength(m_ptCaret.y))
        m_pBuffer->DeleteRange(this, m_ptCaret.y, m_ptCaret.x, m_ptCaret.y, m_ptCaret.x + 1,
                               EDITACT_TYPING);
    InsertAtCaret(bytes, EDITACT_TYPING);
    m_pBuffer->CloseUndoGroup(this);
    ContinueTypingRun();
}

void CTextEditView::InsertLineBreak() {
    // In overtype Enter only moves to the next line, except on the last one.
    if (m_bOvertype && m_ptCaret.y < GetLineCount() - 1) {
        EndTypingRun();
        PutCaretAt({0, m_ptCaret.y + 1});
        return;
    }
    if (!m_pBuffer)
        return;
    m_pBuffer->OpenUndoGroup(false);
    bool bInserted = false;
    if (CanModifyText()) {
        DeleteSelectedText();
        bInserted = InsertAtCaret("\r\n", EDITACT_TYPING);
    }
    m_pBuffer->CloseUndoGroup(this);
    if (!bInserted)
        return;
    IndentNewLine();
    ContinueTypingRun();
}

void CTextEditView::IndentNewLine() {
    if (!m_bKeepIndent || m_bOvertype || !CanModifyText() || m_ptCaret.y == 0)
        return;
    const int nAbove = m_ptCaret.y - 1;
    const int nLength = IndentationLength(GetLineText(nAbove), GetLineLength(nAbove));
    if (nLength == 0)
        return;
    // Copied: the line's characters may move when the text changes.
    const std::string strIndent(GetLineText(nAbove), static_cast<size_t>(nLength));
    // Outside any group this step makes a group of its own: the first Undo removes the
    // indentation, the second the line break.
    int nEndLine = 0, nEndChar = 0;
    if (m_pBuffer->InsertTextAt(nullptr, m_ptCaret.y, m_ptCaret.x, strIndent, nEndLine, nEndChar,
                                EDITACT_AUTOINDENT))
        PutCaretAt({nEndChar, nEndLine});
}

bool CTextEditView::InsertAtCaret(std::string_view text, int nAction) {
    int nEndLine = 0, nEndChar = 0;
    if (!m_pBuffer->InsertTextAt(this, m_ptCaret.y, m_ptCaret.x, text, nEndLine, nEndChar, nAction))
        return false;
    PutCaretAt({nEndChar, nEndLine});
    return true;
}

bool CTextEditView::DeleteSelectedText(int nAction) {
    if (m_ptSelFrom == m_ptSelTo || !m_pBuffer)
        return false;
    TextPos ptLow, ptHigh;
    GetOrderedSelection(ptLow, ptHigh);
    PutCaretAt(ptLow);
    m_pBuffer->DeleteRange(this, ptLow.y, ptLow.x, ptHigh.y, ptHigh.x, nAction);
    return true;
}

void CTextEditView::Delete() {
    if (!CanModifyText())
        return;
    TextPos ptStart, ptEnd;
    GetOrderedSelection(ptStart, ptEnd);
    if (ptStart == ptEnd) {
        ptStart = m_ptCaret;
        if (ptStart.x < GetLineLength(ptStart.y))
            ptEnd = {ptStart.x + 1, ptStart.y};
        else if (ptStart.y < GetLineCount() - 1)
            ptEnd = {0, ptStart.y + 1};
        else
            return;
    }
    PutCaretAt(ptStart);
    m_pBuffer->DeleteRange(this, ptStart.y, ptStart.x, ptEnd.y, ptEnd.x, EDITACT_DELETE);
}

void CTextEditView::Backspace() {
    if (m_ptSelFrom != m_ptSelTo) {
        Delete();
        return;
    }
    if (!CanModifyText())
        return;
    const TextPos ptEnd = m_ptCaret;
    TextPos ptStart = ptEnd;
    if (ptStart.x > 0)
        --ptStart.x;
    else if (ptStart.y > 0)
        ptStart = {GetLineLength(ptStart.y - 1), ptStart.y - 1};
    PutCaretAt(ptStart);
    if (ptStart != ptEnd)
        m_pBuffer->DeleteRange(this, ptStart.y, ptStart.x, ptEnd.y, ptEnd.x, EDITACT_BACKSPACE);
}
