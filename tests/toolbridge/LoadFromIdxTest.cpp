// Load from MAIN.IDX end to end: the two questions, the real grimlet writing the form into the
// editor directory, the document with its record, the user's work that a load must not write
// over, Grimlet failing, and record numbers that hold blanks, slashes or shell characters.
#include "resources/CommandIds.h"
#include "tests/toolbridge/ToolCommandTestSupport.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr char LOADED[] = " loaded (if form does no exist it is created)\n";

class LoadFromIdxTest : public CToolCommandTest {
protected:
    // The editor directory's entries other than grimlet and its argument record, hidden ones
    // included: Grimlet's temporary file must never stay behind.
    QStringList WrittenForms() const {
        QStringList list =
            QDir(EditorDir()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        list.removeAll("grimlet");
        list.removeAll("args");
        return list;
    }
};

TEST_F(LoadFromIdxTest, CancellingEitherQuestionOrAnEmptyNumberDoesNothing) {
    UseFakeGrimlet("touch ran\n");
    const QString strDb = WriteFile("MAIN.IDX", "");
    StartApp();
    MainFrame().AppendOutput("earlier output", false);

    Execute(ID_FILE_LOAD_FROM_IDX); // the file dialog is cancelled
    AnswerFileDialogs({strDb});
    AnswerRecordNumber("1001", false);
    Execute(ID_FILE_LOAD_FROM_IDX);
    AnswerFileDialogs({strDb});
    AnswerRecordNumber("");
    Execute(ID_FILE_LOAD_FROM_IDX);

    EXPECT_FALSE(QFile::exists(EditorPath("ran")));
    EXPECT_TRUE(WrittenForms().isEmpty());
    EXPECT_EQ(Shown(), "earlier output");
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_TRUE(App().GetPendingGid().isEmpty());

    ASSERT_EQ(m_listFileRequests.size(), 3u);
    const FileDialogRequest& request = m_listFileRequests.front();
    EXPECT_FALSE(request.bSave);
    EXPECT_TRUE(request.bMustExist);
    EXPECT_EQ(request.strInitialPath, "*.idx");
    EXPECT_EQ(request.strFilter, "Database Records File (*.idx)");
}

TEST_F(LoadFromIdxTest, RecordOpensAsADocumentWithItsGidAndDatabase) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nmat_width 100\n"}});
    StartApp();
    MainFrame().AppendOutput("earlier output", false);
    Load(strDb, "1001");

    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetPathName(), EditorPath("1001.zarn"));
    EXPECT_EQ(pDoc->GetFileName(), EditorPath("1001.zarn"));
    EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "mat_width 100", ""}));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetGid(), "1001");
    EXPECT_EQ(pDoc->GetIdxPath(), strDb);
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
    EXPECT_TRUE(App().GetPendingIdxPath().isEmpty());
    EXPECT_EQ(Shown(), QString("1001") + LOADED);
    EXPECT_TRUE(m_listMessages.empty());

    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "1001");
    EXPECT_TRUE(MainFrame().QueryCommandUI(ID_ZARN_INSERT).IsEnabled());
}

TEST_F(LoadFromIdxTest, RecordThatIsNotInTheDatabaseOpensAsANewForm) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\n"}});
    StartApp();
    Load(strDb, "32-105");
    ASSERT_NE(ActiveDoc(), nullptr);
    EXPECT_EQ(LinesOf(ActiveDoc()).first(), "; GID 32-105");
    EXPECT_EQ(ActiveDoc()->GetGid(), "32-105");
    EXPECT_EQ(Shown(), QString("32-105") + LOADED);
}

TEST_F(LoadFromIdxTest, LoadingAnOpenRecordThatHoldsTheRecordActivatesItAndTheRecordWaits) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nform 1\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pLoaded = ActiveDoc();
    ASSERT_NE(pLoaded, nullptr);
    Execute(ID_FILE_NEW);
    ASSERT_NE(ActiveDoc(), pLoaded);
    EXPECT_TRUE(ActiveDoc()->GetGid().isEmpty());

    MainFrame().AppendOutput("between loads", true);
    Load(strDb, "1001");
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(ActiveDoc(), pLoaded);
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_FALSE(pLoaded->IsModified());
    EXPECT_FALSE(pLoaded->GetTextBuffer().CanUndo());
    EXPECT_EQ(Shown(), QString("1001") + LOADED);
    EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
    EXPECT_EQ(App().GetPendingGid(), "1001");
    EXPECT_EQ(App().GetPendingIdxPath(), strDb);

    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetGid(), "1001");
    EXPECT_EQ(ActiveDoc()->GetIdxPath(), strDb);
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
}

