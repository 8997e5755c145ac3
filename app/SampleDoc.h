// CSampleDoc: one open Zarn source file: its text buffer, the font of its views, the three
// document properties that tie it to a record, and the document's commands.
#pragma once

#include "app/FileStamp.h"
#include "buffer/FileOps.h"
#include "buffer/TextBuffer.h"
#include "view/CmdUI.h"
#include "view/CommandMap.h"
#include "view/LogFont.h"

#include <chrono>
#include <span>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

class CDocManager;
class CSampleDoc;
class CSampleView;

// The undo action of a text replaced from a file: beyond the buffer's own codes, so that the
// buffer never gives it a label of its own.
constexpr int EDITACT_RELOAD = 0x100;

// The buffer of a document. Its modified flag is the document's: the buffer passes every
// change of it on and keeps none of its own.
class CSampleTextBuffer : public CTextBuffer {
public:
    explicit CSampleTextBuffer(CSampleDoc* pOwnerDoc) : m_pOwnerDoc(pOwnerDoc) {}

    void SetModified(bool bModified) override;
    bool GetActionLabel(int nAction, std::string& label) const override;

    // The line-end style a reloaded file brought with it.
    void SetEolStyle(int nEolStyle) { m_nEolStyle = nEolStyle; }
    // Where the history stands now is the file's text: undoing or redoing away from here
    // marks the document modified.
    void TakeSavedState() { m_nSavedHistoryPos = m_nHistoryPos; }
    // No place in the history holds the file's text any more.
    void ForgetSavedState() { m_nSavedHistoryPos = -1; }

private:
    CSampleDoc* m_pOwnerDoc;
};

// The properties live for the life of the document only: they are neither saved nor
// remembered, and editing them does not make the document modified. The document is created
// and closed by its CDocManager; once closed it deletes itself when its last view has gone.
// While it is modified, its text is kept in a recovery file (CRecoveryStore) against a crash,
// written when RecoveryWriteDue says, and removed when the document is saved or closed.
class CSampleDoc : public QObject, private CTextBufferListener {
    Q_OBJECT

public:
    // Takes the application's pending record (a form loaded from MAIN.IDX), if there is one.
    explicit CSampleDoc(CDocManager* pDocManager);
    ~CSampleDoc() override;

    // The font every document starts with unless the user chose another (View > Font).
    static LogFont InitialFont();

    CSampleTextBuffer& GetTextBuffer() { return m_TextBuffer; }
    // The font of the document's views, which show it zoomed by the document's zoom steps
    // (points; FontZoom.h). Setting the font keeps the zoom, within its bounds.
    const LogFont& GetFont() const { return m_lfFont; }
    void SetFont(const LogFont& lf);
    int GetZoomSteps() const { return m_nZoomSteps; }
    void SetZoomSteps(int nSteps);
    CDocManager* GetDocManager() const { return m_pDocManager; }

