// The application tests' fixture: an application per test, its prompts answered, files.
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

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

class QMenu;

// A file dialog request in one line: "open|save [existing] INITIAL FILTER .SUFFIX".
QString Describe(const FileDialogRequest& request);
// Clicks keys given by name, separated by spaces ("Down Ctrl+S F6"), on pWidget.
void Press(QWidget* pWidget, const char* pszKeys);

class CAppTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts an application as the program does; its recovery files go under m_strRecoveryRoot.
    void StartApp(const QStringList& listFiles = {});
    void StopApp() {
        m_pApp.reset();
        FlushDeletes();
    }

    CSampleApp& App() { return *m_pApp; }
    CMainFrame& MainFrame() { return *m_pApp->GetMainFrame(); }
    CDocManager& Docs() { return m_pApp->GetDocManager(); }
    CSampleDoc* ActiveDoc() { return MainFrame().GetActiveDocument(); }
    CSampleView* ActiveView() { return MainFrame().GetActiveView(); }
    CChildFrame* ActiveFrame() { return MainFrame().GetActiveFrame(); }
    QAction* Action(unsigned nId) { return MainFrame().GetCommandAction(nId); }
    bool IsEnabled(unsigned nId) { return MainFrame().QueryCommandUI(nId).IsEnabled(); }
    int CheckOf(unsigned nId) { return MainFrame().QueryCommandUI(nId).GetCheck(); }
    QString EnabledOf(std::initializer_list<unsigned> ids);
    QString UpdatedPane(unsigned nId) {
        MainFrame().OnIdleUpdateCmdUI();
        return MainFrame().GetPaneText(nId);
    }
    // Runs a command as its menu item would, then lets the closed windows go.
    void Execute(unsigned nId) {
        MainFrame().ExecuteCommand(nId);
        FlushDeletes();
    }
    // The application in one line as the test looks at it: m_fnState's text, or Windows().
    QString State() { return m_fnState ? m_fnState() : Windows(); }
    // Runs a script and expects State() to be strState. Its steps: [Save As...] the command of
    // that menu text, "text" typed, ?Yes ?No ?Cancel the next message boxes' answers, >NAME the
    // next file dialog's answer TempPath(NAME), other words keys in the active view.
    void Run(const char* pszScript, const QString& strState);

    // The next message boxes' answers, then OK or Cancel; the texts go to m_listMessages.
    void AnswerMessageBoxes(std::vector<QMessageBox::StandardButton> answers) {
        m_answers.assign(answers.begin(), answers.end());
    }
    // The next file dialogs' answers, then ""; the requests go to m_listFileRequests.
    void AnswerFileDialogs(std::vector<QString> answers) {
        m_fileAnswers.assign(answers.begin(), answers.end());
    }
    // The next modal dialog goes to fnDrive, which closes it; one never shown fails the test.
    void DriveNextModalDialog(std::function<void(QWidget*)> fnDrive);
    // Asks the main window to close, once, as soon as the Output pane shows strText.
    std::shared_ptr<bool> CloseMainWindowWhenOutputShows(const QString& strText);

    static void FlushDeletes();
    static void ProcessEvents() {
        QCoreApplication::processEvents();
        FlushDeletes();
    }

    QString TempPath(const QString& strName) const { return m_dir.filePath(strName); }
    QString WriteFile(const QString& strName, const QByteArray& bytes) const;
    static QByteArray ReadFile(const QString& strPath);

    static QStringList LinesOf(CSampleDoc* pDoc);
    // "TITLE[*] path=P file=F gid=G idx=I", the test's directory written as "~".
    QString DocState(CSampleDoc* pDoc) const;
    // "TITLE | ACTIVE WINDOW'S TITLE | menu ID | DOCUMENTS docs".
    QString Windows();
    static QStringList MenuTexts(QWidget* pMenu);
    QMenu* MenuAt(int nIndex); // from the end when negative

    std::unique_ptr<CSampleApp> m_pApp;
    QTemporaryDir m_dir;
    QTemporaryDir m_recoveryDir;
    QString m_strRecoveryRoot;
    std::vector<QString> m_listMessages;
    std::vector<FileDialogRequest> m_listFileRequests;
    std::function<QString()> m_fnState;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<QPointer<QTimer>> m_listDialogDrivers;
    std::deque<QString> m_fileAnswers;
};
