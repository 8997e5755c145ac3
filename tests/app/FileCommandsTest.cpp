// File commands, recent and dropped files, the example form, files changed by others, and
// crash recovery with real editor processes killed.
#include "app/ExampleForm.h"
#include "app/FileWatch.h"
#include "app/RecentFileList.h"
#include "app/RecoveryStore.h"
#include "buffer/FileOps.h"
#include "buffer/TextLine.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolRunner.h"

#include <cerrno>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>
#include <QUrl>

namespace {

class CUnwritableDirOps : public CFileOps {
public:
    int MakeTemp(std::string&) override {
        errno = EACCES;
        return -1;
    }
};

class FileCommandsTest : public CAppTest {
protected:
    // The active document, the messages and file dialogs so far, and m_strFile's bytes.
    QString Files() {
        return (ActiveDoc() ? DocState(ActiveDoc()) : "-") +
               QString(" | %1 told, %2 asked | ")
                   .arg(m_listMessages.size())
                   .arg(m_listFileRequests.size()) +
               ReadFile(m_strFile).replace("\r\n", "|");
    }
    void SetUp() override {
        CAppTest::SetUp();
        m_fnState = [this] { return Files(); };
    }

    QString m_strFile;
};

// The superuser may write anywhere: there the save is made to fail.
TEST_F(FileCommandsTest, AnEditSavedWithCtrlSChangesOnlyTheEditedBytesAndAFailedSaveNothing) {
    m_strFile = WriteFile("form.zarn", "; GID 1\r\n\tmat_width 320\r\nend\r\n");
    StartApp({m_strFile});
    const QString strDoc = "form.zarn path=~/form.zarn file=~/form.zarn gid= idx=";
    Run("Down End \" 400\"",
        "form.zarn* " + strDoc.mid(10) + " | 0 told, 0 asked | ; GID 1|" + "\tmat_width 320|end|");
    Run("Ctrl+S", strDoc + " | 0 told, 0 asked | ; GID 1|\tmat_width 320 400|end|");
    static CUnwritableDirOps unwritable;
    const QString strDir = TempPath("readonly");
    ASSERT_TRUE(QDir().mkdir(strDir));
    ASSERT_TRUE(QFile::setPermissions(strDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (::geteuid() == 0)
        ActiveDoc()->GetTextBuffer().SetFileOps(&unwritable);
    Run("X >readonly/copy.zarn [Save As...]",
        "form.zarn* " + strDoc.mid(10) + " | 1 told, 1 asked | ; GID 1|\tmat_width 320 400|end|");
    EXPECT_FALSE(QFile::exists(strDir + "/copy.zarn"));
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), m_strFile);
    // A Yes to the save prompt of a save that fails keeps the window open.
    ActiveDoc()->GetTextBuffer().SetFileOps(&unwritable);
    Run("?Yes [Close]",
        "form.zarn* " + strDoc.mid(10) + " | 3 told, 1 asked | ; GID 1|\tmat_width 320 400|end|");
    EXPECT_EQ(m_listMessages[2], "Cannot save " + m_strFile + ": Permission denied");
    QFile::setPermissions(strDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Saving does not set the File Name: that is where the document was opened from.
TEST_F(FileCommandsTest, SavingANewDocumentAsksForAZarnFileName) {
    m_strFile = TempPath("new.zarn");
    StartApp();
    Run("[New] \"man\" >new.zarn [Save]", "new.zarn path=~/new.zarn file= gid= idx= | 0 told, 1 "
                                          "asked | man");
    EXPECT_EQ(Describe(m_listFileRequests[0]),
              "save Zarn Document1.zarn Kestor Files (*.zarn) .zarn");
    EXPECT_EQ(Windows(), "Zarn Editor - new.zarn | new.zarn | menu 129 | 1 docs");
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), m_strFile);
    Run("\"!\" [Save] [Save As...]", "new.zarn path=~/new.zarn file= gid= idx= | 0 told, 2 "
                                     "asked | man!");
    EXPECT_EQ(m_listFileRequests[1].strInitialPath, m_strFile);
}

TEST_F(FileCommandsTest, ClosingOrExitingAsksToSaveEveryModifiedDocument) {
    m_strFile = WriteFile("form.zarn", "abc\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({m_strFile});
    const QString strDoc = " path=~/form.zarn file=~/form.zarn gid= idx= | ";
    Run("\"1\" ?Cancel [Close]", "form.zarn*" + strDoc + "1 told, 0 asked | abc|");
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + m_strFile + "?"}));
    for (const auto answer : {QMessageBox::Cancel, QMessageBox::No}) {
        AnswerMessageBoxes({answer});
        EXPECT_EQ(ActiveFrame()->close(), answer == QMessageBox::No);
        FlushDeletes();
    }
    EXPECT_EQ(Windows(), "Zarn Editor | - | menu 128 | 0 docs");
    Run("", "- | 3 told, 0 asked | abc|");
    App().OpenDocumentFile(m_strFile);
    Run("\"2\" ?Yes [Close]", "- | 4 told, 0 asked | 2abc|");
    App().OpenDocumentFile(m_strFile);
    App().OpenDocumentFile(strSecond);
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        pDoc->SetModifiedFlag(true);
    Run("?No ?Cancel [Exit]", "second.zarn* path=~/second.zarn file=~/second.zarn gid= idx= | 6 "
                              "told, 0 asked | 2abc|");
    EXPECT_TRUE(MainFrame().isVisible());
    Run("?No ?No [Exit]", "- | 8 told, 0 asked | 2abc|");
    EXPECT_EQ(std::vector<QString>(m_listMessages.end() - 2, m_listMessages.end()),
              std::vector<QString>({m_listMessages[0], "Save changes to " + strSecond + "?"}));
    EXPECT_FALSE(MainFrame().isVisible());
    EXPECT_TRUE(MainFrame().GetMdiArea()->subWindowList().isEmpty());
}