// Load, type, save, load again: the saved edit stays on disk whatever the answer, and Yes puts
// the record into the document as one undoable edit, whatever its line ends.
TEST_F(LoadFromIdxTest, LoadingAnOpenRecordWithOtherTextAsksBeforeReplacingTheText) {
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        const QString strDb = MakeDatabase(answer == QMessageBox::Yes ? "yes.idx" : "no.idx",
                                           {{"1001", "; GID 1001\r\nform 1\r\n"}});
        StartApp();
        Load(strDb, "1001");
        CSampleDoc* pDoc = ActiveDoc();
        ASSERT_NE(pDoc, nullptr);
        CTextBuffer& buffer = pDoc->GetTextBuffer();
        int nEndLine = 0;
        int nEndChar = 0;
        ASSERT_TRUE(
            buffer.InsertTextAt(nullptr, 1, 0, "edited ", nEndLine, nEndChar, EDITACT_TYPING));
        ASSERT_TRUE(Docs().DoFileSave(pDoc));
        const QByteArray saved = "; GID 1001\r\nedited form 1\r\n";
        ASSERT_EQ(ReadFile(EditorPath("1001.zarn")), saved);
        // Meanwhile the record changed in the database, stored with other line ends.
        const QString strNewer = WriteFile("1001.zarn", "; GID 1001\nform 2\n");
        ASSERT_EQ(RunGrimlet({"add", "-keepComments", strDb, strNewer}), 0);
        Execute(ID_FILE_NEW);
        MainFrame().AppendOutput("between loads", true);
        m_listMessages.clear();

        AnswerMessageBoxes({answer});
        Load(strDb, "1001");
        ASSERT_EQ(m_listMessages.size(), 1u);
        EXPECT_TRUE(m_listMessages[0].contains("Record 1001 in the database differs from the "
                                               "open document " +
                                               EditorPath("1001.zarn")))
            << m_listMessages[0].toStdString();
        EXPECT_EQ(ActiveDoc(), pDoc);
        EXPECT_EQ(Docs().GetDocuments().size(), 2u);
        EXPECT_EQ(ReadFile(EditorPath("1001.zarn")), saved);
        EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
        if (answer == QMessageBox::No) {
            EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "edited form 1", ""}));
            EXPECT_FALSE(pDoc->IsModified());
            EXPECT_EQ(Shown(), "between loads");
        } else {
            EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "form 2", ""}));
            EXPECT_TRUE(pDoc->IsModified());
            EXPECT_EQ(Shown(), QString("1001") + LOADED);
            // Saving writes the record in the document's own line ends.
            ASSERT_TRUE(Docs().DoFileSave(pDoc));
            EXPECT_EQ(ReadFile(EditorPath("1001.zarn")), "; GID 1001\r\nform 2\r\n");
            TextPos ptCaret;
            ASSERT_TRUE(buffer.Undo(ptCaret));
            EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "edited form 1", ""}));
        }
        StopApp();
        QFile::remove(EditorPath("1001.zarn"));
    }
}

// A form file that no document has open: the same bytes are simply opened, other bytes are
// replaced only on Yes, which keeps them as "<name>~".
TEST_F(LoadFromIdxTest, LoadingOverAFileWithOtherBytesAsksBeforeReplacingIt) {
    const QByteArray record = "; GID 1001\nform 1\n";
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", record}});
    struct Case {
        QByteArray present;
        std::vector<QMessageBox::StandardButton> answers;
        bool bAsked;
        bool bReplaced;
    };
    for (const Case& c :
         {Case{record, {}, false, false}, Case{"my work\n", {QMessageBox::No}, true, false},
          Case{"my work\n", {QMessageBox::Yes}, true, true}}) {
        const QString strFile = EditorPath("1001.zarn");
        QFile file(strFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.present);
        file.close();
        StartApp();
        MainFrame().AppendOutput("earlier output", true);
        m_listMessages.clear();

        AnswerMessageBoxes(c.answers);
        Load(strDb, "1001");
        ASSERT_EQ(m_listMessages.size(), c.bAsked ? 1u : 0u);
        if (c.bAsked) {
            EXPECT_EQ(m_listMessages[0], "The file " + strFile +
                                             " differs from record 1001 in the database.\n\n"
                                             "Replace the file with the record from the database? "
                                             "The present file is kept as " +
                                             strFile + "~.");
        }
        EXPECT_EQ(ReadFile(strFile), c.bReplaced ? record : c.present);
        EXPECT_EQ(WrittenForms(), c.bReplaced ? QStringList({"1001.zarn", "1001.zarn~"})
                                              : QStringList({"1001.zarn"}));
        if (c.bReplaced) {
            EXPECT_EQ(ReadFile(strFile + "~"), c.present);
        }
        // The file opens as it now is, with its record.
        ASSERT_NE(ActiveDoc(), nullptr);
        EXPECT_EQ(ActiveDoc()->GetPathName(), strFile);
        EXPECT_EQ(ActiveDoc()->GetGid(), "1001");
        EXPECT_FALSE(ActiveDoc()->IsModified());
        EXPECT_EQ(Shown(),
                  c.bAsked && !c.bReplaced ? QString("earlier output") : QString("1001") + LOADED);
        StopApp();
        QFile::remove(strFile);
        QFile::remove(strFile + "~");
    }
}

