// The undo history: recording edits in groups, undoing and redoing whole groups, labels.
#include "buffer/TextBuffer.h"
#include "resources/StringTable.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// String ids of the action labels, indexed by action code.
// clang-format off
constexpr unsigned kActionLabelIds[] = {
    8619, // EDITACT_UNKNOWN
    8620, // EDITACT_PASTE
    8621, // EDITACT_DELSEL
    8622, // EDITACT_CUT
    8624, // EDITACT_TYPING
    8625, // EDITACT_BACKSPACE
    8626, // EDITACT_INDENT
    8627, // EDITACT_DRAGDROP
    8628, // EDITACT_REPLACE
    8623, // EDITACT_DELETE
    8629, // EDITACT_AUTOINDENT
    8630, // EDITACT_DELETEWORD
    8631, // EDITACT_BACKSPACEWORD
};
// clang-format on

} // namespace

bool CTextBuffer::InsertTextAt(CTextBufferListener* pSource, int nLine, int nPos,
                               std::string_view text, int& nEndLine, int& nEndChar, int nAction) {
    if (!RawInsertText(pSource, nLine, nPos, text, nEndLine, nEndChar))
        return false;
    const bool bOwnGroup = !m_bGroupOpen;
    if (bOwnGroup)
        OpenUndoGroup(false);
    RecordUndoStep(true, {nPos, nLine}, {nEndChar, nEndLine}, text, nAction);
    if (bOwnGroup)
        CloseUndoGroup(pSource);
    return true;
}

bool CTextBuffer::DeleteRange(CTextBufferListener* pSource, int nStartLine, int nStartChar,
                              int nEndLine, int nEndChar, int nAction) {
    if (m_bReadOnly)
        return false;
    // The text is recorded with CR LF between lines whatever the file's style. Lines that
    // themselves hold a carriage return also get their piece lengths recorded, so that
    // putting the text back cannot break them apart.
    std::string text;
    CopyRange(nStartLine, nStartChar, nEndLine, nEndChar, text);
    std::vector<int> arrPieces;
    for (int i = nStartLine; i <= nEndLine; ++i) {
        const int nFrom = i == nStartLine ? nStartChar : 0;
        const int nTo = i == nEndLine ? nEndChar : GetLineLength(i);
        if (std::memchr(GetLineText(i) + nFrom, '\r', static_cast<size_t>(nTo - nFrom))) {
            for (int j = nStartLine; j <= nEndLine; ++j) {
                const int nPieceFrom = j == nStartLine ? nStartChar : 0;
                const int nPieceTo = j == nEndLine ? nEndChar : GetLineLength(j);
                arrPieces.push_back(nPieceTo - nPieceFrom);
            }
            break;
        }
    }

    if (!RawDeleteText(pSource, nStartLine, nStartChar, nEndLine, nEndChar))
        return false;
    const bool bOwnGroup = !m_bGroupOpen;
    if (bOwnGroup)
        OpenUndoGroup(false);
    RecordUndoStep(false, {nStartChar, nStartLine}, {nEndChar, nEndLine}, text, nAction);
    m_arrUndo.back().arrPieceLengths = std::move(arrPieces);
    if (bOwnGroup)
        CloseUndoGroup(pSource);
    return true;
}

void CTextBuffer::OpenUndoGroup(bool bMerge) {
    m_bGroupOpen = true;
    // Nothing joins a group that ends where the file was saved: undoing it would step over
    // the saved text.
    m_bStartNewGroup = !bMerge || m_nHistoryPos == 0 || m_nHistoryPos == m_nSavedHistoryPos;
}

void CTextBuffer::CloseUndoGroup(CTextBufferListener* pSource) {
    if (pSource && m_nHistoryPos > 0) {
        m_bStartNewGroup = true;
        const UndoStep& last = m_arrUndo[static_cast<size_t>(m_nHistoryPos - 1)];
        // Copied: edits made by the callback may drop the step.
        const std::string text = last.text;
        pSource->OnUndoGroupClosed(last.nAction, text);
    }
    m_bGroupOpen = false;
}

void CTextBuffer::DropOldestUndoGroup() {
    const int nSteps = static_cast<int>(m_arrUndo.size());
    int nDrop = 1;
    while (nDrop < nSteps && !m_arrUndo[static_cast<size_t>(nDrop)].IsGroupStart())
        ++nDrop;
    m_arrUndo.erase(m_arrUndo.begin(), m_arrUndo.begin() + nDrop);
    --m_nUndoGroups;

    m_nHistoryPos -= nDrop;
    // The saved state moves down with the steps; once its own steps are gone no history
    // position shows the file's text any more.
    if (m_nSavedHistoryPos >= 0)
        m_nSavedHistoryPos = m_nSavedHistoryPos >= nDrop ? m_nSavedHistoryPos - nDrop : -1;
}

