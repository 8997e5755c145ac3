// CSampleApp: the application object: start-up, the main window, the documents and the recent
// files, the application's commands, and the record handed on to the next document.
#pragma once

#include "view/CmdUI.h"
#include "view/CommandMap.h"
#include "view/LogFont.h"

#include <memory>
#include <span>

#include <QObject>
#include <QString>
#include <QStringList>

class CDocManager;
class CMainFrame;
class CRecentFileList;
class CRecoveryStore;
class CSampleDoc;

// The one application object of the program, beside its QApplication. It is not the
// QApplication itself, so that each test of the GUI test program, which has its one
// QApplication, can start up an application of its own and take it down again.
class CSampleApp : public QObject {
    Q_OBJECT

public:
    CSampleApp();
    ~CSampleApp() override;

    // Start-up: the settings' names, the recent files, the main window, the files named on
    // the command line (one that cannot be opened is reported and skipped; one that does not
    // exist yet opens as a new document to be saved under that name), and then the recovery
    // files that editors which ended abnormally left: offered, or with bRecover recovered
    // without asking.
    void InitInstance(const QStringList& listFiles, bool bRecover = false);
    // The names the settings are kept under: ~/.config/ZarnEditor/Zarn Editor.conf.
    static void SetProfileNames();
    // The folder under which the recovery files are kept, when not the user's application
    // data folder (CRecoveryStore::DefaultRoot); set before InitInstance.
    void SetRecoveryRoot(const QString& strRoot) { m_strRecoveryRoot = strRoot; }

    CMainFrame* GetMainFrame() const { return m_pMainFrame; }
    CDocManager& GetDocManager() { return *m_pDocManager; }
    CRecentFileList& GetRecentFileList() { return *m_pRecentFileList; }
    // Null before start-up.
    CRecoveryStore* GetRecoveryStore() const { return m_pRecoveryStore.get(); }

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

    // Settings of every document's views, kept in the settings group "Editor". The line
    // numbers are shown unless the user hid them.
    bool IsLineNumbersShown() const { return m_bShowLineNumbers; }
    void SetLineNumbersShown(bool bShow);
    // The font every document starts with and zooms from: the user's choice, else
    // CSampleDoc::InitialFont(). Setting it gives it to every open document, whose zoom stays.
    LogFont GetEditorFont() const;
    void SetEditorFont(const QString& strFace, int nPoints);

    bool OnCmdMsg(unsigned nId);
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    bool HasCommandHandler(unsigned nId) const;

private:
    static std::span<const CommandMapEntry<CSampleApp>> GetCommandMap();

    // A file named on the command line: opened, or new when it does not exist yet.
    void OpenCommandLineFile(const QString& strPath);
    void OfferRecovery(bool bAsk);

    void OnFileNew(unsigned nId);
    void OnFileOpen(unsigned nId);
    void OnOpenRecentFile(unsigned nId);
    void OnUpdateRecentFileMenu(CCmdUI& cmdUI);
    void OnAppAbout(unsigned nId);
    void OnOpenExampleForm(unsigned nId);
    void OnFilePrintSetup(unsigned nId);
    void OnLoadFromIdx(unsigned nId);
    void OnAppExit(unsigned nId);
    void OnViewLineNumbers(unsigned nId);
    void OnUpdateViewLineNumbers(CCmdUI& cmdUI);
    void OnViewFont(unsigned nId);

    void ReadEditorSettings();

    QString m_strPendingGid;
    QString m_strPendingIdxPath;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<CDocManager> m_pDocManager;
    CMainFrame* m_pMainFrame = nullptr;
    QString m_strRecoveryRoot;
    std::unique_ptr<CRecoveryStore> m_pRecoveryStore;
    bool m_bShowLineNumbers = true;
    QString m_strFontFace; // empty: the initial font
    int m_nFontPoints = 0;
};

// The application object while there is one, else null.
CSampleApp* AfxGetApp();
