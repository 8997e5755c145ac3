// Open, Save, Save As, Close, exit, recent and dropped files, and Open Example Form.
#include "app/ExampleForm.h"
#include "app/RecentFileList.h"
#include "buffer/FileOps.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/GrimletPaths.h"

#include <cerrno>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

namespace {

// Saves fail as in a directory the user may not write: no temporary file can be made.
class CUnwritableDirOps : public CFileOps {
public:
    int MakeTemp(std::string&) override {
        errno = EACCES;
        return -1;
    }
};

class FileCommandsTest : public CAppTest {
protected:
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
    const QString strPath =
        WriteFile("form.zarn", "; GID 1001\r\nuni_start_stream\r\n\tmat_width 320\r\nend\r\n");
    StartApp({strPath});
    CSampleView* pView = ActiveView();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_End})
        QTest::keyClick(pView, key);
    TypeText(" 400");
    EXPECT_TRUE(ActiveDoc()->IsModified());
    QTest::keyClick(pView, Qt::Key_S, Qt::ControlModifier);
    FlushDeletes();
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
    // The superuser may write anywhere: there the saves are made to fail.
    const QString strDir = TempPath("readonly");
    ASSERT_TRUE(QDir().mkdir(strDir));
    ASSERT_TRUE(QFile::setPermissions(strDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (::geteuid() == 0)
        pDoc->GetTextBuffer().SetFileOps(&m_unwritable);
    const QString strTarget = strDir + "/copy.zarn";
    AnswerFileDialogs({strTarget});
    Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(m_listMessages,
              std::vector<QString>{"Cannot save " + strTarget + ": Permission denied"});
    EXPECT_EQ(DocState(pDoc), "form.zarn* path=~/form.zarn file=~/form.zarn gid= idx=");
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
    EXPECT_EQ(Describe(m_listFileRequests[0]),
              "save Zarn Document1.zarn Kestor Files (*.zarn) .zarn");
    EXPECT_EQ(ReadFile(strTarget), QByteArray("man_start_object"));
    // Saving does not set the File Name: that is where the document was opened from.
    EXPECT_EQ(DocState(pDoc), "new.zarn path=~/new.zarn file= gid= idx=");
    EXPECT_EQ(Windows(), "Zarn Editor - new.zarn | new.zarn | menu 129 | 1 docs");
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), strTarget);
    // Save again goes to the same file without asking; a cancelled Save As changes nothing.
    TypeText("!");
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(m_listFileRequests.size(), 1u);
    EXPECT_EQ(ReadFile(strTarget), QByteArray("man_start_object!"));
    Execute(ID_FILE_SAVE_AS);
    ASSERT_EQ(m_listFileRequests.size(), 2u);
    EXPECT_EQ(m_listFileRequests[1].strInitialPath, strTarget);
    EXPECT_EQ(pDoc->GetPathName(), strTarget);
}

// Close, the window's close button and exit ask for every modified document.
TEST_F(FileCommandsTest, ClosingOrExitingAsksToSaveEveryModifiedDocument) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    TypeText("1");
    AnswerMessageBoxes({QMessageBox::Cancel});
    Execute(ID_FILE_CLOSE);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strPath + "?"}));
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_TRUE(ActiveDoc()->IsModified());
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
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    App().OpenDocumentFile(strPath);
    App().OpenDocumentFile(strSecond);
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        pDoc->SetModifiedFlag(true);
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::No, QMessageBox::Cancel});
    Execute(ID_APP_EXIT);
    EXPECT_EQ(m_listMessages.size(), 2u);
    EXPECT_TRUE(MainFrame().isVisible());
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::No, QMessageBox::No});
    Execute(ID_APP_EXIT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strPath + "?",
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
    EXPECT_EQ(Describe(m_listFileRequests[0]),
              "open existing  Kestor Files (*.zarn);;All Files (*) .");
    CSampleDoc* pFirst = ActiveDoc();
    ASSERT_NE(pFirst, nullptr);
    // The same file by another name: through "." and through a symbolic link.
    ASSERT_TRUE(QFile::link(strFirst, TempPath("link.zarn")));
    for (const QString& strOther : {m_dir.path() + "/./first.zarn", TempPath("link.zarn")}) {
        App().OpenDocumentFile(strSecond);
        EXPECT_NE(ActiveDoc(), pFirst);
        EXPECT_EQ(App().OpenDocumentFile(strOther), pFirst);
        EXPECT_EQ(ActiveDoc(), pFirst);
    }
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
    EXPECT_EQ(Action(ID_FILE_MRU_FIRST)->text(), "&1 " + files[4]);
    EXPECT_TRUE(Action(ID_FILE_MRU_FIRST)->isEnabled());
    EXPECT_EQ(Action(ID_FILE_MRU_FIRST + 3)->text(), "&4 " + files[1]);
    EXPECT_EQ(Action(ID_FILE_MRU_FIRST)->statusTip(), "Open this document");

    // A new run reads them back; an entry whose file is gone is reported and dropped.
    StopApp();
    ASSERT_TRUE(QFile::remove(files[3]));
    StartApp();
    EXPECT_EQ(App().GetRecentFileList().GetSize(), 4);
    Execute(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(m_listMessages,
              std::vector<QString>{"Cannot open " + files[3] + ": No such file or directory"});
    EXPECT_EQ(App().GetRecentFileList().GetSize(), 3);
    EXPECT_EQ(App().GetRecentFileList().GetFile(1), files[2]);
    Execute(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(ActiveDoc()->GetPathName(), files[2]);
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), files[2]);
}

