// CTextBuffer: the lines of one document, the only place where text changes, with its
// undo history and its loading and saving.
#pragma once

#include "buffer/BigAlloc.h"
#include "buffer/ChangeExtent.h"
#include "buffer/FileOps.h"
#include "buffer/GapArray.h"
#include "buffer/LineSplitter.h"
#include "buffer/TextBufferListener.h"
#include "buffer/TextLine.h"
#include "buffer/TextPos.h"
#include "buffer/UndoStep.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class CTextBuffer {
public:
    CTextBuffer();
    CTextBuffer(const CTextBuffer&) = delete;
    CTextBuffer& operator=(const CTextBuffer&) = delete;
    virtual ~CTextBuffer();

    // Reads. Line indices are not validated: callers pass valid lines.
    int GetLineCount() const { return m_arrLines.size(); }
    int GetLineLength(int nLine) const { return m_arrLines[nLine].nLength; }
    // The line's characters, not terminated; valid until the next change.
    const char* GetLineText(int nLine) const { return m_arrLines[nLine].pChars; }
    std::string_view GetLineView(int nLine) const {
        const TextLine& line = m_arrLines[nLine];
        return {line.pChars, static_cast<size_t>(line.nLength)};
    }
    uint32_t GetLineFlags(int nLine) const { return m_arrLines[nLine].dwFlags; }
    bool IsInitialized() const { return m_bInitialized; }
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool bReadOnly) { m_bReadOnly = bReadOnly; }
    bool IsModified() const { return m_bModified; }
    int GetEolStyle() const { return m_nEolStyle; }
    bool GetMakeBackup() const { return m_bMakeBackup; }
    void SetMakeBackup(bool bMakeBackup) { m_bMakeBackup = bMakeBackup; }

    // Fills `text` with the characters from (nStartChar, nStartLine) up to, not including,
    // (nEndChar, nEndLine), lines joined by `eol`. NUL bytes are kept.
    void CopyRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar, std::string& text,
                   std::string_view eol = "\r\n") const;

    // Views.
    void AttachView(CTextBufferListener* pView);
    void DetachView(CTextBufferListener* pView);
    void NotifyViews(CTextBufferListener* pSource, const CChangeExtent* pExtent, uint32_t dwHints,
                     int nLine);

    // Editing primitives, without undo recording. A carriage return, or CR LF, in the
    // inserted text breaks the line; a lone line feed is an ordinary character. Both refuse
    // (and return false) while the buffer is read-only.
    bool RawInsertText(CTextBufferListener* pSource, int nLine, int nPos, std::string_view text,
                       int& nEndLine, int& nEndChar);
    bool RawDeleteText(CTextBufferListener* pSource, int nStartLine, int nStartChar, int nEndLine,
                       int nEndChar);

    // Line creation. AddLine inserts before nIndex, or appends when nIndex is -1.
    void AddLine(std::string_view text, int nIndex = -1);
    void AppendToLine(int nLine, std::string_view text);

    // Line flags and bookmarks.
    void ChangeLineFlag(int nLine, uint32_t dwFlag, bool bSet, bool bUnique = true);
    int FindFlaggedLine(uint32_t dwMask) const;
    int FindLineWithSingleFlag(uint32_t dwFlag) const;
    int FindNextMarkedLine(int nCurrentLine) const;
    int FindPrevMarkedLine(int nCurrentLine) const;

    virtual void SetModified(bool bModified);

    // Recording edits (the undo history).
    bool InsertTextAt(CTextBufferListener* pSource, int nLine, int nPos, std::string_view text,
                      int& nEndLine, int& nEndChar, int nAction);
    bool DeleteRange(CTextBufferListener* pSource, int nStartLine, int nStartChar, int nEndLine,
                     int nEndChar, int nAction);
    // Makes the text that of source as one undo group of nAction: only the lines between the
    // first and the last that differ are replaced, lines that hold carriage returns keep them,
    // and bookmarks stay on their line numbers. Works on a read-only buffer too, and keeps the
    // buffer's line-end style. False when the texts were already equal (nothing is recorded).
    bool ReplaceText(const CTextBuffer& source, int nAction);
    void OpenUndoGroup(bool bMerge = false);
    void CloseUndoGroup(CTextBufferListener* pSource);
    void RecordUndoStep(bool bInsert, TextPos ptFrom, TextPos ptTo, std::string_view text,
                        int nAction);
    bool CanUndo() const { return m_nHistoryPos > 0; }
    bool CanRedo() const { return m_nHistoryPos < static_cast<int>(m_arrUndo.size()); }
    bool Undo(TextPos& ptCaret);
    bool Redo(TextPos& ptCaret);
    void GetUndoLabel(std::string& label, int nPos = 0) const;
    void GetRedoLabel(std::string& label, int nPos = 0) const;
    virtual bool GetActionLabel(int nAction, std::string& label) const;

    // Life cycle. InitEmpty and LoadFile replace whatever the buffer held.
    bool InitEmpty(int nEolStyle);
    FileResult LoadFile(const std::string& strPath, int nEolStyle = EOL_AUTO);
    FileResult SaveFile(const std::string& strPath, int nEolStyle = EOL_AUTO,
                        bool bClearModified = true);
    // Writes the text as a Vey file: each line that is not empty becomes "atom$", the line
    // without its leading and trailing blanks (tabs stay), and CR LF, except comments (";")
    // and lines that begin with "<", ">" or "]". Written like SaveFile, so a failure leaves
    // an existing file as it was; the buffer does not change.
    FileResult ExportVey(const std::string& strPath) const;
    void Clear();

    // The seam through which saving reaches the file system; null restores the system's.
    void SetFileOps(CFileOps* pOps) { m_pFileOps = pOps ? pOps : &CFileOps::System(); }

    // Undo history limits and state, for the views and tests. The history keeps at most
    // kMaxUndoSteps groups (undoable actions), each whole, however many steps it holds.
    static constexpr int kMaxUndoSteps = 1024;
    int GetUndoStepCount() const { return static_cast<int>(m_arrUndo.size()); }
    int GetUndoGroupCount() const { return m_nUndoGroups; }
    int GetHistoryPos() const { return m_nHistoryPos; }
    int GetSavedHistoryPos() const { return m_nSavedHistoryPos; }