TEST_F(LoadFromIdxTest, GrimletFailingShowsItsReportAndAnOlderFormIsNotOpened) {
    // What an earlier load left behind must not pass for this load's result.
    const QString strStale = EditorPath("1001.zarn");
    QFile stale(strStale);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("; GID 1001\nstale 1\n");
    stale.close();
    const QString strNotDb = WriteFile("notes.idx", "not a records database\n");
    StartApp();
    MainFrame().AppendOutput("earlier output", false);

    Load(strNotDb, "1001");
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_TRUE(Shown().startsWith("grimlet: " + strNotDb + ": ")) << (Shown()).toStdString();
    EXPECT_TRUE(Shown().endsWith(u'\n')) << (Shown()).toStdString();
    EXPECT_FALSE(Shown().contains("loaded")) << (Shown()).toStdString();
    EXPECT_EQ(ReadFile(strStale), "; GID 1001\nstale 1\n");
    EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
    EXPECT_EQ(ReadFile(strNotDb), "not a records database\n");
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
    EXPECT_TRUE(m_listMessages.empty());
}

TEST_F(LoadFromIdxTest, GrimletFailingWithoutAWordIsStillReported) {
    const QString strDb = WriteFile("MAIN.IDX", "");
    StartApp();
    for (const QByteArray script : {"exit 3\n", "kill -KILL $$\n"}) {
        UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\n" + script);
        Load(strDb, "1001");
        EXPECT_EQ(Shown(), "Grimlet could not load record 1001 and gave no reason.\n")
            << script.toStdString();
        EXPECT_TRUE(Docs().GetDocuments().empty());
        // What it wrote before it failed is gone with its temporary file.
        EXPECT_TRUE(WrittenForms().isEmpty()) << WrittenForms().join(", ").toStdString();
    }
}

TEST_F(LoadFromIdxTest, GrimletThatCannotBeStartedIsToldInAMessageBoxNamingTheProgram) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\n"}});
    StartApp();
    MainFrame().AppendOutput("earlier output", false);
    RemoveGrimlet();
    Load(strDb, "1001");
    // A grimlet that may not be run fails the same way.
    QFile notExecutable(EditorPath("grimlet"));
    ASSERT_TRUE(notExecutable.open(QIODevice::WriteOnly));
    notExecutable.write("#!/bin/sh\n");
    notExecutable.close();
    Load(strDb, "1001");

    EXPECT_EQ(m_listMessages, std::vector<QString>(2, "Error. Cannot execute Grimlet.exe\n" +
                                                          EditorPath("grimlet")));
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_EQ(Shown(), "earlier output");
    EXPECT_TRUE(WrittenForms().isEmpty());
}

TEST_F(LoadFromIdxTest, RecordsWithBlanksOrSlashesReachGrimletWholeAndNoFileLeavesTheDirectory) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\n"}});
    StartApp();
    for (const QString strRecord : {"12 34", "../1001", "10/01", "/tmp/1001"}) {
        Load(strDb, strRecord);
        // Grimlet names the record it refuses, exactly as it was given.
        EXPECT_TRUE(Shown().contains("\"" + strRecord + "\" is not a record number"))
            << (Shown()).toStdString();
        EXPECT_TRUE(Docs().GetDocuments().empty()) << (strRecord).toStdString();
    }
    EXPECT_TRUE(WrittenForms().isEmpty()) << (WrittenForms().join(", ")).toStdString();
    EXPECT_FALSE(QFile::exists(TempPath("1001.zarn")));
    EXPECT_FALSE(QFile::exists(EditorPath("10/01.zarn")));
    EXPECT_FALSE(QFile::exists("/tmp/1001.zarn"));
}