// Sends a drag of these data over pTarget at its centre and drops them if it was accepted.
bool DragAndDrop(QWidget* pTarget, QMimeData& data) {
    const QPoint pt = pTarget->rect().center();
    QDragEnterEvent enter(pt, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(pTarget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pt), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &drop);
    return true;
}

TEST_F(FileCommandsTest, FilesDroppedOnTheMainWindowOrAViewOpen) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(strFirst), QUrl::fromLocalFile(strSecond)});
    EXPECT_TRUE(DragAndDrop(&MainFrame(), data));
    ASSERT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strSecond);
    // Dropped on a document's view, files open as well: their names are not text for it.
    const QString strThird = WriteFile("third.zarn", "c\r\n");
    QMimeData third;
    third.setUrls({QUrl::fromLocalFile(strThird)});
    third.setText(strThird);
    CSampleDoc* pSecondDoc = ActiveDoc();
    EXPECT_TRUE(DragAndDrop(ActiveView()->viewport(), third));
    ASSERT_EQ(Docs().GetDocuments().size(), 3u);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strThird);
    EXPECT_EQ(LinesOf(pSecondDoc), QStringList({"b", ""}));
    // Text without files is not the main window's to take.
    QMimeData text;
    text.setText("just text");
    EXPECT_FALSE(DragAndDrop(&MainFrame(), text));
}

const QString BUILD_EXAMPLES = QStringLiteral(ZARN_BUILD_DIR "/examples/");

class ExampleFormTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        SetEditorDirectory(QStringLiteral(ZARN_BUILD_DIR));
        RemoveCopies();
    }

    void TearDown() override {
        CAppTest::TearDown();
        RemoveCopies();
        SetEditorDirectory(QString());
    }

    static QString CopyPath(const QString& strName) {
        return QFileInfo(GetExampleCopyPath()).absoluteDir().filePath(strName);
    }
    static void RemoveCopies() { QDir(CopyPath("")).removeRecursively(); }

    // A copy the user has worked on, beside a records database of the user's.
    static void WriteUserCopies() {
        ASSERT_TRUE(QDir().mkpath(CopyPath("")));
        for (const auto& [strName, bytes] : {std::pair{"example.zarn", "; my own form\r\n"},
                                             std::pair{"MAIN.IDX", "my records"}}) {
            QFile file(CopyPath(strName));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }

    QStringList HelpMenuTexts() {
        return MenuTexts(MainFrame().menuBar()->actions().constLast()->menu());
    }
};

TEST_F(ExampleFormTest, TheFirstTimeTheExampleAndItsDatabaseAreCopiedAndTheCopyOpens) {
    StartApp();
    EXPECT_EQ(HelpMenuTexts(), QStringList({"Open &Example Form", "-", "&About"}));
    EXPECT_EQ(Action(ID_HELP_OPEN_EXAMPLE)->statusTip(), "Open your own copy of the example form");
    EXPECT_EQ(Action(ID_HELP_OPEN_EXAMPLE)->toolTip(), "Open Example Form");
    Execute(ID_HELP_OPEN_EXAMPLE);
    const QString strCopy = GetExampleCopyPath();
    EXPECT_EQ(strCopy, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           "/examples/example.zarn");
    ASSERT_NE(ActiveDoc(), nullptr);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strCopy);
    EXPECT_EQ(ReadFile(strCopy), ReadFile(BUILD_EXAMPLES + "example.zarn"));
    EXPECT_EQ(ReadFile(CopyPath("MAIN.IDX")), ReadFile(BUILD_EXAMPLES + "MAIN.IDX"));
    EXPECT_EQ(HelpMenuTexts(), QStringList({"Open &Example Form", "-", "&About..."}));
    // While the copy is open, even with other bytes on disk, it is only brought forward.
    CSampleDoc* pCopyDoc = ActiveDoc();
    WriteUserCopies();
    Execute(ID_FILE_NEW);
    Execute(ID_HELP_OPEN_EXAMPLE);
    EXPECT_EQ(ActiveDoc(), pCopyDoc);
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_EQ(ReadFile(strCopy), "; my own form\r\n");
    // Closed and unchanged, it opens again without a question.
    Execute(ID_FILE_CLOSE);
    Execute(ID_FILE_CLOSE);
    RemoveCopies();
    Execute(ID_HELP_OPEN_EXAMPLE);
    Execute(ID_FILE_CLOSE);
    Execute(ID_HELP_OPEN_EXAMPLE);
    ASSERT_NE(ActiveDoc(), nullptr);
    EXPECT_EQ(ActiveDoc()->GetPathName(), strCopy);
    EXPECT_TRUE(m_listMessages.empty());
}

