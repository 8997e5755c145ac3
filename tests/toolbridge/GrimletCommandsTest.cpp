// Load from MAIN.IDX, Insert into MAIN.IDX and Export to Vey with the real grimlet or a script.
#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ExportToVey.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolRunner.h"

#include <optional>

#include <QtWidgets>

namespace {

constexpr const char GRIMLET[] = ZARN_BUILD_DIR "/grimlet";
constexpr char LOADED[] = " loaded (if form does no exist it is created)\n";
constexpr char SAVE_FIRST[] = "Changes must be saved first";

int RunGrimlet(const QStringList& listArguments) {
    QProcess process;
    process.start(GRIMLET, listArguments);
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// An application whose editor directory "editor" (Grimlet's and the forms') links the real grimlet.
class GrimletTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(EditorPath("")));
        ASSERT_TRUE(QFile::link(GRIMLET, EditorPath("grimlet")));
        SetEditorDirectory(TempPath("editor"));
    }
    void TearDown() override {
        CAppTest::TearDown();
        SetEditorDirectory(QString());
        if (m_oldPath)
            qputenv("PATH", *m_oldPath);
    }

    QString EditorPath(const QString& strName) const { return TempPath("editor/" + strName); }
    // A shell script in place of grimlet, run in the editor directory.
    void UseFakeGrimlet(const QByteArray& script) {
        QFile::remove(EditorPath("grimlet"));
        WriteFile("editor/grimlet", "#!/bin/sh\ncd \"$(dirname \"$0\")\" || exit 9\n" + script);
        ASSERT_TRUE(QFile::setPermissions(EditorPath("grimlet"),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    // A grimlet that writes each argument as a line "[argument]" into "args", then runs `rest`.
    void UseArgumentRecordingGrimlet(const QByteArray& rest = "exit 0\n") {
        UseFakeGrimlet("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args\n" + rest);
    }
    QStringList RecordedArguments() const {
        QStringList list = QString::fromUtf8(ReadFile(EditorPath("args"))).split('\n');
        list.removeLast(); // after the last line break
        for (QString& strLine : list)
            strLine = strLine.mid(1, strLine.size() - 2);
        return list;
    }
    // No grimlet beside the editor; the PATH is the directory "path" until the test ends.
    void RemoveGrimlet() {
        QFile::remove(EditorPath("grimlet"));
        m_oldPath = m_oldPath.value_or(qgetenv("PATH"));
        qputenv("PATH", TempPath("path").toLocal8Bit());
    }
    // A records database holding these forms (record, source).
    QString MakeDatabase(const QString& strName,
                         const std::vector<std::pair<QString, QByteArray>>& forms) {
        const QString strDb = TempPath(strName);
        EXPECT_EQ(RunGrimlet({"init", strDb}), 0);
        QDir().mkpath(TempPath("forms-of-" + strName));
        for (const auto& [strRecord, source] : forms) {
            const QString strSource =
                WriteFile("forms-of-" + strName + "/" + strRecord + ".zarn", source);
            EXPECT_EQ(RunGrimlet({"add", "-keepComments", strDb, strSource}), 0);
        }
        return strDb;
    }
    QByteArray DumpRecord(const QString& strDb, const QString& strRecord) {
        QFile::remove(TempPath("dumped.zarn"));
        EXPECT_EQ(RunGrimlet({"dump", strDb, strRecord, TempPath("dumped.zarn")}), 0);
        return ReadFile(TempPath("dumped.zarn"));
    }
    void Load(const QString& strDb, const QString& strRecord, bool bOk = true) {
        AnswerFileDialogs({strDb});
        DriveNextModalDialog([strRecord, bOk](QWidget* pDialog) {
            auto* pField = pDialog->findChild<QLineEdit*>("IDC_NUMBER_1004");
            ASSERT_NE(pField, nullptr);
            pField->setText(strRecord);
            pDialog->findChild<QPushButton*>(bOk ? "IDOK_1" : "IDCANCEL_2")->click();
        });
        Execute(ID_FILE_LOAD_FROM_IDX);
    }
    // Runs Insert (or its button) with these answers; the messages shown.
    std::vector<QString> Insert(std::vector<QMessageBox::StandardButton> answers = {},
                                unsigned nId = ID_ZARN_INSERT) {
        m_listMessages.clear();
        AnswerMessageBoxes(std::move(answers));
        Execute(nId);
        return m_listMessages;
    }
    void Export(const QString& strPath) {
        AnswerFileDialogs({strPath});
        Execute(ID_ZARN_EXPORT_VEY);
    }
    void Start(const QStringList& listFiles = {}) {
        StartApp(listFiles);
        MainFrame().AppendOutput("earlier output", false);
    }
    QString Shown() { return MainFrame().GetOutputEdit()->toPlainText(); }
    // A directory's files, hidden ones too (Grimlet's temporary file must not stay), but grimlet.
    QStringList Files(const QString& strDir = "editor") const {
        QStringList list =
            QDir(TempPath(strDir)).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        list.removeAll("grimlet");
        list.removeAll("args");
        return list;
    }
    static void Type(CSampleDoc* pDoc, int nLine, const std::string& strText) {
        int nEndLine = 0, nEndChar = 0;
        ASSERT_TRUE(pDoc->GetTextBuffer().InsertTextAt(nullptr, nLine, 0, strText, nEndLine,
                                                       nEndChar, EDITACT_TYPING));
    }
    // Documents (active "*", file, record, database), record waiting, messages, Output pane.
    QString State() {
        const auto relative = [this](const QString& strPath) {
            return QDir(m_dir.path()).relativeFilePath(strPath);
        };
        QString strState;
        for (CSampleDoc* pDoc : Docs().GetDocuments())
            strState += QString("%1%2 %3 %4%5\n")
                            .arg(pDoc == ActiveDoc() ? "*" : "",
                                 pDoc->GetPathName().isEmpty() ? pDoc->GetTitle()
                                                               : relative(pDoc->GetPathName()),
                                 pDoc->GetGid(), relative(pDoc->GetIdxPath()),
                                 pDoc->IsModified() ? " modified" : "");
        if (!App().GetPendingGid().isEmpty() || !App().GetPendingIdxPath().isEmpty())
            strState += "waiting " + App().GetPendingGid() + " " +
                        relative(App().GetPendingIdxPath()) + "\n";
        for (const QString& strMessage : m_listMessages)
            strState += "message: " + strMessage + "\n";
        return strState + "pane: " + Shown();
    }

    std::optional<QByteArray> m_oldPath; // set while the PATH is hidden
};

// Loading an open record activates it and the record waits for the next new document.
TEST_F(GrimletTest, LoadOpensTheRecordAsADocumentWithItsGidAndDatabase) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nmat_width 100\n"}});
    Start();
    Execute(ID_FILE_LOAD_FROM_IDX); // the file dialog is cancelled
    Load(strDb, "1001", false);
    Load(strDb, "");
    EXPECT_EQ(State(), "pane: earlier output");
    const FileDialogRequest& request = m_listFileRequests.front();
    EXPECT_TRUE(!request.bSave && request.bMustExist);
    EXPECT_EQ(request.strInitialPath + " " + request.strFilter,
              "*.idx Database Records File (*.idx)");
    Load(strDb, "1001");
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"; GID 1001", "mat_width 100", ""}));
    Load(strDb, "32-105");
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"; GID 32-105", ""}));
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "32-105");
    const QString strLoaded = "editor/1001.zarn 1001 MAIN.IDX\n";
    EXPECT_EQ(State(), strLoaded + "*editor/32-105.zarn 32-105 MAIN.IDX\npane: 32-105" + LOADED);
    Execute(ID_FILE_NEW);
    MainFrame().AppendOutput("between loads", true);
    Load(strDb, "1001");
    EXPECT_EQ(State(), "*" + strLoaded +
                           "editor/32-105.zarn 32-105 MAIN.IDX\nZarn Document1  \nwaiting 1001 "
                           "MAIN.IDX\npane: 1001" +
                           LOADED);
    EXPECT_FALSE(ActiveDoc()->GetTextBuffer().CanUndo()); // not read again
    EXPECT_EQ(Files(), QStringList({"1001.zarn", "32-105.zarn"}));
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetGid() + " " + ActiveDoc()->GetIdxPath(), "1001 " + strDb);
}