// The same file by another name, through "." or a symbolic link, is the open document.
TEST_F(FileCommandsTest, OpenAsksForAZarnFileAndAnOpenFileIsActivatedNotOpenedTwice) {
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    WriteFile("first.zarn", "a\r\n");
    StartApp();
    Run(">first.zarn [Open...]", "first.zarn path=~/first.zarn file=~/first.zarn gid= idx= | 0 "
                                 "told, 1 asked | ");
    EXPECT_EQ(Describe(m_listFileRequests[0]),
              "open existing  Kestor Files (*.zarn);;All Files (*) .");
    CSampleDoc* pFirst = ActiveDoc();
    ASSERT_TRUE(QFile::link(TempPath("first.zarn"), TempPath("link.zarn")));
    for (const QString& strOther : {m_dir.path() + "/./first.zarn", TempPath("link.zarn")}) {
        App().OpenDocumentFile(strSecond);
        EXPECT_NE(ActiveDoc(), pFirst);
        EXPECT_EQ(App().OpenDocumentFile(strOther), pFirst);
        EXPECT_EQ(ActiveDoc(), pFirst);
    }
    EXPECT_EQ(Windows(), "Zarn Editor - first.zarn | first.zarn | menu 129 | 2 docs");
}

// Activating an open file leaves the list as it is; an entry whose file is gone is dropped.
TEST_F(FileCommandsTest, RecentFilesAreKeptInTheSettingsNewestFirst) {
    StartApp();
    for (const char* pszName : {"f1", "f2", "f3", "f4", "f5", "f3"})
        App().OpenDocumentFile(WriteFile(QString(pszName) + ".zarn", "x\r\n"));
    // The list, the settings, the menu's items ("-" hidden), the first one's state and prompt.
    m_fnState = [this] {
        MainFrame().OnIdleUpdateCmdUI();
        QStringList list;
        for (int i = 0; i < App().GetRecentFileList().GetSize(); ++i)
            list << App().GetRecentFileList().GetFile(i);
        for (int i = 1; i <= 5; ++i)
            list << QSettings().value(QString("Recent File List/File%1").arg(i)).toString();
        for (unsigned nId = ID_FILE_MRU_FIRST; nId < ID_FILE_MRU_FIRST + 4; ++nId)
            list << (Action(nId)->isVisible() ? Action(nId)->text() : "-");
        list << QString::number(Action(ID_FILE_MRU_FIRST)->isEnabled()) +
                    Action(ID_FILE_MRU_FIRST)->statusTip();
        return list.join(u' ').replace(m_dir.path() + "/", "");
    };
    const QString strFour = "f5.zarn f4.zarn f3.zarn f2.zarn ";
    Run("", strFour + strFour + " &1 f5.zarn &2 f4.zarn &3 f3.zarn &4 f2.zarn 1Open this document");
    StopApp();
    ASSERT_TRUE(QFile::remove(TempPath("f4.zarn")));
    StartApp();
    const QString strThree = "f5.zarn f3.zarn f2.zarn ";
    Run("", strFour + strFour + " &1 f5.zarn &2 f4.zarn &3 f3.zarn &4 f2.zarn 1Open this document");
    Execute(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(State(),
              strThree + strThree + "  &1 f5.zarn &2 f3.zarn &3 f2.zarn - 1Open this document");
    EXPECT_EQ(m_listMessages, std::vector<QString>{"Cannot open " + TempPath("f4.zarn") +
                                                   ": No such file or directory"});
    Execute(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(ActiveDoc()->GetPathName(), TempPath("f3.zarn"));
    EXPECT_TRUE(State().startsWith("f3.zarn f5.zarn f2.zarn"));
}

// Dropped on a view, files open as well: their names are not text for it.
TEST_F(FileCommandsTest, FilesDroppedOnTheMainWindowOrAViewOpen) {
    StartApp({WriteFile("first.zarn", "a\r\n")});
    CSampleDoc* pFirst = ActiveDoc();
    const auto DragAndDrop = [](QWidget* pTarget, const QStringList& files, const QString& str) {
        QMimeData data;
        for (const QString& strFile : files)
            data.setUrls(data.urls() << QUrl::fromLocalFile(strFile));
        if (!str.isEmpty())
            data.setText(str);
        const QPoint pt = pTarget->rect().center();
        QDragEnterEvent enter(pt, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(pTarget, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(pt), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &drop);
        return true;
    };
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    const QString strThird = WriteFile("third.zarn", "c\r\n");
    EXPECT_TRUE(DragAndDrop(ActiveView()->viewport(), {strSecond}, strSecond));
    EXPECT_EQ(LinesOf(pFirst), QStringList({"a", ""}));
    EXPECT_TRUE(DragAndDrop(
        &MainFrame(), {TempPath("first.zarn"), WriteFile("fourth.zarn", "d\r\n"), strThird}, ""));
    ProcessEvents();
    EXPECT_EQ(Windows(), "Zarn Editor - third.zarn | third.zarn | menu 129 | 4 docs");
    EXPECT_FALSE(DragAndDrop(&MainFrame(), {}, "just text"));
}

const QString BUILD_EXAMPLES = QStringLiteral(ZARN_BUILD_DIR "/examples/");

class ExampleFormTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        SetEditorDirectory(QStringLiteral(ZARN_BUILD_DIR));
        RemoveCopies();
        // The active document's path, the copy and the copy's database; "-" for none.
        m_fnState = [this] {
            QString str = ActiveDoc() ? ActiveDoc()->GetPathName() : "-";
            for (const char* pszName : {"example.zarn", "MAIN.IDX", "example.zarn~"})
                str += " | " + (QFileInfo::exists(CopyPath(pszName))
                                    ? QString::fromLatin1(ReadFile(CopyPath(pszName)).left(30))
                                    : "-");
            return str.replace(CopyPath(""), "~").replace("\r\n", "|");
        };
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
};

// While the copy is open, even with other bytes on disk, it is only brought forward.
TEST_F(ExampleFormTest, TheFirstTimeTheExampleAndItsDatabaseAreCopiedFromTheBuildOrTheInstall) {
    StartApp();
    EXPECT_EQ(MenuTexts(MenuAt(-1)), QStringList({"Open &Example Form", "-", "&About"}));
    Execute(ID_HELP_OPEN_EXAMPLE);
    EXPECT_EQ(GetExampleCopyPath(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                  "/examples/example.zarn");
    EXPECT_EQ(ActiveDoc()->GetPathName(), GetExampleCopyPath());
    EXPECT_EQ(ReadFile(GetExampleCopyPath()), ReadFile(BUILD_EXAMPLES + "example.zarn"));
    EXPECT_EQ(ReadFile(CopyPath("MAIN.IDX")), ReadFile(BUILD_EXAMPLES + "MAIN.IDX"));
    EXPECT_EQ(MenuTexts(MenuAt(-1)), QStringList({"Open &Example Form", "-", "&About..."}));
    WriteUserCopies();
    Run("[New] [Open Example Form]", "~/example.zarn | ; my own form| | my records | -");
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    Run("[Close] [Close]", "- | ; my own form| | my records | -");
    RemoveCopies();
    Run("[Open Example Form] [Close] [Open Example Form]",
        "~/example.zarn | " +
            ReadFile(BUILD_EXAMPLES + "example.zarn").left(30).replace("\r\n", "|") + " | " +
            ReadFile(BUILD_EXAMPLES + "MAIN.IDX").left(30) + " | -");
    EXPECT_TRUE(m_listMessages.empty());
    Execute(ID_FILE_CLOSE);
    RemoveCopies();
    // An installed editor in PREFIX/bin finds its examples in PREFIX/share/zarneditor/examples.
    ASSERT_TRUE(QDir().mkpath(TempPath("prefix/share/zarneditor/examples")));
    ASSERT_TRUE(QDir().mkpath(TempPath("prefix/bin")));
    WriteFile("prefix/share/zarneditor/examples/example.zarn", "; GID 7\r\n");
    WriteFile("prefix/share/zarneditor/examples/MAIN.IDX", "installed records");
    SetEditorDirectory(TempPath("prefix/bin"));
    EXPECT_EQ(FindExamplesDirectory(), TempPath("prefix/share/zarneditor/examples"));
    Run("[Open Example Form]", "~/example.zarn | ; GID 7| | installed records | -");
    Execute(ID_FILE_CLOSE);
    SetEditorDirectory(TempPath("nowhere/bin"));
    RemoveCopies();
    Run("[Open Example Form]", "- | - | - | -");
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Cannot find the example form: neither " +
                                                    TempPath("nowhere/bin/examples") + " nor " +
                                                    TempPath("nowhere/share/zarneditor/examples") +
                                                    " holds example.zarn."}));
}