TEST_F(ExampleFormTest, AChangedCopyIsReplacedOnlyWhenTheUserSaysSoAndThenKept) {
    struct Case {
        QMessageBox::StandardButton answer;
        bool bOpens;
        QByteArray copy;   // the copy afterwards: "" for the example's bytes
        QByteArray backup; // the copy's backup afterwards: "" for none
    };
    const Case aCases[] = {
        {QMessageBox::Yes, true, "", "; my own form\r\n"},
        {QMessageBox::No, true, "; my own form\r\n", ""},
        {QMessageBox::Cancel, false, "; my own form\r\n", ""},
    };
    const QByteArray example = ReadFile(BUILD_EXAMPLES + "example.zarn");
    const QString strCopy = GetExampleCopyPath();
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.answer);
        RemoveCopies();
        WriteUserCopies();
        m_listMessages.clear();
        StartApp();
        AnswerMessageBoxes({c.answer});
        Execute(ID_HELP_OPEN_EXAMPLE);
        EXPECT_EQ(m_listMessages,
                  std::vector<QString>({"Your copy of the example form, " + strCopy +
                                        ", has changes.\n\nReplace it with the original example? "
                                        "Your copy is kept as " +
                                        strCopy + "~.\nNo opens your copy as it is."}));
        EXPECT_EQ(ReadFile(strCopy), c.copy.isEmpty() ? example : c.copy);
        EXPECT_EQ(ReadFile(strCopy + "~"), c.backup);
        EXPECT_EQ(QFileInfo::exists(strCopy + "~"), !c.backup.isEmpty());
        // The user's records database may hold the user's forms: it is kept.
        EXPECT_EQ(ReadFile(CopyPath("MAIN.IDX")), "my records");
        ASSERT_EQ(ActiveDoc() != nullptr, c.bOpens);
        EXPECT_EQ(c.bOpens ? ActiveDoc()->GetPathName() : strCopy, strCopy);
        StopApp();
    }
}

TEST_F(ExampleFormTest, TheInstalledExamplesServeAnInstalledEditorAndTheirLackIsReported) {
    // An installed editor in PREFIX/bin finds its examples in PREFIX/share/zarneditor/examples.
    const QString strExamples = TempPath("prefix/share/zarneditor/examples");
    ASSERT_TRUE(QDir().mkpath(strExamples));
    ASSERT_TRUE(QDir().mkpath(TempPath("prefix/bin")));
    WriteFile("prefix/share/zarneditor/examples/example.zarn", "; GID 7\r\n");
    WriteFile("prefix/share/zarneditor/examples/MAIN.IDX", "installed records");
    SetEditorDirectory(TempPath("prefix/bin"));
    EXPECT_EQ(FindExamplesDirectory(), strExamples);
    StartApp();
    Execute(ID_HELP_OPEN_EXAMPLE);
    EXPECT_EQ(ReadFile(GetExampleCopyPath()), "; GID 7\r\n");
    EXPECT_EQ(ReadFile(CopyPath("MAIN.IDX")), "installed records");
    ASSERT_NE(ActiveDoc(), nullptr);
    EXPECT_EQ(ActiveDoc()->GetPathName(), GetExampleCopyPath());
    Execute(ID_FILE_CLOSE);
    SetEditorDirectory(TempPath("nowhere/bin"));
    RemoveCopies();
    Execute(ID_HELP_OPEN_EXAMPLE);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Cannot find the example form: neither " +
                                                    TempPath("nowhere/bin/examples") + " nor " +
                                                    TempPath("nowhere/share/zarneditor/examples") +
                                                    " holds example.zarn."}));
    EXPECT_EQ(ActiveDoc(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(GetExampleCopyPath()));
}

} // namespace
