// CDocManager: the open documents and their windows: New with numbered titles, Open (an open
// file is activated, not opened twice), Save and Save As, and closing with the save prompt.
#pragma once

#include <memory>
#include <vector>

#include <QString>

class CChildFrame;
class CFileWatch;
class CSampleApp;
class CSampleDoc;
struct RecoveryRecord;

// Every failure is told to the user in a message box; a failed save leaves the document
// modified, under its old path and title. The files of the open documents are watched for
// changes made by other programs (CFileWatch).
class CDocManager {
public:
    explicit CDocManager(CSampleApp& app);
    CDocManager(const CDocManager&) = delete;
    CDocManager& operator=(const CDocManager&) = delete;
    ~CDocManager();

    // A new empty document, titled "Zarn Document<n>", in a new window.
    CSampleDoc* OnFileNew();
    // Asks for a file and opens it.
    void OnFileOpen();
    // Opens strPath, or activates the document that already has the same file open.
    CSampleDoc* OpenDocumentFile(const QString& strPath);
    // A new empty document that Save writes to strPath, a file that does not exist yet (in a
    // folder that does), titled with its file name.
    CSampleDoc* NewDocumentForFile(const QString& strPath);
    // Opens the text of a recovery file as a modified document with the file's original path
    // (untitled when it had none); a document that has that file open already takes the text
    // instead, as one edit that Undo reverts. Null when it cannot be read (the user has been
    // told why).
    CSampleDoc* OpenRecoveredDocument(const RecoveryRecord& record);

    // Save: to the document's path, or through Save As when it has none.
    bool DoFileSave(CSampleDoc* pDoc);
    // Saves to the document's path, or, with bSaveAs or without a path, to one the user picks.
    bool DoSave(CSampleDoc* pDoc, bool bSaveAs);
    // Asks whether to save a modified document: true when it may close.
    bool SaveModified(CSampleDoc* pDoc);
    bool SaveAllModified();

    // Close: the save prompt, then every window of the document.
    void OnFileClose(CSampleDoc* pDoc);
    // Closes every window of the document without asking.
    void CloseDocument(CSampleDoc* pDoc);
    void CloseAllDocuments();

    // Windows.
    CChildFrame* CreateNewFrame(CSampleDoc* pDoc);
    // The open windows of a document, in the order they were created.
    std::vector<CChildFrame*> GetFrames(const CSampleDoc* pDoc) const;
    // Whether pFrame may close: closing the last window of a document closes the document,
    // which asks to save it first.
    bool CanCloseFrame(CChildFrame* pFrame);
    // pFrame has closed; its document is closed with its last window.
    void OnFrameClosed(CChildFrame* pFrame);
    // Numbers the titles of a document's windows ("name:1", "name:2") when it has several.
    void UpdateFrameCounts(const CSampleDoc* pDoc) const;

    const std::vector<CSampleDoc*>& GetDocuments() const { return m_lstDocs; }
    // The open document of strPath (same file, by canonical path), or null.
    CSampleDoc* FindOpenDocument(const QString& strPath) const;
    CFileWatch& GetFileWatch() { return *m_pFileWatch; }

private:
    // Takes the document into the open ones and shows it in a new window.
    CSampleDoc* AddDocument(std::unique_ptr<CSampleDoc> pNewDoc);
    void RemoveDocument(CSampleDoc* pDoc);
    // "Zarn Document<n>" with the next number.
    QString NextUntitledTitle();

    CSampleApp& m_app;
    std::vector<CSampleDoc*> m_lstDocs; // open documents, owned until they are closed
    int m_nUntitledCount = 0;
    std::unique_ptr<CFileWatch> m_pFileWatch;
};