// The user's records database may hold the user's forms: it is kept.
TEST_F(ExampleFormTest, AChangedCopyIsReplacedOnlyWhenTheUserSaysSoAndThenKept) {
    const QString strExample =
        ReadFile(BUILD_EXAMPLES + "example.zarn").left(30).replace("\r\n", "|");
    const QString strCopy = GetExampleCopyPath();
    for (const auto& [pszAnswer, strState] :
         {std::pair<const char*, QString>{"?Yes", "~/example.zarn | " + strExample +
                                                      " | my records | ; my own form|"},
          {"?No", "~/example.zarn | ; my own form| | my records | -"},
          {"?Cancel", "- | ; my own form| | my records | -"}}) {
        RemoveCopies();
        WriteUserCopies();
        m_listMessages.clear();
        StartApp();
        Run((pszAnswer + std::string(" [Open Example Form]")).c_str(), strState);
        EXPECT_TRUE(std::string_view(pszAnswer) != "?Yes" ||
                    ReadFile(strCopy) == ReadFile(BUILD_EXAMPLES + "example.zarn"));
        EXPECT_EQ(m_listMessages,
                  std::vector<QString>({"Your copy of the example form, " + strCopy +
                                        ", has changes.\n\nReplace it with the original example? "
                                        "Your copy is kept as " +
                                        strCopy + "~.\nNo opens your copy as it is."}));
        StopApp();
    }
}