protected:
    // Line storage and notification helpers.
    TextLine& Line(int nLine) { return m_arrLines[nLine]; }
    void FreeLines(bool bRelease);
    void MakeOwned(TextLine& line, int nNeeded);
    static TextLine MakeLine(std::string_view text, std::string_view more = {});
    void CutLine(int nLine, int nLength);
    void InsertIntoLine(int nLine, int nPos, std::string_view text);

    template <typename Pieces>
    void InsertPieces(CTextBufferListener* pSource, int nLine, int nPos, Pieces&& pieces,
                      int& nEndLine, int& nEndChar);
    // Like RawInsertText, but the line breaks are exactly the CR LF pairs that follow each
    // piece of the given lengths, so carriage returns inside the pieces stay characters.
    bool RawInsertPieces(CTextBufferListener* pSource, int nLine, int nPos, std::string_view text,
                         const std::vector<int>& arrPieceLengths, int& nEndLine, int& nEndChar);
    // Inserts a step's text at its start, by its piece lengths where it has them.
    void InsertStepText(const UndoStep& step);
    void UpdateModifiedAfterHistoryMove();
    void DropOldestUndoGroup();
    void ResetHistory();

    GapArray<TextLine> m_arrLines;
    CBigBlock m_loadBlock; // the loaded file's bytes, borrowed by lines
    std::vector<CTextBufferListener*> m_lstViews;
    bool m_bInitialized = false;
    bool m_bReadOnly = false;
    bool m_bModified = false;
    int m_nEolStyle = EOL_CRLF;
    bool m_bMakeBackup = false;

    std::deque<UndoStep> m_arrUndo; // oldest first; a deque so the limit drops cheaply
    int m_nUndoGroups = 0;          // steps of m_arrUndo that start a group
    int m_nHistoryPos = 0;
    int m_nSavedHistoryPos = 0; // -1 once the saved state has left the history
    bool m_bGroupOpen = false;
    bool m_bStartNewGroup = false;
    int m_nMaxUndoSteps = kMaxUndoSteps; // in groups

    CFileOps* m_pFileOps = &CFileOps::System();
};