// The saved edit stays on disk; Yes puts the record in as one undoable edit, whatever line ends.
TEST_F(GrimletTest, LoadingAnOpenRecordWithOtherTextAsksBeforeReplacingTheText) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\r\nform 1\r\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    Type(pDoc, 1, "edited ");
    ASSERT_TRUE(Docs().DoFileSave(pDoc));
    Execute(ID_FILE_NEW);
    const QString strAsked =
        "message: Record 1001 in the database differs from the open document " +
        EditorPath("1001.zarn") +
        ".\n\nReplace the document's text with the record from the database? "
        "Undo brings the present text back; the file changes only when the "
        "document is saved.\n";
    // Meanwhile the record changed in the database, stored with the same line ends, then others.
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        const bool bYes = answer == QMessageBox::Yes;
        const QString strNewer =
            WriteFile("1001.zarn", bYes ? "; GID 1001\nform 2\n" : "; GID 1001\r\nform 2\r\n");
        ASSERT_EQ(RunGrimlet({"add", "-keepComments", strDb, strNewer}), 0);
        MainFrame().AppendOutput("between loads", true);
        m_listMessages.clear();
        AnswerMessageBoxes({answer});
        Load(strDb, "1001");
        EXPECT_EQ(State(), QString("*editor/1001.zarn 1001 MAIN.IDX") + (bYes ? " modified" : "") +
                               "\nZarn Document1  \nwaiting 1001 MAIN.IDX\n" + strAsked +
                               "pane: " + (bYes ? "1001" + QString(LOADED) : "between loads"));
        EXPECT_EQ(ReadFile(EditorPath("1001.zarn")), "; GID 1001\r\nedited form 1\r\n");
        EXPECT_EQ(Files(), QStringList({"1001.zarn"}));
        EXPECT_EQ(LinesOf(pDoc),
                  QStringList({"; GID 1001", bYes ? "form 2" : "edited form 1", ""}));
    }
    // Saving writes the record in the document's own line ends.
    ASSERT_TRUE(Docs().DoFileSave(pDoc));
    EXPECT_EQ(ReadFile(EditorPath("1001.zarn")), "; GID 1001\r\nform 2\r\n");
    TextPos ptCaret;
    ASSERT_TRUE(pDoc->GetTextBuffer().Undo(ptCaret));
    EXPECT_EQ(LinesOf(pDoc), QStringList({"; GID 1001", "edited form 1", ""}));
}

