// Helpers of the application shell's tests: an application started up for one test, its
// message boxes and file dialogs answered in place of a person, modal dialogs driven, and
// files in a temporary directory.
#pragma once

#include "app/ChildFrame.h"
#include "app/DocManager.h"
#include "app/MainFrame.h"
#include "app/SampleApp.h"
#include "app/SampleDoc.h"
#include "app/SampleView.h"
#include "tests/support/PrintQString.h"
#include "view/UserPrompts.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

class QMenu;

// A file dialog request in one line: "open|save [existing] INITIAL FILTER .SUFFIX ['CAPTION']".
QString Describe(const FileDialogRequest& request);

class CAppTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts an application as the program does, with these files on its command line; its
    // recovery files are kept under m_strRecoveryRoot, the test's own.
    void StartApp(const QStringList& listFiles = {});
    // Takes the application down (its windows and documents) without asking anything.
    void StopApp();

    CSampleApp& App() { return *m_pApp; }
    CMainFrame& MainFrame() { return *m_pApp->GetMainFrame(); }
    CDocManager& Docs() { return m_pApp->GetDocManager(); }
    CSampleDoc* ActiveDoc() { return MainFrame().GetActiveDocument(); }
    CSampleView* ActiveView() { return MainFrame().GetActiveView(); }
    CChildFrame* ActiveFrame() { return MainFrame().GetActiveFrame(); }
    QAction* Action(unsigned nId) { return MainFrame().GetCommandAction(nId); }
    bool IsEnabled(unsigned nId) { return MainFrame().QueryCommandUI(nId).IsEnabled(); }
    int CheckOf(unsigned nId) { return MainFrame().QueryCommandUI(nId).GetCheck(); }
    // A status-bar pane's text after the idle update has run.
    QString UpdatedPane(unsigned nId);
    // Runs a command as its menu item would, then lets the closed windows go.
    void Execute(unsigned nId);

    // The next message boxes are answered with these buttons, in turn; once they are used up,
    // with OK (or Cancel where there is no OK). Every text shown is kept in m_listMessages.
    void AnswerMessageBoxes(std::vector<QMessageBox::StandardButton> answers);
    // The next file dialogs are answered with these paths; then with "" (cancelled). Every
    // request is kept in m_listFileRequests.
    void AnswerFileDialogs(std::vector<QString> answers);
    // The next modal dialog that opens is handed to fnDrive, which must close it. A dialog
    // that never opens fails the test.
    void DriveNextModalDialog(std::function<void(QWidget*)> fnDrive);

    // Asks the main window to close, once, as soon as the Output pane shows strText; the
    // answer tells whether it was asked.
    std::shared_ptr<bool> CloseMainWindowWhenOutputShows(const QString& strText);

    // Deletes what was closed (windows, documents), as the event loop would.
    static void FlushDeletes();
    // Processes pending events, deleted objects included.
    static void ProcessEvents();

    // Files in the test's own temporary directory.
    QString TempPath(const QString& strName) const { return m_dir.filePath(strName); }
    QString WriteFile(const QString& strName, const QByteArray& bytes) const;
    static QByteArray ReadFile(const QString& strPath);

    // The lines of a document's buffer.
    static QStringList LinesOf(CSampleDoc* pDoc);
    // A document in one line, "TITLE[*] path=P file=F gid=G idx=I", the test's directory
    // written as "~".
    QString DocState(CSampleDoc* pDoc) const;
    // The main window in one line: "TITLE | ACTIVE WINDOW'S TITLE | menu ID | DOCUMENTS docs".
    QString Windows();
    // The texts of a menu's items, "-" for a separator.
    static QStringList MenuTexts(QMenu* pMenu);

    std::unique_ptr<CSampleApp> m_pApp;
    QTemporaryDir m_dir;
    QTemporaryDir m_recoveryDir;
    QString m_strRecoveryRoot;
    std::vector<QString> m_listMessages;
    std::vector<FileDialogRequest> m_listFileRequests;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<QPointer<QTimer>> m_listDialogDrivers;
    std::deque<QString> m_fileAnswers;
};
