// Load from MAIN.IDX end to end: the two questions, the real grimlet writing the form into the
// editor directory, the document with its record, the user's work that a load must not write
// over, Grimlet failing, and record numbers that hold blanks, slashes or shell characters.
#include "ToolTestSupport.h"
#include "resources/CommandIds.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr char LOADED[] = " loaded (if form does no exist it is created)\n";

class LoadFromIdxTest : public CToolCommandTest {
protected:
    // The editor directory's entries other than grimlet and its argument record, hidden ones
    // included: Grimlet's temporary file must never stay behind.
    QStringList WrittenForms() const {
        QStringList list =
            QDir(TempPath("editor")).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        list.removeAll("grimlet");
        list.removeAll("args");
        return list;
    }
    // Starts the application with this text in the Output pane.
    void Start(const QString& strOutput = "earlier output") {
        StartApp();
        MainFrame().AppendOutput(strOutput, false);
    }
};

TEST_F(LoadFromIdxTest, CancellingEitherQuestionOrAnEmptyNumberDoesNothing) {
    UseFakeGrimlet("touch ran\n");
    const QString strDb = WriteFile("MAIN.IDX", "");
    Start();
    Execute(ID_FILE_LOAD_FROM_IDX); // the file dialog is cancelled
    AnswerFileDialogs({strDb});
    AnswerRecordNumber("1001", false);
    Execute(ID_FILE_LOAD_FROM_IDX);
    AnswerFileDialogs({strDb});
    AnswerRecordNumber("");
    Execute(ID_FILE_LOAD_FROM_IDX);

    EXPECT_FALSE(QFile::exists(EditorPath("ran")));
    EXPECT_TRUE(WrittenForms().isEmpty());
    EXPECT_EQ(State(), "pane: earlier output");
    ASSERT_EQ(m_listFileRequests.size(), 3u);
    const FileDialogRequest& request = m_listFileRequests.front();
    EXPECT_FALSE(request.bSave);
    EXPECT_TRUE(request.bMustExist);
    EXPECT_EQ(request.strInitialPath, "*.idx");
    EXPECT_EQ(request.strFilter, "Database Records File (*.idx)");
}

// A record in the database, and one that is not (a new form), open as documents with their
// record and database.
TEST_F(LoadFromIdxTest, RecordOpensAsADocumentWithItsGidAndDatabase) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nmat_width 100\n"}});
    Start();
    for (const auto& [strRecord, listLines, strDocs] :
         {std::tuple{QString("1001"), QStringList{"; GID 1001", "mat_width 100", ""},
                     QString("*editor/1001.zarn 1001 MAIN.IDX\n")},
          std::tuple{QString("32-105"), QStringList{"; GID 32-105", ""},
                     QString("editor/1001.zarn 1001 MAIN.IDX\n*editor/32-105.zarn 32-105 "
                             "MAIN.IDX\n")}}) {
        Load(strDb, strRecord);
        EXPECT_EQ(State(), strDocs + "pane: " + strRecord + LOADED);
        ASSERT_NE(ActiveDoc(), nullptr);
        EXPECT_EQ(ActiveDoc()->GetFileName(), EditorPath(strRecord + ".zarn"));
        EXPECT_EQ(LinesOf(ActiveDoc()), listLines);
        MainFrame().OnIdleUpdateCmdUI();
        EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), strRecord);
        EXPECT_TRUE(MainFrame().QueryCommandUI(ID_ZARN_INSERT).IsEnabled());
    }
}

// The open document is activated, and the record waits for the next new document.
TEST_F(LoadFromIdxTest, LoadingAnOpenRecordThatHoldsTheRecordActivatesItAndTheRecordWaits) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nform 1\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pLoaded = ActiveDoc();
    ASSERT_NE(pLoaded, nullptr);
    Execute(ID_FILE_NEW);
    MainFrame().AppendOutput("between loads", true);
    const QString strLoaded = "editor/1001.zarn 1001 MAIN.IDX\n";
    EXPECT_EQ(State(), strLoaded + "*Zarn Document1  \npane: between loads");
    Load(strDb, "1001");
    EXPECT_EQ(State(),
              "*" + strLoaded + "Zarn Document1  \nwaiting 1001 MAIN.IDX\npane: 1001" + LOADED);
    EXPECT_FALSE(pLoaded->GetTextBuffer().CanUndo());
    EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
    Execute(ID_FILE_NEW);
    EXPECT_EQ(State(),
              strLoaded + "Zarn Document1  \n*Zarn Document2 1001 MAIN.IDX\npane: 1001" + LOADED);
}