// Other bytes in a form file are replaced only on Yes, kept as "<name>~", permissions kept.
TEST_F(GrimletTest, LoadingOverAFileWithOtherBytesAsksBeforeReplacingIt) {
    const QByteArray record = "; GID 1001\nform 1\n";
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", record}});
    const QString strFile = EditorPath("1001.zarn");
    const QString strAsked = "message: The file " + strFile +
                             " differs from record 1001 in the database.\n\nReplace the file with "
                             "the record from the database? The present file is kept as " +
                             strFile + "~.\n";
    const auto permissions =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    for (const auto& [present, answers] :
         {std::pair{record, std::vector<QMessageBox::StandardButton>{}},
          std::pair{QByteArray("my work\n"), std::vector{QMessageBox::No}},
          std::pair{QByteArray("my work\n"), std::vector{QMessageBox::Yes}}}) {
        const bool bAsked = !answers.empty();
        const bool bReplaced = bAsked && answers[0] == QMessageBox::Yes;
        WriteFile("editor/1001.zarn", present);
        ASSERT_TRUE(QFile::setPermissions(strFile, permissions));
        Start();
        AnswerMessageBoxes(answers);
        Load(strDb, "1001");
        EXPECT_EQ(State(),
                  "*editor/1001.zarn 1001 MAIN.IDX\n" + (bAsked ? strAsked : "") + "pane: " +
                      (bAsked && !bReplaced ? "earlier output" : "1001" + QString(LOADED)));
        EXPECT_EQ(ReadFile(strFile) + "|" + ReadFile(strFile + "~"),
                  bReplaced ? record + "|" + present : present + "|");
        EXPECT_EQ(Files(), bReplaced ? QStringList({"1001.zarn", "1001.zarn~"})
                                     : QStringList({"1001.zarn"}));
        EXPECT_EQ(QFile::permissions(strFile), permissions);
        StopApp();
        m_listMessages.clear();
        QFile::remove(strFile + "~");
    }
}

