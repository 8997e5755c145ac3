// CSampleDoc: one open Zarn source file: its text buffer, the font of its views, the three
// document properties that tie it to a record, and the document's commands.
#pragma once

#include "buffer/FileOps.h"
#include "buffer/TextBuffer.h"
#include "view/CmdUI.h"
#include "view/CommandMap.h"
#include "view/LogFont.h"

#include <span>
#include <vector>

#include <QObject>
#include <QString>

class CDocManager;
class CSampleDoc;
class CSampleView;

// The buffer of a document. Its modified flag is the document's: the buffer passes every
// change of it on and keeps none of its own.
class CSampleTextBuffer : public CTextBuffer {
public:
    explicit CSampleTextBuffer(CSampleDoc* pOwnerDoc) : m_pOwnerDoc(pOwnerDoc) {}

    void SetModified(bool bModified) override;

private:
    CSampleDoc* m_pOwnerDoc;
};

// The properties live for the life of the document only: they are neither saved nor
// remembered, and editing them does not make the document modified. The document is created
// and closed by its CDocManager; once closed it deletes itself when its last view has gone.
class CSampleDoc : public QObject {
    Q_OBJECT

public:
    // Takes the application's pending record (a form loaded from MAIN.IDX), if there is one.
    explicit CSampleDoc(CDocManager* pDocManager);
    ~CSampleDoc() override;

    // The font every document starts with, and every view of it shows its text in.
    static LogFont InitialFont();

    CSampleTextBuffer& GetTextBuffer() { return m_TextBuffer; }
    const LogFont& GetFont() const { return m_lfFont; }
    CDocManager* GetDocManager() const { return m_pDocManager; }

    // The properties: File Name (the path the document was opened from; empty for a new
    // document, and unchanged by Save As), Main IDX Path and GID.
    const QString& GetFileName() const { return m_strFileName; }
    const QString& GetIdxPath() const { return m_strIdxPath; }
    const QString& GetGid() const { return m_strGid; }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }
    // Where Save writes; empty until the document was opened from or saved to a file.
    const QString& GetPathName() const { return m_strPathName; }
    // Sets the path and makes its file name the title.
    void SetPathName(const QString& strPath);
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& strTitle);

    // Life cycle, called by the document manager.
    void DeleteContents();
    bool OnNewDocument();
    FileResult OnOpenDocument(const QString& strPath);
    // The document stays modified, with its old path, when this fails.
    FileResult OnSaveDocument(const QString& strPath);
    // The document is closed: it deletes itself once no view shows it any more.
    void OnCloseDocument();
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

private:
    static std::span<const CommandMapEntry<CSampleDoc>> GetCommandMap();

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

    CSampleTextBuffer m_TextBuffer;
    LogFont m_lfFont;
    QString m_strFileName;
    QString m_strIdxPath;
    QString m_strGid;

    CDocManager* m_pDocManager;
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
    bool m_bClosed = false;
    std::vector<CSampleView*> m_lstViews;
};
