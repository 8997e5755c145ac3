// Open, Save, Save As, Close and exit through the document manager: an edit saved to disk,
// failed saves, the save prompt, a file opened twice, the recent files and dropped files.
#include "app/RecentFileList.h"
#include "buffer/FileOps.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"

#include <cerrno>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>

namespace {

// Makes every save that needs a new file fail as it fails in a directory the user may not
// write: the temporary file cannot be created.
class CUnwritableDirOps : public CFileOps {
public:
    int MakeTemp(std::string&) override {
        errno = EACCES;
        return -1;
    }
};

class FileCommandsTest : public CAppTest {
protected:
    // A directory the user may not write into. As the superuser, who may write anywhere,
    // the document's saves are made to fail the way they fail there.
    QString MakeReadOnlyDir(CSampleDoc* pDoc) {
        const QString strDir = TempPath("readonly");
        EXPECT_TRUE(QDir().mkdir(strDir));
        EXPECT_TRUE(QFile::setPermissions(strDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (::geteuid() == 0)
            pDoc->GetTextBuffer().SetFileOps(&m_unwritable);
        return strDir;
    }

    void TearDown() override {
        QFile::setPermissions(TempPath("readonly"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        CAppTest::TearDown();
    }

    void TypeText(const QString& strText) { QTest::keyClicks(ActiveView(), strText); }

    CUnwritableDirOps m_unwritable;
};

TEST_F(FileCommandsTest, AnEditSavedWithCtrlSChangesOnlyTheEditedBytesOnDisk) {
    const QByteArray original = "; GID 1001\r\nuni_start_stream\r\n\tmat_width 320\r\nend\r\n";
    const QString strPath = WriteFile("form.zarn", original);
    StartApp({strPath});
    CSampleView* pView = ActiveView();
    // Down twice, to the end of the line, then type.
    QTest::keyClick(pView, Qt::Key_Down);
    QTest::keyClick(pView, Qt::Key_Down);
    QTest::keyClick(pView, Qt::Key_End);
    TypeText(" 400");
    EXPECT_TRUE(ActiveDoc()->IsModified());
    QTest::keyClick(pView, Qt::Key_S, Qt::ControlModifier);
    FlushDeletes();
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_FALSE(ActiveDoc()->IsModified());
    EXPECT_EQ(ReadFile(strPath),
              QByteArray("; GID 1001\r\nuni_start_stream\r\n\tmat_width 320 400\r\nend\r\n"));
    // The saved file is the one the document has open: no prompt on closing.
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_TRUE(Docs().GetDocuments().empty());
}

TEST_F(FileCommandsTest, ASaveThatFailsIsReportedAndTheDocumentKeepsItsStateAndPath) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    TypeText("x");
    const QString strDir = MakeReadOnlyDir(pDoc);
    const QString strTarget = strDir + "/copy.zarn";

    AnswerFileDialogs({strTarget});
    Execute(ID_FILE_SAVE_AS);
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_EQ(m_listMessages[0], "Cannot save " + strTarget + ": Permission denied");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetPathName(), strPath);
    EXPECT_EQ(pDoc->GetTitle(), "form.zarn");
    EXPECT_FALSE(QFile::exists(strTarget));
    EXPECT_EQ(ReadFile(strPath), QByteArray("abc\r\n"));
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), strPath);

    // Answering Yes to the save prompt of a save that fails keeps the window open.
    pDoc->GetTextBuffer().SetFileOps(&m_unwritable);
    AnswerMessageBoxes({QMessageBox::Yes});
    Execute(ID_FILE_CLOSE);
    ASSERT_EQ(m_listMessages.size(), 3u);
    EXPECT_EQ(m_listMessages[1], "Save changes to " + strPath + "?");
    EXPECT_EQ(m_listMessages[2], "Cannot save " + strPath + ": Permission denied");
    EXPECT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(FileCommandsTest, SavingANewDocumentAsksForAZarnFileName) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    TypeText("man_start_object");
    const QString strTarget = TempPath("new.zarn");
    AnswerFileDialogs({strTarget});
    Execute(ID_FILE_SAVE);
    ASSERT_EQ(m_listFileRequests.size(), 1u);
    const FileDialogRequest& request = m_listFileRequests[0];
    EXPECT_TRUE(request.bSave);
    EXPECT_EQ(request.strFilter, "Kestor Files (*.zarn)");
    EXPECT_EQ(request.strDefaultSuffix, "zarn");
    EXPECT_EQ(request.strInitialPath, "Zarn Document1.zarn");
    EXPECT_EQ(ReadFile(strTarget), QByteArray("man_start_object"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetPathName(), strTarget);
    EXPECT_EQ(pDoc->GetTitle(), "new.zarn");
    EXPECT_EQ(ActiveFrame()->windowTitle(), "new.zarn");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - new.zarn");
    // Saving does not set the File Name: that is where the document was opened from.
    EXPECT_TRUE(pDoc->GetFileName().isEmpty());
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), strTarget);