const QString CHANGED_TAIL = "\nhas been changed by another program.";
const QString RELOAD_QUESTION =
    "\n\nReload it and lose your changes (Undo brings them back), or keep your text?";

class FileWatchTest : public CAppTest {
protected:
    // Runs a shell command line as another program would: %1 holds bytes, %2 is strPath.
    void RunShell(const char* pszLine, const QString& strPath = {}, const QByteArray& bytes = {}) {
        const QString strIncoming = m_elsewhere.filePath(QStringLiteral("incoming"));
        QFile file(strIncoming);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const QString strLine =
            QString::fromLatin1(pszLine).replace("%1", strIncoming).replace("%2", strPath);
        ASSERT_EQ(QProcess::execute("/bin/sh", {"-c", strLine}), 0) << strLine.toStdString();
    }
    // Gives the watcher time to report what it saw: long enough for one settled check.
    static void LetTheWatcherSettle() { QTest::qWait(5 * CFileWatch::SETTLE_TIME); }
    static bool WaitForLines(CSampleDoc* pDoc, const QStringList& lines) {
        return QTest::qWaitFor([&] { return LinesOf(pDoc) == lines; }, 10000);
    }
    bool WaitForMessages(size_t nCount) {
        return QTest::qWaitFor([&] { return m_listMessages.size() >= nCount; }, 10000);
    }

    QTemporaryDir m_elsewhere;
};