    // The properties: File Name (the path the document was opened from; empty for a new
    // document, and unchanged by Save As), Main IDX Path and GID.
    const QString& GetFileName() const { return m_strFileName; }
    const QString& GetIdxPath() const { return m_strIdxPath; }
    const QString& GetGid() const { return m_strGid; }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true);
    // Where Save writes; empty until the document was opened from or saved to a file.
    const QString& GetPathName() const { return m_strPathName; }
    // Sets the path and makes its file name the title.
    void SetPathName(const QString& strPath);
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& strTitle);
    // The title as windows show it: with "*" after it while the document is modified.
    QString GetTitleWithMark() const;

    // The state of the document's file when the document last read or wrote it.
    const FileStamp& GetFileStamp() const { return m_fileStamp; }
    // Takes the file as it is now (or as stamp says) for the one the document last read or
    // wrote, so that a write the editor made itself is not taken for another program's change.
    void RememberFileState();
    void RememberFileState(const FileStamp& stamp) { m_fileStamp = stamp; }
    // Replaces the whole text with the file at strPath, read as opening reads it, as one edit
    // that Undo reverts ("Reload"); every view keeps its caret and scroll position, and the
    // bookmarks stay, on their line numbers where those lines still exist. A text equal to the
    // file's is left alone. The document's modified state is the caller's to settle.
    FileResult ReplaceTextFromFile(const QString& strPath, int nEolStyle = EOL_AUTO);
    // The text is now the file's (stamp: the file it was read from): the document is not
    // modified, and Undo or Redo away from here marks it modified again.
    void SetTextMatchesFile(const FileStamp& stamp);
    void SetTextMatchesFile() { SetTextMatchesFile(FileStamp::Of(m_strPathName)); }
    // The text differs from the file whatever Undo and Redo do: modified until saved.
    void MarkUnsaved();

    // Life cycle, called by the document manager.
    void DeleteContents();
    bool OnNewDocument();
    FileResult OnOpenDocument(const QString& strPath);
    // The document stays modified, with its old path, when this fails.
    FileResult OnSaveDocument(const QString& strPath);
    // Fills the document from a recovery's text (strTextFile, in line-end style nEolStyle):
    // it is modified from the start.
    FileResult OnRecoverDocument(const QString& strTextFile, int nEolStyle);
    // The document is closed: it deletes itself once no view shows it any more.
    void OnCloseDocument();

    // Writes the recovery file now if the document is modified (else removes it); the file
    // in use, empty while there is none.
    void WriteRecoveryNow();
    const QString& GetRecoveryFile() const { return m_strRecoveryFile; }
    bool IsClosed() const { return m_bClosed; }

    // The views that show the document; a view adds itself when created for it.
    void AddView(CSampleView* pView);
    void RemoveView(CSampleView* pView);
    const std::vector<CSampleView*>& GetViews() const { return m_lstViews; }

    // Commands (true when the document handled the command or answered its update).
    bool OnCmdMsg(unsigned nId);
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    bool HasCommandHandler(unsigned nId) const;

signals:
    void titleChanged();
    void modifiedChanged();

private:
    using Clock = std::chrono::steady_clock;

    static std::span<const CommandMapEntry<CSampleDoc>> GetCommandMap();

    // The document follows its text's changes for the recovery file.
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override;
    void OnUndoGroupClosed(int, std::string_view) override {}
    void NoteTextChange();
    void OnRecoveryTimer();
    void DropRecovery();

    void OnEditReadOnly(unsigned nId);
    void OnUpdateEditReadOnly(CCmdUI& cmdUI);
    void OnProperties(unsigned nId);
    void OnUpdateProperties(CCmdUI& cmdUI);
    void OnHexConverter(unsigned nId);
    void OnInsertIntoIdx(unsigned nId);
    void OnUpdateInsert(CCmdUI& cmdUI);
    void OnExportToVey(unsigned nId);
    void OnUpdateIndicatorGid(CCmdUI& cmdUI);
    void OnFileSave(unsigned nId);
    void OnFileSaveAs(unsigned nId);
    void OnFileClose(unsigned nId);
    void OnViewZoom(unsigned nId);
    void OnUpdateViewZoom(CCmdUI& cmdUI);

    CSampleTextBuffer m_TextBuffer;
    LogFont m_lfFont;
    int m_nZoomSteps = 0;
    QString m_strFileName;
    QString m_strIdxPath;
    QString m_strGid;

    CDocManager* m_pDocManager;
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
    bool m_bClosed = false;
    std::vector<CSampleView*> m_lstViews;
    FileStamp m_fileStamp;

    QString m_strRecoveryFile;
    QTimer m_timerRecovery;
    Clock::time_point m_tFirstUnwritten; // the first change the recovery file does not hold
    Clock::time_point m_tLastChange;
    Clock::duration m_lastWriteTime{}; // how long the last recovery write took
};