// Neither what an earlier load left nor what a failing Grimlet wrote passes for a form.
TEST_F(GrimletTest, GrimletFailingShowsItsReportAndNoFormOpens) {
    const QString strStale = WriteFile("editor/1001.zarn", "; GID 1001\nstale 1\n");
    const QString strNotDb = WriteFile("notes.idx", "not a records database\n");
    Start();
    Load(strNotDb, "1001");
    EXPECT_TRUE(State().startsWith("pane: grimlet: " + strNotDb + ": ")) << Shown().toStdString();
    EXPECT_TRUE(Shown().endsWith(u'\n') && !Shown().contains("loaded")) << Shown().toStdString();
    EXPECT_EQ(ReadFile(strStale), "; GID 1001\nstale 1\n");
    EXPECT_EQ(Files(), QStringList({"1001.zarn"}));
    EXPECT_EQ(ReadFile(strNotDb), "not a records database\n");
    QFile::remove(strStale);
    for (const QByteArray script : {"exit 3\n", "kill -KILL $$\n"}) {
        UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\n" + script);
        Load(strNotDb, "1001");
        EXPECT_EQ(State(), "pane: Grimlet could not load record 1001 and gave no reason.\n")
            << script.toStdString();
        EXPECT_EQ(Files(), QStringList());
    }
    // A grimlet that says it succeeded but left no form, with a file in its place or none.
    UseFakeGrimlet("rm \"$4\"\n");
    MainFrame().AppendOutput("earlier output", true);
    for (const bool bPresent : {false, true}) {
        if (bPresent)
            WriteFile("editor/1001.zarn", "; GID 1001\nmy work\n");
        m_listMessages.clear();
        Load(strNotDb, "1001");
        EXPECT_EQ(State(), "message: Cannot replace " + strStale +
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
    EXPECT_EQ(Files(), QStringList());
}

// Grimlet writes a file of its own beside the form's, which then takes the form's name.
TEST_F(GrimletTest, RecordsReachGrimletWholeAndNoFileLeavesTheDirectory) {
    StartApp();
    UseArgumentRecordingGrimlet("printf '; GID any\\n' > \"$4\"\n");
    const QString strAnyDb = WriteFile("my db.idx", "");
    for (const QString strRecord : {" 12 ?-3 ", "../x", "a/b\"'*`", "$(touch p)", "%2F"}) {
        Load(strAnyDb, strRecord);
        const QStringList listArgs = RecordedArguments();
        ASSERT_EQ(listArgs.size(), 4) << listArgs.join("|").toStdString();
        EXPECT_EQ(listArgs.mid(0, 3), QStringList({"dump", strAnyDb, strRecord}));
        const QFileInfo outFile(listArgs[3]);
        EXPECT_EQ(outFile.absolutePath(), TempPath("editor"));
        EXPECT_TRUE(outFile.fileName().startsWith("." + RecordFileName(strRecord) + "."))
            << outFile.fileName().toStdString();
        ASSERT_NE(ActiveDoc(), nullptr);
        EXPECT_EQ(ActiveDoc()->GetPathName() + "|" + ActiveDoc()->GetGid() + "|" + Shown(),
                  EditorPath(RecordFileName(strRecord)) + "|" + strRecord + "|" + strRecord +
                      LOADED);
    }
    EXPECT_EQ(Docs().GetDocuments().size(), 5u);
    EXPECT_EQ(Files().size(), 5); // no "p" made by the shell either
    EXPECT_FALSE(QFile::exists(TempPath("x.zarn")));
}

TEST_F(GrimletTest, ClosingTheMainWindowWhileGrimletRunsCancelsTheLoad) {
    UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\ntouch started\nexec sleep 60\n");
    StartApp();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFile::exists(EditorPath("started")))
            return;
        poll.stop();
        MainFrame().close();
    });
    poll.start(5);
    Load(WriteFile("MAIN.IDX", ""), "1001");
    EXPECT_FALSE(poll.isActive() || CToolRunner::IsAnyRunning());
    EXPECT_EQ(State(), "pane: ");
    EXPECT_EQ(Files(), QStringList({"started"}));
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
}