// A rename replaces the watched file: the watch must follow it to the next one.
TEST_F(FileWatchTest, AnUnmodifiedDocumentFollowsItsFileRewrittenOrReplacedByAnotherProcess) {
    const QString strPath = WriteFile("form.zarn", "a\r\nb\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    ActiveView()->PutCaretAt({1, 1});
    const std::tuple<const char*, QByteArray, QStringList, TextPos> cases[] = {
        {"cp '%1' '%2'", "a\r\nb changed\r\n", {"a", "b changed", ""}, {1, 1}},
        {"mv '%1' '%2'", "replaced\r\nb changed\r\n", {"replaced", "b changed", ""}, {1, 1}},
        {"mv '%1' '%2'", "replaced again\r\n", {"replaced again", ""}, {0, 1}},
        {"cat '%1' > '%2'", "rewritten", {"rewritten"}, {0, 0}},
    };
    for (const auto& [pszCommand, bytes, lines, ptCaret] : cases) {
        SCOPED_TRACE(pszCommand);
        RunShell(pszCommand, strPath, bytes);
        EXPECT_TRUE(WaitForLines(pDoc, lines));
        EXPECT_FALSE(pDoc->IsModified());
        EXPECT_EQ(ActiveView()->GetCaretTextPos(), ptCaret);
        EXPECT_EQ(ActiveFrame()->windowTitle(), "form.zarn");
    }
    EXPECT_TRUE(m_listMessages.empty());
    for (int i = static_cast<int>(std::size(cases)) - 2; i >= 0; --i) {
        EXPECT_EQ(MainFrame().QueryCommandUI(ID_EDIT_UNDO).GetText(), "&Undo Reload\tCtrl+Z");
        Execute(ID_EDIT_UNDO);
        EXPECT_EQ(LinesOf(pDoc), std::get<2>(cases[i]));
        EXPECT_TRUE(pDoc->IsModified());
    }
}

TEST_F(FileWatchTest, AReloadKeepsCaretScrollAndBookmarksByLineAndUndoesAsOneStep) {
    QByteArray original, changed = "first\nx\ry\n";
    for (int i = 0; i < 100; ++i)
        original += "line " + QByteArray::number(i) + QByteArray(i == 44 ? 300 : 0, '-') + "\r\n";
    for (int i = 2; i < 70; ++i)
        changed += "line " + QByteArray::number(i) + QByteArray(i == 44 ? 300 : 0, '-') + "\n";
    const QString strPath = WriteFile("form.zarn", original);
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    CSampleView* pView = ActiveView();
    CTextBuffer& buffer = pDoc->GetTextBuffer();
    pView->PutCaretAt({3, 45});
    pView->ScrollToTopLine(40, true);
    pView->ScrollToColumn(20, true);
    buffer.ChangeLineFlag(45, LineFlagMark(1), true);
    buffer.ChangeLineFlag(60, LINEFLAG_BOOKMARK, true, false);
    buffer.ChangeLineFlag(90, LINEFLAG_BOOKMARK, true, false);
    RunShell("cp '%1' '%2'", strPath, changed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return buffer.GetLineCount() == 71; }, 10000));
    EXPECT_EQ(LinesOf(pDoc).mid(0, 3), QStringList({"first", "x\ry", "line 2"}));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{3, 45}));
    EXPECT_EQ(QList({pView->GetFirstVisibleLine(), pView->GetFirstVisibleColumn(),
                     pView->verticalScrollBar()->value(), pView->horizontalScrollBar()->value()}),
              QList({40, 20, 40, 20}));
    EXPECT_EQ(buffer.FindLineWithSingleFlag(LineFlagMark(1)), 45);
    EXPECT_EQ(buffer.FindNextMarkedLine(0), 60);
    EXPECT_EQ(buffer.FindNextMarkedLine(61), 60); // the line 90 has gone with its bookmark
    EXPECT_FALSE(pDoc->IsModified());
    Execute(ID_EDIT_UNDO);
    EXPECT_EQ(buffer.GetLineCount(), 101);
    EXPECT_EQ(LinesOf(pDoc).mid(0, 2), QStringList({"line 0", "line 1"}));
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_FALSE(buffer.CanUndo());
    Execute(ID_EDIT_REDO);
    EXPECT_EQ(LinesOf(pDoc).mid(0, 3), QStringList({"first", "x\ry", "line 2"}));
    EXPECT_EQ(buffer.GetLineCount(), 71);
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(strPath), changed);
}

// At the end the folder comes back with a new file that nothing watches: activation finds it.
TEST_F(FileWatchTest, AModifiedDocumentAsksAboutChangesAndADeletedOneIsToldOnce) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub"));
    const QString strPath = WriteFile("sub/form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    m_fnState = [&] {
        return QString("%1 told, ").arg(m_listMessages.size()) + DocState(pDoc).left(10) +
               LinesOf(pDoc).join(u'|');
    };
    Press(ActiveView(), "X");
    AnswerMessageBoxes({QMessageBox::No});
    RunShell("cp '%1' '%2'", strPath, "theirs 1\r\n");
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_listMessages[0], strPath + CHANGED_TAIL + RELOAD_QUESTION);
    LetTheWatcherSettle();
    EXPECT_EQ(State(), "1 told, form.zarn*xabc|");
    AnswerMessageBoxes({QMessageBox::Yes});
    RunShell("mv '%1' '%2'", strPath, "theirs 2\r\n");
    ASSERT_TRUE(WaitForLines(pDoc, {"theirs 2", ""}));
    EXPECT_EQ(State(), "2 told, form.zarn theirs 2|");
    Run("[Undo]", "2 told, form.zarn*xabc|");
    Execute(ID_FILE_SAVE);
    RunShell("rm '%2'", strPath);
    ASSERT_TRUE(WaitForMessages(3));
    EXPECT_EQ(m_listMessages[2], strPath + "\nhas been deleted by another program.\n\nThe document "
                                           "stays open and modified: Save writes the file again.");
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    LetTheWatcherSettle();
    EXPECT_EQ(State(), "3 told, form.zarn*xabc|");
    EXPECT_EQ(ActiveFrame()->windowTitle(), "form.zarn*");
    Run("[Save]", "3 told, form.zarn xabc|");
    EXPECT_TRUE(m_listFileRequests.empty());
    EXPECT_EQ(ReadFile(strPath), QByteArray("xabc\r\n"));
    LetTheWatcherSettle();
    RunShell("rm -r \"$(dirname '%2')\"", strPath);
    ASSERT_TRUE(WaitForMessages(4));
    RunShell("mkdir \"$(dirname '%2')\" && printf 'back\\r\\n' > '%2'", strPath);
    LetTheWatcherSettle();
    EXPECT_EQ(State(), "4 told, form.zarn*xabc|");
    AnswerMessageBoxes({QMessageBox::Yes});
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(WaitForLines(pDoc, {"back", ""}));
    EXPECT_TRUE(m_listMessages[4].endsWith(RELOAD_QUESTION));
    EXPECT_EQ(State(), "5 told, form.zarn back|");
}