    // Save again goes to the same file without asking; a cancelled Save As changes nothing.
    TypeText("!");
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(m_listFileRequests.size(), 1u);
    EXPECT_EQ(ReadFile(strTarget), QByteArray("man_start_object!"));
    Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(m_listFileRequests.size(), 2u);
    EXPECT_EQ(m_listFileRequests[1].strInitialPath, strTarget);
    EXPECT_EQ(pDoc->GetPathName(), strTarget);
}

TEST_F(FileCommandsTest, ClosingAModifiedDocumentAsksToSaveIt) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    TypeText("1");

    AnswerMessageBoxes({QMessageBox::Cancel});
    Execute(ID_FILE_CLOSE);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strPath + "?"}));
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_TRUE(ActiveDoc()->IsModified());

    // The window's own close button asks the same.
    AnswerMessageBoxes({QMessageBox::Cancel});
    EXPECT_FALSE(ActiveFrame()->close());
    FlushDeletes();
    EXPECT_EQ(m_listMessages.size(), 2u);
    EXPECT_EQ(Docs().GetDocuments().size(), 1u);

    AnswerMessageBoxes({QMessageBox::No});
    EXPECT_TRUE(ActiveFrame()->close());
    FlushDeletes();
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_EQ(ReadFile(strPath), QByteArray("abc\r\n"));
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_MAINFRAME);

    App().OpenDocumentFile(strPath);
    TypeText("2");
    AnswerMessageBoxes({QMessageBox::Yes});
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_EQ(ReadFile(strPath), QByteArray("2abc\r\n"));
}

TEST_F(FileCommandsTest, ExitAsksForEveryModifiedDocumentAndCancelKeepsThemOpen) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        pDoc->SetModifiedFlag(true);

    AnswerMessageBoxes({QMessageBox::No, QMessageBox::Cancel});
    Execute(ID_APP_EXIT);
    EXPECT_EQ(m_listMessages.size(), 2u);
    EXPECT_TRUE(MainFrame().isVisible());
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);

    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::No, QMessageBox::No});
    Execute(ID_APP_EXIT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strFirst + "?",
                                                    "Save changes to " + strSecond + "?"}));
    EXPECT_FALSE(MainFrame().isVisible());
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_TRUE(MainFrame().GetMdiArea()->subWindowList().isEmpty());
}

TEST_F(FileCommandsTest, OpenAsksForAZarnFileAndAnOpenFileIsActivatedNotOpenedTwice) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp();
    AnswerFileDialogs({strFirst});
    Execute(ID_FILE_OPEN);
    ASSERT_EQ(m_listFileRequests.size(), 1u);
    EXPECT_FALSE(m_listFileRequests[0].bSave);
    EXPECT_TRUE(m_listFileRequests[0].bMustExist);
    EXPECT_EQ(m_listFileRequests[0].strFilter, "Kestor Files (*.zarn);;All Files (*)");
    CSampleDoc* pFirst = ActiveDoc();
    ASSERT_NE(pFirst, nullptr);
    App().OpenDocumentFile(strSecond);
    EXPECT_NE(ActiveDoc(), pFirst);

    // The same file by another name: through "." and through a symbolic link.
    EXPECT_EQ(App().OpenDocumentFile(m_dir.path() + "/./first.zarn"), pFirst);
    EXPECT_EQ(ActiveDoc(), pFirst);
    App().OpenDocumentFile(strSecond);
    ASSERT_TRUE(QFile::link(strFirst, TempPath("link.zarn")));
    EXPECT_EQ(App().OpenDocumentFile(TempPath("link.zarn")), pFirst);
    EXPECT_EQ(ActiveDoc(), pFirst);
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_EQ(MainFrame().GetMdiArea()->subWindowList().size(), 2);
}

