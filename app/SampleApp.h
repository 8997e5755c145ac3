// CSampleApp: the application object: start-up, the main window, the documents and the recent
// files, the application's commands, and the record handed on to the next document.
#pragma once

#include "view/CmdUI.h"
#include "view/CommandMap.h"

#include <memory>
#include <span>

#include <QObject>
#include <QString>
#include <QStringList>

class CDocManager;
class CMainFrame;
class CRecentFileList;
class CSampleDoc;

// The one application object of the program, beside its QApplication. It is not the
// QApplication itself, so that each test of the GUI test program, which has its one
// QApplication, can start up an application of its own and take it down again.
class CSampleApp : public QObject {
    Q_OBJECT

public:
    CSampleApp();
    ~CSampleApp() override;

    // Start-up: the settings' names, the recent files, the main window, and the files named
    // on the command line (one that cannot be opened is reported and skipped).
    void InitInstance(const QStringList& listFiles);
    // The names the settings are kept under: ~/.config/ZarnEditor/Zarn Editor.conf.
    static void SetProfileNames();

    CMainFrame* GetMainFrame() const { return m_pMainFrame; }
    CDocManager& GetDocManager() { return *m_pDocManager; }
    CRecentFileList& GetRecentFileList() { return *m_pRecentFileList; }

    // Opens strPath in a new document window, or activates the document that has it open;
    // null when it cannot be opened (the user has been told why).
    CSampleDoc* OpenDocumentFile(const QString& strPath);

    // The record that Load from MAIN.IDX hands to the next document created; the document
    // takes it (and so empties it) when it is constructed.
    void SetPendingRecord(const QString& strGid, const QString& strIdxPath);
    const QString& GetPendingGid() const { return m_strPendingGid; }
    const QString& GetPendingIdxPath() const { return m_strPendingIdxPath; }
    QString TakePendingGid();
    QString TakePendingIdxPath();

    bool OnCmdMsg(unsigned nId);
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    bool HasCommandHandler(unsigned nId) const;

private:
    static std::span<const CommandMapEntry<CSampleApp>> GetCommandMap();

    void OnFileNew(unsigned nId);
    void OnFileOpen(unsigned nId);
    void OnOpenRecentFile(unsigned nId);
    void OnUpdateRecentFileMenu(CCmdUI& cmdUI);
    void OnAppAbout(unsigned nId);
    void OnOpenExampleForm(unsigned nId);
    void OnFilePrintSetup(unsigned nId);
    void OnLoadFromIdx(unsigned nId);
    void OnAppExit(unsigned nId);

    QString m_strPendingGid;
    QString m_strPendingIdxPath;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<CDocManager> m_pDocManager;
    CMainFrame* m_pMainFrame = nullptr;
};

// The application object while there is one, else null.
CSampleApp* AfxGetApp();