// A tool that writes the file while it runs (as Grimlet does) is left to finish first.
TEST_F(FileWatchTest, TheEditorsOwnWritesAreNotTakenForAnotherProgramsChange) {
    StartApp({WriteFile("form.zarn", "abc\r\n")});
    CSampleDoc* pDoc = ActiveDoc();
    Press(ActiveView(), "X");
    Execute(ID_FILE_SAVE);
    AnswerFileDialogs({TempPath("other.zarn")});
    Execute(ID_FILE_SAVE_AS);
    Press(ActiveView(), "Y");
    Execute(ID_FILE_SAVE);
    LetTheWatcherSettle();
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(pDoc->GetTextBuffer().GetUndoStepCount(), 2);
    EXPECT_EQ(ReadFile(TempPath("other.zarn")), QByteArray("xyabc\r\n"));

    bool bAskedWhileRunning = false;
    SetMessageBoxHandler([&](const QString& strText, QMessageBox::StandardButtons) {
        bAskedWhileRunning = bAskedWhileRunning || CToolRunner::IsAnyRunning();
        m_listMessages.push_back(strText);
        return QMessageBox::No;
    });
    Press(ActiveView(), "Z");
    CToolRunner runner(
        "/bin/sh", {"-c", QStringLiteral("printf tool > '%1'; sleep 1").arg(pDoc->GetPathName())},
        nullptr);
    runner.Run();
    EXPECT_EQ(runner.GetResult(), TOOLRUN_SUCCEEDED);
    EXPECT_FALSE(bAskedWhileRunning);
    // Nobody settled it here: once the run is over, the change counts.
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_TRUE(m_listMessages[0].startsWith(TempPath("other.zarn") + CHANGED_TAIL));
}

constexpr int WAIT_MS = 30000;

// The recovery files in a folder, those of documents titled strTitle... if it is given.
QStringList RecoveryFiles(const QString& strFolder, const QString& strTitle = "") {
    QStringList list;
    for (const QString& strName : QDir(strFolder).entryList({strTitle + "*.recovery"}, QDir::Files))
        list.append(strFolder + u'/' + strName);
    return strFolder.isEmpty() ? QStringList() : list;
}

void Modify(CTextBuffer& buffer, const char* pszText) {
    int nEndLine = 0, nEndChar = 0;
    ASSERT_TRUE(buffer.InsertTextAt(nullptr, 0, 0, pszText, nEndLine, nEndChar, EDITACT_TYPING));
}

// The text a recovery file holds, after "PATH|TITLE|EOL STYLE|" from its header.
QByteArray Recovered(const QString& strFile) {
    RecoveryRecord record;
    EXPECT_TRUE(CRecoveryStore::ReadRecord(strFile, record)) << strFile.toStdString();
    QTemporaryFile text;
    EXPECT_TRUE(text.open());
    EXPECT_TRUE(CRecoveryStore::ExtractText(record, text.fileName()));
    return (record.strOriginalPath + u'|' + record.strTitle + u'|' +
            QString::number(record.nEolStyle) + u'|')
               .toUtf8() +
           text.readAll();
}

class RecoveryTest : public CAppTest {
protected:
    QString OwnFolder() { return App().GetRecoveryStore()->GetFolder(); }

    // What this editor would leave if it ended now, abnormally: its folder, locked by nobody.
    QString LeaveAsCrashed() {
        const QString strCopy = m_strRecoveryRoot + "/editor-crashed";
        EXPECT_TRUE(QDir().mkdir(strCopy));
        for (const QString& strFile : QDir(OwnFolder()).entryList(QDir::Files))
            EXPECT_TRUE(QFile::copy(OwnFolder() + u'/' + strFile, strCopy + u'/' + strFile));
        return strCopy;
    }

    CSampleDoc* FindDoc(const QString& strTitle) {
        for (CSampleDoc* pDoc : Docs().GetDocuments()) {
            if (pDoc->GetTitle() == strTitle)
                return pDoc;
        }
        return nullptr;
    }
};

