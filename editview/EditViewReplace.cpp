// CTextEditView: the Replace command with its dialog and remembered settings, the selection
// scope that follows every change of the buffer while the dialog runs, and the single
// replacement the dialog asks for.
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "editview/ReplaceTextDlg.h"

#include <QSettings>

namespace {

// The profile group of the Replace dialog and its values.
// clang-format off
constexpr char PROFILE_REPLACE_SECTION[]     = "TextEdit/Replace";
constexpr char PROFILE_REPLACE_MATCHCASE[]   = "MatchCase";
constexpr char PROFILE_REPLACE_WHOLEWORD[]   = "WholeWord";
constexpr char PROFILE_REPLACE_FINDWHAT[]    = "FindWhat";
constexpr char PROFILE_REPLACE_REPLACEWITH[] = "ReplaceWith";
// clang-format on

} // namespace

void CTextEditView::OnEditReplace(unsigned) {
    if (!CanModifyText())
        return;
    CReplaceTextDlg dlg(this);
    {
        QSettings settings;
        settings.beginGroup(QLatin1String(PROFILE_REPLACE_SECTION));
        dlg.m_bMatchCase = settings.value(QLatin1String(PROFILE_REPLACE_MATCHCASE), 0).toInt() != 0;
        dlg.m_bWholeWord = settings.value(QLatin1String(PROFILE_REPLACE_WHOLEWORD), 0).toInt() != 0;
        dlg.m_sFindWhat = settings.value(QLatin1String(PROFILE_REPLACE_FINDWHAT)).toString();
        dlg.m_sReplaceWith = settings.value(QLatin1String(PROFILE_REPLACE_REPLACEWITH)).toString();
    }
    if (m_ptSelFrom != m_ptSelTo) {
        GetOrderedSelection(m_ptScopeStart, m_ptScopeEnd);
        dlg.m_bAllowSelectionScope = true;
        dlg.m_ptStartPos = m_ptScopeStart;
        dlg.m_ptRangeBegin = m_ptScopeStart;
        dlg.m_ptRangeEnd = m_ptScopeEnd;
        dlg.m_nScope = 0;
        m_bInReplace = true;
    } else {
        dlg.m_bAllowSelectionScope = false;
        dlg.m_ptStartPos = m_ptCaret;
        dlg.m_nScope = 1;
    }

    ShowSelectionInactive(true);
    dlg.DoModal();
    ShowSelectionInactive(false);

    if (m_bInReplace) {
        // The scope is the selection again, with the caret at its end rather than at the last
        // match, so that extending it goes on from there.
        SetSelAnchor(m_ptScopeStart);
        SetSelectionRange(m_ptScopeStart, m_ptScopeEnd);
        PlaceCaret(m_ptScopeEnd);
        m_bInReplace = false;
    }

    // However the dialog closed, its settings are remembered for the next one.
    QSettings settings;
    settings.beginGroup(QLatin1String(PROFILE_REPLACE_SECTION));
    settings.setValue(QLatin1String(PROFILE_REPLACE_MATCHCASE), dlg.m_bMatchCase ? 1 : 0);
    settings.setValue(QLatin1String(PROFILE_REPLACE_WHOLEWORD), dlg.m_bWholeWord ? 1 : 0);
    settings.setValue(QLatin1String(PROFILE_REPLACE_FINDWHAT), dlg.m_sFindWhat);
    settings.setValue(QLatin1String(PROFILE_REPLACE_REPLACEWITH), dlg.m_sReplaceWith);
}

bool CTextEditView::ReplaceSelectedText(std::string_view text) {
    if (m_ptSelFrom == m_ptSelTo || !CanModifyText())
        return false;
    // Two undo groups: the first Undo takes the new text out, the second puts the old back.
    // Within a Replace All both steps belong to its one group.
    DeleteSelectedText(m_bInReplaceAll ? EDITACT_REPLACE : EDITACT_DELSEL);
    const TextPos ptInsert = m_ptCaret;
    TextPos ptEnd = ptInsert;
    // An empty text leaves an empty selection and no empty step to undo.
    if (!text.empty()) {
        int nEndLine = 0, nEndChar = 0;
        if (m_pBuffer->InsertTextAt(this, ptInsert.y, ptInsert.x, text, nEndLine, nEndChar,
                                    EDITACT_REPLACE))
            ptEnd = {nEndChar, nEndLine};
    }
    SetSelAnchor(ptEnd);
    SetSelectionRange(ptInsert, ptEnd);
    PlaceCaret(ptEnd);
    ScrollCaretIntoView(ptEnd);
    return true;
}

void CTextEditView::BeginReplaceAll() {
    if (!m_pBuffer)
        return;
    m_pBuffer->OpenUndoGroup(false);
    m_bInReplaceAll = true;
}

void CTextEditView::EndReplaceAll() {
    if (!m_bInReplaceAll)
        return;
    m_bInReplaceAll = false;
    m_pBuffer->CloseUndoGroup(this);
}

void CTextEditView::OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                                   uint32_t dwHints, int nLine) {
    CTextView::OnBufferUpdate(pSource, pExtent, dwHints, nLine);
    // Any change ends the typing run; typing renews it once its own change is made.
    EndTypingRun();
    if (!m_bInReplace)
        return;
    // Every change counts, made by this view or another of the same document.
    if (pExtent) {
        pExtent->FixPosition(m_ptScopeStart);
        pExtent->FixPosition(m_ptScopeEnd);
    } else if (dwHints & HINT_RESET) {
        // The text the scope lay in is gone.
        m_ptScopeStart = {};
        m_ptScopeEnd = {};
    }
}