// Load, type, save, load again: the saved edit stays on disk whatever the answer, and Yes puts
// the record into the document as one undoable edit, whatever its line ends.
TEST_F(LoadFromIdxTest, LoadingAnOpenRecordWithOtherTextAsksBeforeReplacingTheText) {
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        const bool bYes = answer == QMessageBox::Yes;
        const QString strDb =
            MakeDatabase(bYes ? "yes.idx" : "no.idx", {{"1001", "; GID 1001\r\nform 1\r\n"}});
        StartApp();
        Load(strDb, "1001");
        CSampleDoc* pDoc = ActiveDoc();
        ASSERT_NE(pDoc, nullptr);
        CTextBuffer& buffer = pDoc->GetTextBuffer();
        Type(pDoc, 1, "edited ");
        ASSERT_TRUE(Docs().DoFileSave(pDoc));
        const QByteArray saved = "; GID 1001\r\nedited form 1\r\n";
        ASSERT_EQ(ReadFile(EditorPath("1001.zarn")), saved);
        // Meanwhile the record changed in the database, stored with the same line ends or others.
        const QString strNewer =
            WriteFile("1001.zarn", bYes ? "; GID 1001\nform 2\n" : "; GID 1001\r\nform 2\r\n");
        ASSERT_EQ(RunGrimlet({"add", "-keepComments", strDb, strNewer}), 0);
        Execute(ID_FILE_NEW);
        MainFrame().AppendOutput("between loads", true);
        m_listMessages.clear();

        AnswerMessageBoxes({answer});
        Load(strDb, "1001");
        EXPECT_EQ(State(), "*editor/1001.zarn 1001 " + QFileInfo(strDb).fileName() +
                               (bYes ? " modified" : "") + "\nZarn Document1  \nwaiting 1001 " +
                               QFileInfo(strDb).fileName() +
                               "\nmessage: Record 1001 in the database differs "
                               "from the open document " +
                               EditorPath("1001.zarn") +
                               ".\n\nReplace the document's text with the record from the "
                               "database? Undo brings the present text back; the file changes "
                               "only when the document is saved.\npane: " +
                               (bYes ? "1001" + QString(LOADED) : "between loads"));
        EXPECT_EQ(ReadFile(EditorPath("1001.zarn")), saved);
        EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
        EXPECT_EQ(LinesOf(pDoc),
                  QStringList({"; GID 1001", bYes ? "form 2" : "edited form 1", ""}));
        if (bYes) {
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
    const QString strFile = EditorPath("1001.zarn");
    for (const auto& [present, answers] :
         {std::pair{record, std::vector<QMessageBox::StandardButton>{}},
          std::pair{QByteArray("my work\n"), std::vector{QMessageBox::No}},
          std::pair{QByteArray("my work\n"), std::vector{QMessageBox::Yes}}}) {
        const bool bAsked = !answers.empty();
        const bool bReplaced = bAsked && answers[0] == QMessageBox::Yes;
        WriteFile("editor/1001.zarn", present);
        // The form keeps the permissions of the file it replaces.
        const auto permissions =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        ASSERT_TRUE(QFile::setPermissions(strFile, permissions));
        Start();
        m_listMessages.clear();
        AnswerMessageBoxes(answers);
        Load(strDb, "1001");
        const QString strAsked = "message: The file " + strFile +
                                 " differs from record 1001 in the database.\n\nReplace the file "
                                 "with the record from the database? The present file is kept as " +
                                 strFile + "~.\n";
        // The file opens as it now is, with its record.
        EXPECT_EQ(State(),
                  "*editor/1001.zarn 1001 MAIN.IDX\n" + (bAsked ? strAsked : "") + "pane: " +
                      (bAsked && !bReplaced ? "earlier output" : "1001" + QString(LOADED)));
        EXPECT_EQ(ReadFile(strFile), bReplaced ? record : present);
        EXPECT_EQ(WrittenForms(), bReplaced ? QStringList({"1001.zarn", "1001.zarn~"})
                                            : QStringList({"1001.zarn"}));
        EXPECT_EQ(ReadFile(strFile + "~"), bReplaced ? present : QByteArray());
        EXPECT_EQ(QFile::permissions(strFile), permissions);

        StopApp();
        QFile::remove(strFile);
        QFile::remove(strFile + "~");
    }
}

// Grimlet's report is shown, or a line saying it gave none; neither what an earlier load left
// behind nor what Grimlet wrote before it failed passes for a form. A grimlet that cannot be
// started is told in a message box.
TEST_F(LoadFromIdxTest, GrimletFailingShowsItsReportAndNoFormOpens) {
    const QString strStale = WriteFile("editor/1001.zarn", "; GID 1001\nstale 1\n");
    const QString strNotDb = WriteFile("notes.idx", "not a records database\n");
    Start();
    Load(strNotDb, "1001");
    EXPECT_TRUE(State().startsWith("pane: grimlet: " + strNotDb + ": ")) << Shown().toStdString();
    EXPECT_TRUE(Shown().endsWith(u'\n')) << Shown().toStdString();
    EXPECT_FALSE(Shown().contains("loaded")) << Shown().toStdString();
    EXPECT_EQ(ReadFile(strStale), "; GID 1001\nstale 1\n");
    EXPECT_EQ(WrittenForms(), QStringList({"1001.zarn"}));
    EXPECT_EQ(ReadFile(strNotDb), "not a records database\n");

    QFile::remove(strStale);
    for (const QByteArray script : {"exit 3\n", "kill -KILL $$\n"}) {
        UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\n" + script);
        Load(strNotDb, "1001");
        EXPECT_EQ(State(), "pane: Grimlet could not load record 1001 and gave no reason.\n")
            << script.toStdString();
        EXPECT_TRUE(WrittenForms().isEmpty()) << WrittenForms().join(", ").toStdString();
    }
    // A grimlet that says it succeeded but left no form, with a file in its place or none.
    UseFakeGrimlet("rm \"$4\"\n");
    MainFrame().AppendOutput("earlier output", true);
    for (const bool bPresent : {false, true}) {
        if (bPresent)
            WriteFile("editor/1001.zarn", "; GID 1001\nmy work\n");
        m_listMessages.clear();
        Load(strNotDb, "1001");
        EXPECT_EQ(State(), "message: Cannot replace " + EditorPath("1001.zarn") +
                               ": No such file or directory\npane: earlier output");
        EXPECT_EQ(ReadFile(strStale), bPresent ? "; GID 1001\nmy work\n" : "");
    }
    QFile::remove(strStale);
    // A grimlet that is missing or may not be run: a message box names the program.
    m_listMessages.clear();
    RemoveGrimlet();
    Load(strNotDb, "1001");
    WriteFile("editor/grimlet", "#!/bin/sh\n");
    Load(strNotDb, "1001");
    const QString strCannot =
        "message: Error. Cannot execute Grimlet.exe\n" + EditorPath("grimlet");
    EXPECT_EQ(State(), strCannot + "\n" + strCannot + "\npane: earlier output");
    EXPECT_TRUE(WrittenForms().isEmpty());
}

TEST_F(LoadFromIdxTest, RecordsReachGrimletWholeAndNoFileLeavesTheDirectory) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\n"}});
    StartApp();
    for (const QString strRecord : {"12 34", "../1001", "10/01", "/tmp/1001"}) {
        Load(strDb, strRecord);
        // Grimlet names the record it refuses, exactly as it was given.
        EXPECT_TRUE(State().startsWith("pane: grimlet: ")) << State().toStdString();
        EXPECT_TRUE(Shown().contains("\"" + strRecord + "\" is not a record number"))
            << Shown().toStdString();
    }
    EXPECT_TRUE(WrittenForms().isEmpty()) << WrittenForms().join(", ").toStdString();
    EXPECT_FALSE(QFile::exists(TempPath("1001.zarn")));
    EXPECT_FALSE(QFile::exists(EditorPath("10/01.zarn")));
    EXPECT_FALSE(QFile::exists("/tmp/1001.zarn"));

    // Whatever the field lets through reaches Grimlet as one argument. This grimlet takes any
    // record and writes its form where it is told.
    UseArgumentRecordingGrimlet("printf '; GID any\\n' > \"$4\"\n");
    const QString strAnyDb = WriteFile("my db.idx", "");
    for (const QString strRecord : {" 12 ?-3 ", "../x", "a/b\"'*`", "$(touch p)", "%2F"}) {
        Load(strAnyDb, strRecord);
        const QStringList listArgs = RecordedArguments();
        ASSERT_EQ(listArgs.size(), 4) << listArgs.join("|").toStdString();
        EXPECT_EQ(listArgs.mid(0, 3), QStringList({"dump", strAnyDb, strRecord}));
        // Grimlet writes a file of its own beside the form's, which then takes the form's name.
        const QFileInfo outFile(listArgs[3]);
        EXPECT_EQ(outFile.absolutePath(), TempPath("editor"));
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
    EXPECT_EQ(State(), "pane: ");
    EXPECT_EQ(WrittenForms(), QStringList({"started"}));
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
}

// The record with its suffix, never leaving the directory, and never the file of another.
TEST(GrimletPaths, RecordFileNameIsTheRecordWithItsSuffixAndNeverLeavesTheDirectory) {
    for (const auto& [strRecord, strName] :
         {std::pair{QString("1234"), QString("1234.zarn")},
          {"32-105", "32-105.zarn"},
          {"12 ?4", "12 ?4.zarn"},
          {"../x", "..%2Fx.zarn"},
          {"/", "%2F.zarn"},
          {"..", "...zarn"},
          {QString("a\nb") + QChar(0) + QChar(0x1f) + QChar(0x7f) + QChar(0x80),
           QString("a%0Ab%00%1F%7F") + QChar(0x80) + ".zarn"},
          {"%2F", "%252F.zarn"}})
        EXPECT_EQ(RecordFileName(strRecord), strName) << strRecord.toStdString();
}

// The load directory is the editor's, or else the per-user data directory; an installed
// editor's bin/ is never written, even where the superuser could.
TEST(GrimletPaths, LoadDirectoryIsTheEditorDirectoryOrElseThePerUserDataDirectory) {
    QTemporaryDir dir;
    const QString strData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir(dir.path()).mkpath("usr/bin") &&
                QDir(dir.path()).mkpath("usr/lib/zarneditor"));
    for (const auto& [strEditor, strLoad] : {std::pair{dir.path(), dir.path()},
                                             {dir.filePath("missing"), strData},
                                             {dir.filePath("usr/bin"), strData}}) {
        SetEditorDirectory(strEditor);
        QString strError;
        EXPECT_EQ(GetLoadDirectory(strError), strLoad) << strError.toStdString();
        EXPECT_TRUE(QFileInfo(strLoad).isDir());
    }
    SetEditorDirectory(QString());
}

// Grimlet is the program beside the editor, else the one on the PATH; a file that may not be
// run is passed over; with neither, the one beside the editor, which then fails to start.
TEST(GrimletPaths, GrimletProgramIsTheOneBesideTheEditorElseTheOneOnThePath) {
    QTemporaryDir dir;
    const QString strEditor = dir.filePath("editor/grimlet");
    const QString strOnPath = dir.filePath("path/grimlet");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("editor")) && QDir().mkpath(dir.filePath("path")));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir.filePath("path").toLocal8Bit());
    SetEditorDirectory(dir.filePath("editor"));
    EXPECT_EQ(GetGrimletProgram(), strEditor);
    for (const auto& [strFile, bProgram, strFound] : {std::tuple{strOnPath, true, strOnPath},
                                                      {strEditor, false, strOnPath},
                                                      {strEditor, true, strEditor}}) {
        QFile file(strFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                        (bProgram ? QFile::ExeOwner : QFile::Permissions())));
        EXPECT_EQ(GetGrimletProgram(), strFound);
    }
    qputenv("PATH", oldPath);
    SetEditorDirectory(QString());
}

} // namespace