// Cancel runs nothing; No inserts the file as saved, Yes saves first; unmodified, no question.
TEST_F(GrimletTest, TheSaveQuestionDecidesWhatGrimletInserts) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nmat_width 100\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    const QString strFile = pDoc->GetPathName();
    const QString strAsk = "Save changes to " + strFile + "?";
    const QString strReport =
        "Record 1001 replaced in " + strDb + " from " + strFile + " (comments kept)\n";
    Type(pDoc, 1, "mat_height 20\r\n");
    EXPECT_EQ(Insert({QMessageBox::Cancel}), std::vector<QString>({strAsk, SAVE_FIRST}));
    EXPECT_EQ(Shown(), QString("1001") + LOADED);
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(Insert({QMessageBox::No}, ID_ZARN_INSERT_BUTTON), std::vector<QString>({strAsk}));
    EXPECT_EQ(Shown(), strReport);
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nmat_width 100\n");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(Insert({QMessageBox::Yes}), std::vector<QString>({strAsk}));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(Shown(), strReport);
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nmat_height 20\nmat_width 100\n");
    EXPECT_TRUE(Insert().empty());
    EXPECT_EQ(Shown(), strReport);
    // A save that fails, with a directory where the file was, inserts nothing.
    Type(pDoc, 1, "form 0\r\n");
    ASSERT_TRUE(QFile::remove(strFile) && QDir().mkdir(strFile));
    const std::vector<QString> listMessages = Insert({QMessageBox::Yes});
    ASSERT_EQ(listMessages.size(), 3u);
    EXPECT_TRUE(listMessages[1].startsWith("Cannot save " + strFile + ": "))
        << listMessages[1].toStdString();
    EXPECT_EQ(listMessages[2], SAVE_FIRST);
    EXPECT_EQ(Shown(), strReport);
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nmat_height 20\nmat_width 100\n");
    EXPECT_TRUE(pDoc->IsModified());
}

// Insert is refused also where its enabling rule is bypassed; the paths reach Grimlet unchanged.
TEST_F(GrimletTest, InsertNeedsThePropertiesAndADocumentThatWasSaved) {
    UseArgumentRecordingGrimlet();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("my forms"));
    const QString strDb = TempPath("my forms/MAIN 'one'.IDX");
    const QString strFile = TempPath("my forms/10 01 $x.zarn");
    const std::vector<QString> listAsked = {"Save changes to Zarn Document2?"};
    StartApp();
    Execute(ID_FILE_NEW);
    EXPECT_TRUE(Insert().empty());
    ASSERT_TRUE(ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT) &&
                ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT_BUTTON));
    EXPECT_EQ(m_listMessages, std::vector<QString>(2, "Please set properties first."));
    App().SetPendingRecord("1001", strDb);
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_EQ(pDoc->GetGid(), "1001");
    MainFrame().AppendOutput("earlier output", true);
    // Not modified, so no question; but there is no file to insert.
    const std::vector<QString> listNever = Insert();
    EXPECT_TRUE(listNever.size() == 1 && listNever[0].startsWith("This document has never been"));
    EXPECT_EQ(RecordedArguments().join("") + Shown(), "earlier output");
    // Modified: Yes asks for a name; cancelling that does not proceed.
    Type(pDoc, 0, "form 1");
    EXPECT_EQ(Insert({QMessageBox::Yes}), std::vector<QString>({listAsked[0], SAVE_FIRST}));
    EXPECT_EQ(RecordedArguments(), QStringList());
    // Given a name, it is saved there and that file goes in; the pane is emptied all the same.
    AnswerFileDialogs({strFile});
    EXPECT_EQ(Insert({QMessageBox::Yes}), listAsked);
    EXPECT_EQ(ReadFile(strFile), "form 1");
    EXPECT_EQ(RecordedArguments(), QStringList({"add", "-keepComments", strDb, strFile}));
    EXPECT_EQ(Shown(), "");
}