TEST_F(FileCommandsTest, RecentFilesAreKeptInTheSettingsNewestFirst) {
    StartApp();
    QStringList files;
    for (int i = 1; i <= 5; ++i)
        files.append(WriteFile(QStringLiteral("f%1.zarn").arg(i), "x\r\n"));
    for (const QString& strPath : files)
        App().OpenDocumentFile(strPath);
    // Activating a file that is open already leaves the list as it is.
    App().OpenDocumentFile(files[2]);
    CRecentFileList& mru = App().GetRecentFileList();
    ASSERT_EQ(mru.GetSize(), 4);
    EXPECT_EQ(mru.GetFile(0), files[4]);
    EXPECT_EQ(mru.GetFile(3), files[1]);
    QSettings settings;
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), files[4]);
    EXPECT_EQ(settings.value("Recent File List/File4").toString(), files[1]);
    EXPECT_FALSE(settings.contains("Recent File List/File5"));

    // The File menu shows them as "&1 path" ... under the ids from 57616.
    MainFrame().OnIdleUpdateCmdUI();
    QAction* pFirst = MainFrame().GetCommandAction(ID_FILE_MRU_FIRST);
    EXPECT_EQ(pFirst->text(), "&1 " + files[4]);
    EXPECT_TRUE(pFirst->isEnabled());
    EXPECT_EQ(MainFrame().GetCommandAction(ID_FILE_MRU_FIRST + 3)->text(), "&4 " + files[1]);
    EXPECT_EQ(pFirst->statusTip(), "Open this document");

    // A new run reads them back; an entry whose file is gone is reported and dropped.
    StopApp();
    ASSERT_TRUE(QFile::remove(files[3]));
    StartApp();
    EXPECT_EQ(App().GetRecentFileList().GetSize(), 4);
    Execute(ID_FILE_MRU_FIRST + 1);
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_EQ(m_listMessages[0], "Cannot open " + files[3] + ": No such file or directory");
    EXPECT_EQ(App().GetRecentFileList().GetSize(), 3);
    EXPECT_EQ(App().GetRecentFileList().GetFile(1), files[2]);
    Execute(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(ActiveDoc()->GetPathName(), files[2]);
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), files[2]);
}

TEST_F(FileCommandsTest, AnEmptyRecentFileListShowsOneDisabledItem) {
    StartApp();
    MainFrame().OnIdleUpdateCmdUI();
    QAction* pFirst = MainFrame().GetCommandAction(ID_FILE_MRU_FIRST);
    EXPECT_EQ(pFirst->text(), "Recent File");
    EXPECT_FALSE(pFirst->isEnabled());
    EXPECT_TRUE(pFirst->isVisible());
    EXPECT_FALSE(MainFrame().GetCommandAction(ID_FILE_MRU_FIRST + 1)->isVisible());
}

TEST_F(FileCommandsTest, FilesDroppedOnTheMainWindowOpen) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(strFirst), QUrl::fromLocalFile(strSecond)});
    const QPoint pt = MainFrame().rect().center();
    QDragEnterEvent enter(pt, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&MainFrame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(pt), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&MainFrame(), &drop);
    ASSERT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strSecond);

    // Dropped on a document's view, files open as well: their names are not text for it.
    const QString strThird = WriteFile("third.zarn", "c\r\n");
    QMimeData third;
    third.setUrls({QUrl::fromLocalFile(strThird)});
    third.setText(strThird);
    CSampleDoc* pSecondDoc = ActiveDoc();
    QWidget* pViewport = ActiveView()->viewport();
    const QPoint ptView = pViewport->rect().center();
    QDragEnterEvent enterView(ptView, Qt::CopyAction, &third, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pViewport, &enterView);
    EXPECT_TRUE(enterView.isAccepted());
    QDropEvent dropView(QPointF(ptView), Qt::CopyAction, &third, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pViewport, &dropView);
    ASSERT_EQ(Docs().GetDocuments().size(), 3u);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strThird);
    EXPECT_EQ(LinesOf(pSecondDoc), QStringList({"b", ""}));

    // Text without files is not the main window's to take.
    QMimeData text;
    text.setText("just text");
    QDragEnterEvent enterText(pt, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    enterText.ignore();
    QApplication::sendEvent(&MainFrame(), &enterText);
    EXPECT_FALSE(enterText.isAccepted());
}

} // namespace