TEST(RecoveryWriteDueTest, ASecondAfterThePauseAndNoLaterThanFiveSecondsOrTwentyWrites) {
    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point tFirst;
    // The last change and the last write's length, in ms after the first change; when due.
    const int cases[][3] = {
        {0, 0, 1000},      // one change: a second later
        {2500, 0, 3500},   // the typing pauses
        {4800, 0, 5000},   // the typing goes on: five seconds after the first change
        {4800, 100, 5000}, // a write of a tenth of a second changes nothing
        {9000, 400, 8000}, // one of 0.4 s: twenty times that
        {6000, 400, 7000}, // unless the typing pauses first
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecoveryWriteDue(tFirst, tFirst + milliseconds(c[0]), milliseconds(c[1])),
                  tFirst + milliseconds(c[2]))
            << c[0] << " " << c[1];
}

// Typing that goes on all along puts a document's file off a few seconds at most.
TEST_F(RecoveryTest, AModifiedDocumentsTextIsKeptUntilItIsSavedOrClosed) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleView* pTyped = ActiveView();
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [pTyped] { QTest::keyClick(pTyped, Qt::Key_A); });
    typist.start(250);
    const QString strPath = WriteFile("form.zarn", QByteArray("a\0b\nc\rd\n", 8));
    CSampleDoc* pDoc = App().OpenDocumentFile(strPath);
    Press(ActiveView(), "X");
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder(), "form.zarn").isEmpty(); },
                                WAIT_MS));
    EXPECT_EQ(Recovered(RecoveryFiles(OwnFolder(), "form.zarn").front()),
              strPath.toUtf8() + "|form.zarn|" + QByteArray::number(EOL_LF) + "|" +
                  QByteArray("xa\0b\nc\rd\n", 9));
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    Press(ActiveView(), "Y");
    pDoc->WriteRecoveryNow();
    EXPECT_EQ(RecoveryFiles(OwnFolder(), "form.zarn").size(), 1);
    AnswerMessageBoxes({QMessageBox::No});
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder()).isEmpty(); }, 15000));
    typist.stop();
    EXPECT_TRUE(Recovered(RecoveryFiles(OwnFolder()).front()).startsWith("|Zarn Document1|"));
    const QString strFolder = OwnFolder();
    StopApp();
    EXPECT_FALSE(QFileInfo::exists(strFolder));
    EXPECT_TRUE(QDir(m_strRecoveryRoot).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

// The first file is open again when the offer comes; another running editor's is never offered.
TEST_F(RecoveryTest, RecoverOpensTheExactBytesAsModifiedDocumentsAndDiscardDeletesThem) {
    CRecoveryStore other(m_strRecoveryRoot);
    ASSERT_TRUE(other.Open());
    CTextBuffer theirs;
    theirs.InitEmpty(EOL_CRLF);
    Modify(theirs, "theirs");
    const QString strTheirs = other.NewFileName("theirs.zarn");
    ASSERT_TRUE(other.Write(strTheirs, theirs, "/forms/theirs.zarn", "theirs.zarn"));
    const QString strFirst = WriteFile("first.zarn", QByteArray("one\0\n\rtwo\n\r", 11));
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    EXPECT_TRUE(m_listMessages.empty());
    Execute(ID_FILE_NEW);
    for (const auto& [pszTitle, pszText] :
         {std::pair{"first.zarn", "x"}, {"second.zarn", "y"}, {"Zarn Document1", "new"}}) {
        Modify(FindDoc(pszTitle)->GetTextBuffer(), pszText);
        FindDoc(pszTitle)->WriteRecoveryNow();
    }
    QString strCrashed = LeaveAsCrashed();
    StopApp();
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp({strFirst});
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].startsWith("Zarn Editor ended without saving these documents:"));
    for (const QString& strLine : {strFirst, strSecond, QString("Zarn Document1 (never saved)")})
        EXPECT_TRUE(m_listMessages[0].contains("\n" + strLine + "\n")) << strLine.toStdString();
    EXPECT_FALSE(m_listMessages[0].contains("theirs"));
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    ASSERT_EQ(Docs().GetDocuments().size(), 3u);
    EXPECT_EQ(RecoveryFiles(OwnFolder()).size(), 3);
    CSampleDoc* pFirst = FindDoc("first.zarn");
    ASSERT_TRUE(pFirst && FindDoc("second.zarn") && FindDoc("Zarn Document1"));
    EXPECT_EQ(DocState(pFirst), "first.zarn* path=~/first.zarn file=~/first.zarn gid= idx=");
    EXPECT_EQ(DocState(FindDoc("second.zarn")), "second.zarn* path=~/second.zarn file= gid= idx=");
    EXPECT_EQ(DocState(FindDoc("Zarn Document1")), "Zarn Document1* path= file= gid= idx=");
    TextPos ptCaret;
    ASSERT_TRUE(pFirst->GetTextBuffer().Undo(ptCaret));
    EXPECT_EQ(LinesOf(pFirst), QStringList({QString::fromLatin1("one\0", 4), "two", ""}));
    ASSERT_TRUE(pFirst->GetTextBuffer().Redo(ptCaret));
    AnswerFileDialogs({TempPath("new.zarn")});
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        EXPECT_TRUE(Docs().DoFileSave(pDoc));
    EXPECT_EQ(ReadFile(strFirst), QByteArray("xone\0\n\rtwo\n\r", 12));
    EXPECT_EQ(ReadFile(strSecond), QByteArray("yb\r\n"));
    EXPECT_EQ(ReadFile(TempPath("new.zarn")), QByteArray("new"));
    EXPECT_TRUE(RecoveryFiles(OwnFolder()).isEmpty());

    Modify(pFirst->GetTextBuffer(), "z");
    pFirst->WriteRecoveryNow();
    strCrashed = LeaveAsCrashed();
    StopApp();
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::Discard});
    StartApp();
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].contains("\n" + strFirst + "\n"));
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    EXPECT_EQ(Recovered(strTheirs),
              "/forms/theirs.zarn|theirs.zarn|" + QByteArray::number(EOL_CRLF) + "|theirs");
    StopApp();
    StartApp();
    EXPECT_EQ(m_listMessages.size(), 1u);
}