// Lines that start a word go out behind "atom$" in CR LF, unsaved changes too; no extension added.
TEST_F(GrimletTest, ExportWritesTheFormExactlyAndThePaneSaysWhere) {
    const QString strSource = WriteFile(
        "form.zarn", "mat_width 100\r\n\r\n; comment\r\n  < x\r\n] end\r\n   mat_height 20   \r\n");
    Start({strSource});
    Execute(ID_ZARN_EXPORT_VEY); // cancelled
    EXPECT_EQ(Files(""), QStringList({"form.zarn"}));
    Export(TempPath("form.vey"));
    EXPECT_EQ(ReadFile(TempPath("form.vey")), "atom$mat_width 100\r\natom$mat_height 20\r\n");
    const QString strNote = "\nNOTE! Not all commands will translate into \"real\" VeyZarn."
                            "\nSome editting may be required.";
    EXPECT_EQ(Shown(), strSource + " exported to " + TempPath("form.vey") + strNote);
    Type(ActiveDoc(), 0, "    \r\nb 2\r\n\t; indented\r\n");
    const QStringList listLines = LinesOf(ActiveDoc());
    Export(TempPath("plain"));
    EXPECT_EQ(ReadFile(TempPath("plain")),
              "atom$\r\natom$b 2\r\natom$\t; indented\r\natom$mat_width "
              "100\r\natom$mat_height 20\r\n");
    EXPECT_EQ(LinesOf(ActiveDoc()), listLines);
    EXPECT_TRUE(ActiveDoc()->IsModified());
    EXPECT_EQ(Files(""), QStringList({"form.vey", "form.zarn", "plain"}));
    EXPECT_TRUE(m_listMessages.empty());
    ASSERT_EQ(m_listFileRequests.size(), 3u);
    const FileDialogRequest& request = m_listFileRequests[0];
    EXPECT_TRUE(request.bSave && request.strDefaultSuffix.isEmpty());
    EXPECT_EQ(request.strInitialPath + " " + request.strFilter,
              TempPath("form.vey") + " Zarn Vey File (*.vey)");
}

TEST_F(GrimletTest, ExportOffersTheDocumentsNameAndAsksAgainForANameWithAWildcard) {
    Start({WriteFile("order.form.zarn", "a 1\r\n")});
    AnswerFileDialogs({TempPath("*.vey"), TempPath("a?.vey"), TempPath("out.vey")});
    Execute(ID_ZARN_EXPORT_VEY);
    ASSERT_EQ(m_listFileRequests.size(), 3u);
    for (const FileDialogRequest& request : m_listFileRequests)
        EXPECT_EQ(request.strInitialPath, TempPath("order.form.vey"));
    const QString strRefused =
        "The name %1 holds a wildcard (\"*\" or \"?\"). Please choose a file name without one.";
    EXPECT_EQ(m_listMessages,
              std::vector<QString>({strRefused.arg("*.vey"), strRefused.arg("a?.vey")}));
    EXPECT_EQ(ReadFile(TempPath("out.vey")), "atom$a 1\r\n");
    EXPECT_EQ(Files(""), QStringList({"order.form.zarn", "out.vey"}));
}

