// Replacing the whole text by another buffer's as one recorded edit, touching only the lines
// that differ.
#include "buffer/TextBuffer.h"

#include <string>
#include <vector>

bool CTextBuffer::ReplaceText(const CTextBuffer& source, int nAction) {
    const int nOld = GetLineCount();
    const int nNew = source.GetLineCount();
    int nHead = 0;
    while (nHead < nOld && nHead < nNew && GetLineView(nHead) == source.GetLineView(nHead))
        ++nHead;
    if (nHead == nOld && nHead == nNew)
        return false;
    int nTail = 0;
    while (nTail < nOld - nHead && nTail < nNew - nHead &&
           GetLineView(nOld - 1 - nTail) == source.GetLineView(nNew - 1 - nTail))
        ++nTail;

    // The old lines nHead to nOld - nTail give way to the new ones nHead to nNew - nTail:
    // pieces are the new lines' texts with a line break between each two.
    TextPos ptFrom, ptTo;
    std::vector<std::string_view> pieces;
    if (nTail > 0) {
        ptFrom = {0, nHead};
        ptTo = {0, nOld - nTail};
        for (int i = nHead; i < nNew - nTail; ++i)
            pieces.push_back(source.GetLineView(i));
        pieces.emplace_back();
    } else if (nHead > 0) {
        ptFrom = {GetLineLength(nHead - 1), nHead - 1};
        ptTo = {GetLineLength(nOld - 1), nOld - 1};
        pieces.emplace_back();
        for (int i = nHead; i < nNew; ++i)
            pieces.push_back(source.GetLineView(i));
    } else {
        ptTo = {GetLineLength(nOld - 1), nOld - 1};
        for (int i = 0; i < nNew; ++i)
            pieces.push_back(source.GetLineView(i));
    }
    std::string text;
    std::vector<int> arrPieceLengths;
    bool bPiecesHoldCr = false;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += pieces[i];
        arrPieceLengths.push_back(static_cast<int>(pieces[i].size()));
        bPiecesHoldCr = bPiecesHoldCr || pieces[i].find('\r') != std::string_view::npos;
    }

    // Bookmarks stay on their line numbers, which the edit may shift.
    std::vector<uint32_t> arrFlags(static_cast<size_t>(nOld));
    for (int i = 0; i < nOld; ++i)
        arrFlags[static_cast<size_t>(i)] = GetLineFlags(i);

    const bool bReadOnly = m_bReadOnly;
    m_bReadOnly = false;
    OpenUndoGroup(false);
    if (ptFrom != ptTo)
        DeleteRange(nullptr, ptFrom.y, ptFrom.x, ptTo.y, ptTo.x, nAction);
    if (!text.empty()) {
        int nEndLine = 0, nEndChar = 0;
        if (!bPiecesHoldCr) {
            InsertTextAt(nullptr, ptFrom.y, ptFrom.x, text, nEndLine, nEndChar, nAction);
        } else {
            // A carriage return inside a line would break it on the way in: the measured
            // pieces keep it, now and on Redo.
            RawInsertPieces(nullptr, ptFrom.y, ptFrom.x, text, arrPieceLengths, nEndLine, nEndChar);
            RecordUndoStep(true, ptFrom, {nEndChar, nEndLine}, text, nAction);
            m_arrUndo.back().arrPieceLengths = std::move(arrPieceLengths);
        }
    }
    CloseUndoGroup(nullptr);
    m_bReadOnly = bReadOnly;

    for (int i = 0; i < GetLineCount(); ++i) {
        const uint32_t dwFlags = i < nOld ? arrFlags[static_cast<size_t>(i)] : 0;
        if (Line(i).dwFlags == dwFlags)
            continue;
        Line(i).dwFlags = dwFlags;
        NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_LINEFLAGS, i);
    }
    return true;
}