// Real editors, run as their own processes with their own data folder.
class RecoveryProcessTest : public RecoveryTest {
protected:
    void TearDown() override {
        for (const std::unique_ptr<QProcess>& pEditor : m_listEditors)
            pEditor->kill();
        RecoveryTest::TearDown();
    }

    QProcess& StartEditor(const QStringList& listArgs) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", m_data.path());
        env.insert("XDG_CONFIG_HOME", m_data.path() + "/config");
        auto& pEditor = m_listEditors.emplace_back(std::make_unique<QProcess>());
        pEditor->setProcessEnvironment(env);
        pEditor->setProcessChannelMode(QProcess::ForwardedChannels);
        pEditor->start(QStringLiteral(ZARN_BUILD_DIR "/zarneditor"), listArgs);
        EXPECT_TRUE(pEditor->waitForStarted());
        return *pEditor;
    }

    // The recovery folders of the editors, where they keep them, each "NAME:FILES".
    QStringList Folders() {
        const QString strRoot = m_data.path() + "/ZarnEditor/Zarn Editor/recovery";
        QStringList list = QDir(strRoot).entryList({"editor-*"}, QDir::Dirs);
        for (QString& strName : list)
            strName += ":" + QString::number(RecoveryFiles(strRoot + u'/' + strName).size());
        return list;
    }

    QTemporaryDir m_data;
    std::vector<std::unique_ptr<QProcess>> m_listEditors;
};

// Another program deletes the file: the editor keeps the text, unsaved, until it is killed.
TEST_F(RecoveryProcessTest, AKilledEditorsUnsavedTextIsRecoveredByteForByte) {
    ASSERT_TRUE(m_data.isValid());
    // LF line ends with a NUL and a carriage return inside lines.
    const QByteArray first("; GID 1\nnul\0here\nwith\rcr\n", 25);
    const QString strFirst = WriteFile("first.zarn", first);
    StartEditor({strFirst});
    // Opened, the file joins the recent files in the editor's settings.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return ReadFile(m_data.path() + "/config/ZarnEditor/Zarn Editor.conf")
                .contains("first.zarn");
        },
        WAIT_MS));
    ASSERT_TRUE(QFile::remove(strFirst));
    const auto OneFolderWithAFile = [this](const QStringList& listNot) {
        const QStringList list = Folders();
        return list.size() == 1 && list[0].endsWith(":1") && list != listNot;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return OneFolderWithAFile({}); }, WAIT_MS));
    m_listEditors[0]->kill();
    m_listEditors[0]->waitForFinished();
    const QStringList listKilled = Folders();
    QProcess& editor2 = StartEditor({"--recover"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return OneFolderWithAFile(listKilled); }, WAIT_MS));
    editor2.kill();
    editor2.waitForFinished();
    const QString strRoot = m_data.path() + "/ZarnEditor/Zarn Editor/recovery";
    const QStringList folders = QDir(strRoot).entryList({"editor-*"}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(Recovered(RecoveryFiles(strRoot + u'/' + folders[0]).front()),
              strFirst.toUtf8() + "|first.zarn|" + QByteArray::number(EOL_LF) + "|" + first);
    // Recovered here, the document saves its file back as it was.
    m_strRecoveryRoot = strRoot;
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp();
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_TRUE(ActiveDoc()->IsModified() && Docs().DoFileSave(ActiveDoc()));
    EXPECT_EQ(ReadFile(strFirst), first);
}

} // namespace