TEST_F(LoadFromIdxTest, TheRecordReachesGrimletAsOneArgumentWhateverTheFieldLetThrough) {
    // A grimlet that takes any record and writes its form where it is told.
    UseArgumentRecordingGrimlet("printf '; GID any\\n' > \"$4\"\n");
    const QString strDb = WriteFile("my db.idx", "");
    StartApp();
    for (const QString strRecord : {" 12 ?-3 ", "../x", "a/b\"'*`", "$(touch p)", "%2F"}) {
        Load(strDb, strRecord);
        const QStringList listArgs = RecordedArguments();
        ASSERT_EQ(listArgs.size(), 4) << (listArgs.join("|")).toStdString();
        EXPECT_EQ(listArgs[0], "dump");
        EXPECT_EQ(listArgs[1], strDb);
        EXPECT_EQ(listArgs[2], strRecord);
        // Grimlet writes a file of its own beside the form's, which then takes the form's name.
        const QFileInfo outFile(listArgs[3]);
        EXPECT_EQ(outFile.absolutePath(), EditorDir());
        EXPECT_TRUE(outFile.fileName().startsWith("." + RecordFileName(strRecord) + "."))
            << outFile.fileName().toStdString();
        ASSERT_NE(ActiveDoc(), nullptr);
        EXPECT_EQ(ActiveDoc()->GetPathName(), EditorPath(RecordFileName(strRecord)));
        EXPECT_EQ(ActiveDoc()->GetGid(), strRecord);
        EXPECT_EQ(Shown(), strRecord + LOADED);
    }
    EXPECT_EQ(Docs().GetDocuments().size(), 5u);
    EXPECT_EQ(WrittenForms().size(), 5);
    EXPECT_FALSE(QFile::exists(TempPath("x.zarn")));
    EXPECT_FALSE(QFile::exists(EditorPath("p")));
}

TEST_F(LoadFromIdxTest, ClosingTheMainWindowWhileGrimletRunsCancelsTheLoad) {
    UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\ntouch started\nexec sleep 60\n");
    const QString strDb = WriteFile("MAIN.IDX", "");
    StartApp();
    // The window is closed once grimlet has started and written its file.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFile::exists(EditorPath("started")))
            return;
        poll.stop();
        MainFrame().close();
    });
    poll.start();
    Load(strDb, "1001");
    EXPECT_FALSE(poll.isActive());
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(WrittenForms(), QStringList({"started"}));
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
}

TEST(RecordFileName, IsTheRecordWithItsSuffixAndNeverLeavesTheDirectory) {
    EXPECT_EQ(RecordFileName("1234"), "1234.zarn");
    EXPECT_EQ(RecordFileName("32-105"), "32-105.zarn");
    EXPECT_EQ(RecordFileName("12 ?4"), "12 ?4.zarn");
    EXPECT_EQ(RecordFileName("../x"), "..%2Fx.zarn");
    EXPECT_EQ(RecordFileName("/"), "%2F.zarn");
    EXPECT_EQ(RecordFileName(".."), "...zarn");
    EXPECT_EQ(RecordFileName(QString("a\nb") + QChar(0)), "a%0Ab%00.zarn");
    // Two records never share a file.
    EXPECT_NE(RecordFileName("%2F"), RecordFileName("/"));
    EXPECT_EQ(RecordFileName("%2F"), "%252F.zarn");
}

TEST(LoadDirectory, IsTheEditorDirectoryOrElseThePerUserDataDirectory) {
    QTemporaryDir dir;
    SetEditorDirectory(dir.path());
    QString strError;
    EXPECT_EQ(GetLoadDirectory(strError), dir.path());

    SetEditorDirectory(dir.filePath("missing"));
    const QString strData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(GetLoadDirectory(strError), strData) << (strError).toStdString();
    EXPECT_TRUE(QFileInfo(strData).isDir());

    // An installed editor's bin/ is never written, even where the superuser could.
    ASSERT_TRUE(QDir(dir.path()).mkpath("usr/bin") &&
                QDir(dir.path()).mkpath("usr/lib/zarneditor"));
    SetEditorDirectory(dir.filePath("usr/bin"));
    EXPECT_EQ(GetLoadDirectory(strError), strData) << (strError).toStdString();
    SetEditorDirectory(QString());
}

TEST(GrimletProgram, IsTheOneBesideTheEditorElseTheOneOnThePath) {
    QTemporaryDir dir;
    const QString strEditor = dir.filePath("editor");
    const QString strOnPath = dir.filePath("path");
    for (const QString& strDir : {strEditor, strOnPath})
        ASSERT_TRUE(QDir().mkpath(strDir));
    const auto writeFile = [](const QString& strPath, bool bProgram) {
        QFile file(strPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                        (bProgram ? QFile::ExeOwner : QFile::Permissions())));
    };
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", strOnPath.toLocal8Bit());
    SetEditorDirectory(strEditor);

    // Neither: the one beside the editor, which then fails to start.
    EXPECT_EQ(GetGrimletProgram(), strEditor + "/grimlet");
    writeFile(strOnPath + "/grimlet", true);
    EXPECT_EQ(GetGrimletProgram(), strOnPath + "/grimlet");
    // A file that may not be run is passed over.
    writeFile(strEditor + "/grimlet", false);
    EXPECT_EQ(GetGrimletProgram(), strOnPath + "/grimlet");
    writeFile(strEditor + "/grimlet", true);
    EXPECT_EQ(GetGrimletProgram(), strEditor + "/grimlet");

    qputenv("PATH", oldPath);
    SetEditorDirectory(QString());
}

} // namespace