void CTextBuffer::RecordUndoStep(bool bInsert, TextPos ptFrom, TextPos ptTo, std::string_view text,
                                 int nAction) {
    if (m_nHistoryPos < static_cast<int>(m_arrUndo.size())) {
        const auto itFirstUndone = m_arrUndo.begin() + m_nHistoryPos;
        m_nUndoGroups -= static_cast<int>(std::count_if(
            itFirstUndone, m_arrUndo.end(), [](const UndoStep& s) { return s.IsGroupStart(); }));
        m_arrUndo.erase(itFirstUndone, m_arrUndo.end());
        // The saved state was among the undone steps: no position can reach it now.
        if (m_nSavedHistoryPos > m_nHistoryPos)
            m_nSavedHistoryPos = -1;
    }
    // The limit counts groups, and a group goes only as a whole: a command's steps are never
    // partly forgotten, however many they are.
    const bool bGroupStart = m_bStartNewGroup || m_arrUndo.empty();
    m_bStartNewGroup = false;
    if (bGroupStart) {
        while (m_nUndoGroups >= m_nMaxUndoSteps)
            DropOldestUndoGroup();
        ++m_nUndoGroups;
    }

    UndoStep& step = m_arrUndo.emplace_back();
    step.dwKind = (bInsert ? UNDOSTEP_INSERT : 0) | (bGroupStart ? UNDOSTEP_GROUPSTART : 0);
    step.ptFrom = ptFrom;
    step.ptTo = ptTo;
    step.nAction = nAction;
    step.text.assign(text);
    m_nHistoryPos = static_cast<int>(m_arrUndo.size());
}

void CTextBuffer::InsertStepText(const UndoStep& step) {
    int nEndLine, nEndChar;
    if (step.arrPieceLengths.empty())
        RawInsertText(nullptr, step.ptFrom.y, step.ptFrom.x, step.text, nEndLine, nEndChar);
    else
        RawInsertPieces(nullptr, step.ptFrom.y, step.ptFrom.x, step.text, step.arrPieceLengths,
                        nEndLine, nEndChar);
}

bool CTextBuffer::Undo(TextPos& ptCaret) {
    if (m_bReadOnly || !CanUndo())
        return false;
    for (;;) {
        const UndoStep& step = m_arrUndo[static_cast<size_t>(--m_nHistoryPos)];
        if (step.IsInsert()) {
            RawDeleteText(nullptr, step.ptFrom.y, step.ptFrom.x, step.ptTo.y, step.ptTo.x);
            ptCaret = step.ptFrom;
        } else {
            InsertStepText(step);
            ptCaret = step.ptTo;
        }
        if (step.IsGroupStart() || m_nHistoryPos == 0)
            break;
    }
    UpdateModifiedAfterHistoryMove();
    return true;
}

bool CTextBuffer::Redo(TextPos& ptCaret) {
    if (m_bReadOnly || !CanRedo())
        return false;
    const int nSteps = static_cast<int>(m_arrUndo.size());
    do {
        const UndoStep& step = m_arrUndo[static_cast<size_t>(m_nHistoryPos)];
        if (step.IsInsert()) {
            InsertStepText(step);
            ptCaret = step.ptTo;
        } else {
            RawDeleteText(nullptr, step.ptFrom.y, step.ptFrom.x, step.ptTo.y, step.ptTo.x);
            ptCaret = step.ptFrom;
        }
        ++m_nHistoryPos;
    } while (m_nHistoryPos < nSteps &&
             !m_arrUndo[static_cast<size_t>(m_nHistoryPos)].IsGroupStart());
    UpdateModifiedAfterHistoryMove();
    return true;
}

// Undoing back to the saved state clears the modified flag; moving away from it sets it.
void CTextBuffer::UpdateModifiedAfterHistoryMove() {
    if (m_bModified && m_nSavedHistoryPos == m_nHistoryPos)
        SetModified(false);
    if (!m_bModified && m_nSavedHistoryPos != m_nHistoryPos)
        SetModified(true);
}

void CTextBuffer::GetUndoLabel(std::string& label, int nPos) const {
    if (nPos == 0)
        nPos = m_nHistoryPos;
    if (nPos <= 0 || nPos > static_cast<int>(m_arrUndo.size())) {
        label.clear();
        return;
    }
    int i = nPos - 1;
    while (i > 0 && !m_arrUndo[static_cast<size_t>(i)].IsGroupStart())
        --i;
    if (!GetActionLabel(m_arrUndo[static_cast<size_t>(i)].nAction, label))
        label.clear();
}

void CTextBuffer::GetRedoLabel(std::string& label, int nPos) const {
    if (nPos == 0)
        nPos = m_nHistoryPos;
    if (nPos < 0 || nPos >= static_cast<int>(m_arrUndo.size())) {
        label.clear();
        return;
    }
    if (!GetActionLabel(m_arrUndo[static_cast<size_t>(nPos)].nAction, label))
        label.clear();
}

bool CTextBuffer::GetActionLabel(int nAction, std::string& label) const {
    if (nAction < 0 || nAction >= static_cast<int>(std::size(kActionLabelIds)))
        return false;
    label.assign(LoadResString(kActionLabelIds[nAction]));
    return true;
}

void CTextBuffer::ResetHistory() {
    std::deque<UndoStep>().swap(m_arrUndo);
    m_nUndoGroups = 0;
    m_nHistoryPos = 0;
    m_nSavedHistoryPos = 0;
    m_bGroupOpen = false;
    m_bStartNewGroup = false;
    m_nMaxUndoSteps = kMaxUndoSteps;
}