// By any spelling, also after Save As for the file it was opened from; and failures to write.
TEST_F(GrimletTest, ExportRefusesTheDocumentsOwnFileAndTellsWhyItCannotWrite) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub"));
    ASSERT_TRUE(QFile::link(TempPath("form.zarn"), TempPath("link.zarn")));
    ASSERT_TRUE(QFile::link(m_dir.path(), TempPath("sub/dirlink")));
    WriteFile("plain", "keep me");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.vey"));
    const QString strSource = WriteFile("form.zarn", "a 1\r\n");
    Start({strSource});
    const QString strOldCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    for (const QString& strSpelling : {strSource, TempPath("link.zarn"),
                                       TempPath("sub/dirlink/form.zarn"), QString("form.zarn")})
        Export(strSpelling);
    QDir::setCurrent(strOldCurrent);
    EXPECT_EQ(m_listMessages, std::vector<QString>(4, "Can not export to self."));
    EXPECT_EQ(ReadFile(strSource), "a 1\r\n");
    EXPECT_TRUE(QFileInfo(TempPath("link.zarn")).isSymLink());
    AnswerFileDialogs({TempPath("copy.zarn")});
    Execute(ID_FILE_SAVE_AS);
    ASSERT_EQ(ActiveDoc()->GetPathName(), TempPath("copy.zarn"));
    m_listMessages.clear();
    for (const QString& strPath : {TempPath("sub/../copy.zarn"), strSource,
                                   TempPath("plain/form.vey"), TempPath("folder.vey")})
        Export(strPath);
    EXPECT_EQ(
        m_listMessages,
        std::vector<QString>({"Can not export to self.", "Can not export to self.",
                              "Cannot write " + TempPath("plain/form.vey") + ": Not a directory",
                              "Cannot write " + TempPath("folder.vey") + ": Is a directory"}));
    EXPECT_EQ(ReadFile(TempPath("copy.zarn")), "a 1\r\n");
    EXPECT_EQ(ReadFile(TempPath("plain")), "keep me");
    EXPECT_TRUE(QFileInfo(TempPath("folder.vey")).isDir());
    EXPECT_EQ(Shown(), "earlier output");
    EXPECT_EQ(Files(""), QStringList({"copy.zarn", "form.zarn", "link.zarn", "plain"}));
}

TEST(GrimletPaths, SameFilePathComparesCanonicalPaths) {
    QTemporaryDir dir;
    const QString strFile = dir.filePath("form.zarn");
    ASSERT_TRUE(QFile(strFile).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir(dir.path()).mkdir("d"));
    ASSERT_TRUE(QFile::link(dir.filePath("new.vey"), dir.filePath("dangling")));
    ASSERT_TRUE(QFile::link(dir.filePath("loop1"), dir.filePath("loop2")));
    ASSERT_TRUE(QFile::link(dir.filePath("loop2"), dir.filePath("loop1")));
    EXPECT_TRUE(IsSameFilePath(strFile, dir.filePath("d/../form.zarn")));
    // A file that does not exist yet, by its directory and name.
    EXPECT_TRUE(IsSameFilePath(dir.filePath("new.vey"), dir.filePath("./new.vey")));
    EXPECT_TRUE(IsSameFilePath(dir.filePath("dangling"), dir.filePath("new.vey")));
    EXPECT_FALSE(IsSameFilePath(dir.filePath("loop1"), dir.filePath("loop2")));
    EXPECT_FALSE(IsSameFilePath(strFile, dir.filePath("Form.zarn")));
    EXPECT_FALSE(IsSameFilePath(strFile, QString()));
    EXPECT_FALSE(IsSameFilePath(QString(), QString()));
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

// Else the per-user data directory: an installed editor's bin/ is never written, even by root.
TEST(GrimletPaths, LoadDirectoryIsTheEditorDirectoryOrElseThePerUserDataDirectory) {
    QTemporaryDir dir;
    const QString strData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir(dir.path()).mkpath("usr/bin") &&
                QDir(dir.path()).mkpath("usr/lib/zarneditor"));
    QString strError;
    for (const auto& [strEditor, strLoad] : {std::pair{dir.path(), dir.path()},
                                             {dir.filePath("missing"), strData},
                                             {dir.filePath("usr/bin"), strData}}) {
        SetEditorDirectory(strEditor);
        EXPECT_EQ(GetLoadDirectory(strError), strLoad) << strError.toStdString();
        EXPECT_TRUE(QFileInfo(strLoad).isDir());
    }
    SetEditorDirectory(QString());
}

} // namespace
