// Start-up of the application: with and without files on the command line, files that cannot
// be opened or do not exist yet, the window's menu, title and parts.
#include "app/DialogDockBar.h"
#include "app/RecentFileList.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "view/PaneSplitter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

namespace {

QStringList MenuTitles(QMenuBar* pMenuBar) {
    QStringList titles;
    for (QAction* pAction : pMenuBar->actions())
        titles.append(pAction->text());
    return titles;
}

using StartupTest = CAppTest;

TEST_F(StartupTest, WithoutFilesOnlyTheMainWindowShowsWithMenu128) {
    StartApp();
    EXPECT_TRUE(MainFrame().isVisible());
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_TRUE(MainFrame().GetMdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(MenuTitles(MainFrame().menuBar()), QStringList({"&File", "&View", "&Help"}));
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor");
    EXPECT_TRUE(MainFrame().GetToolBar()->isVisible());
    EXPECT_TRUE(MainFrame().statusBar()->isVisible());
    ASSERT_NE(MainFrame().GetOutputBar(), nullptr);
    EXPECT_TRUE(MainFrame().GetOutputBar()->isVisible());
    EXPECT_EQ(MainFrame().GetOutputBar()->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_EQ(MainFrame().GetPaneText(0), "Ready");
    EXPECT_TRUE(m_listMessages.empty());
}

TEST_F(StartupTest, AFileOnTheCommandLineOpensMaximisedUnderMenu129) {
    const QString strPath = WriteFile("form.zarn", "; GID 1001\r\nuni_start_stream\r\n");
    StartApp({strPath});
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "uni_start_stream", ""}));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetTitle(), "form.zarn");
    EXPECT_EQ(pDoc->GetFileName(), strPath);
    EXPECT_EQ(pDoc->GetPathName(), strPath);
    EXPECT_TRUE(ActiveFrame()->isMaximized());
    EXPECT_EQ(ActiveFrame()->windowTitle(), "form.zarn");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - form.zarn");
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_ZARNTYPE);
    EXPECT_EQ(MenuTitles(MainFrame().menuBar()),
              QStringList({"&File", "&Edit", "&View", "Z&arn", "&Window", "&Help"}));
    // One pane, showing the document's buffer in the document's font.
    CSampleView* pView = ActiveView();
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(ActiveFrame()->GetSplitter()->GetRowCount(), 1);
    EXPECT_EQ(ActiveFrame()->GetSplitter()->GetColumnCount(), 1);
    EXPECT_EQ(pView->GetBuffer(), &pDoc->GetTextBuffer());
    EXPECT_EQ(pView->GetBaseFont().strFaceName, "Courier New");
    EXPECT_EQ(pView->GetBaseFont().nHeight, 17);
}

TEST_F(StartupTest, AFileThatCannotBeOpenedIsReportedAndTheOthersStillOpen) {
    // A file in a folder that does not exist, a folder, and a file the user may not read.
    const QString strMissing = TempPath("nowhere/missing.zarn");
    const QString strGood = WriteFile("good.zarn", "man_start_object ornament\r\n");
    const QString strFifo = TempPath("fifo.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    const QString strLocked = WriteFile("locked.zarn", "x\r\n");
    ASSERT_TRUE(QFile::setPermissions(strLocked, QFileDevice::WriteOwner));
    StartApp({strMissing, strGood, m_dir.path(), strFifo, strLocked});
    std::vector<QString> expected = {"Cannot open " + strMissing + ": No such file or directory",
                                     "Cannot open " + m_dir.path() + ": Is a directory",
                                     "Cannot open " + strFifo + ": not a regular file"};
    // The superuser reads every file.
    if (::geteuid() != 0)
        expected.push_back("Cannot open " + strLocked + ": Permission denied");
    EXPECT_EQ(m_listMessages, expected);
    ASSERT_EQ(Docs().GetDocuments().size(), ::geteuid() != 0 ? 1u : 2u);
    EXPECT_EQ(Docs().GetDocuments().front()->GetTitle(), "good.zarn");
    EXPECT_TRUE(MainFrame().isVisible());
}

TEST_F(StartupTest, AFileThatDoesNotExistYetOpensEmptyAndSaveMakesIt) {
    const QString strNew = TempPath("new.zarn");
    StartApp({strNew});
    EXPECT_TRUE(m_listMessages.empty());
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetPathName(), strNew);
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - new.zarn");
    EXPECT_FALSE(QFile::exists(strNew));

    QTest::keyClicks(ActiveView(), "abc");
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(m_listFileRequests.empty());
    EXPECT_EQ(ReadFile(strNew), QByteArray("abc"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), strNew);
}

TEST_F(StartupTest, SeveralFilesOpenInTheirOwnWindowsTheLastOneActive) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    EXPECT_EQ(MainFrame().GetMdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "second.zarn");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - second.zarn");
}

TEST_F(StartupTest, TheEndOfStartUpEmptiesThePendingRecord) {
    m_pApp = std::make_unique<CSampleApp>();
    m_pApp->SetRecoveryRoot(RecoveryRoot());
    m_pApp->SetPendingRecord("1001", "/data/MAIN.IDX");
    m_pApp->InitInstance({});
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
    EXPECT_TRUE(App().GetPendingIdxPath().isEmpty());
    EXPECT_EQ(AfxGetApp(), m_pApp.get());
    StopApp();
    EXPECT_EQ(AfxGetApp(), nullptr);
}

} // namespace
