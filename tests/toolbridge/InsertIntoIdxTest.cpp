// Insert into MAIN.IDX end to end: the properties and the save question, the real grimlet
// putting the saved file into the database, the report streamed into the pane, documents
// that were never saved or cannot be, and the main window closed during a run.
#include "ToolTestSupport.h"
#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QFile>

namespace {

constexpr char SAVE_FIRST[] = "Changes must be saved first";

class InsertIntoIdxTest : public CToolCommandTest {
protected:
    // Starts the application with strPath open as a form of record 1001 in strDb, as Load
    // hands it over, and text in the Output pane.
    void StartWithRecord(const QString& strPath, const QString& strDb) {
        StartApp();
        App().SetPendingRecord("1001", strDb);
        ASSERT_NE(App().OpenDocumentFile(strPath), nullptr);
        MainFrame().AppendOutput("earlier output", true);
    }
    // Runs Insert with these answers to the message boxes; the messages shown.
    std::vector<QString> Insert(std::vector<QMessageBox::StandardButton> answers = {},
                                unsigned nId = ID_ZARN_INSERT) {
        m_listMessages.clear();
        AnswerMessageBoxes(std::move(answers));
        Execute(nId);
        return m_listMessages;
    }
};

TEST_F(InsertIntoIdxTest, WithoutItsPropertiesTheCommandIsDisabledAndRefused) {
    StartApp();
    Execute(ID_FILE_NEW);
    EXPECT_TRUE(Insert().empty());
    // Reached past its enabling rule, as the rule would be bypassed.
    ASSERT_TRUE(ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT));
    ASSERT_TRUE(ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT_BUTTON));
    EXPECT_EQ(m_listMessages, std::vector<QString>(2, "Please set properties first."));
}

// Cancel runs nothing; No inserts the file as last saved, not the text on screen; Yes saves
// first; an unmodified document is inserted without a question.
TEST_F(InsertIntoIdxTest, TheSaveQuestionDecidesWhatGrimletInserts) {
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
    ASSERT_TRUE(pDoc->IsModified());

    EXPECT_EQ(Insert({QMessageBox::Cancel}), std::vector<QString>({strAsk, SAVE_FIRST}));
    EXPECT_EQ(Shown(), "1001 loaded (if form does no exist it is created)\n");
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
}

TEST_F(InsertIntoIdxTest, GrimletsReportIsStreamedIntoThePaneEmptiedFirst) {
    // The second line comes only once the first has been seen in the pane.
    UseFakeGrimlet("echo first\nwhile [ ! -e go ]; do sleep 0.01; done\necho second\n");
    StartWithRecord(WriteFile("1001.zarn", "; GID 1001\n"), TempPath("MAIN.IDX"));
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    bool bFirstShownAlone = false;
    QObject::connect(pEdit, &QPlainTextEdit::textChanged, pEdit, [&] {
        if (pEdit->toPlainText() != "first\n" || bFirstShownAlone)
            return;
        bFirstShownAlone = true;
        TouchFile(EditorPath("go"));
    });
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(bFirstShownAlone);
    EXPECT_EQ(Shown(), "first\nsecond\n");
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
}

TEST_F(InsertIntoIdxTest, PathsReachGrimletUnchangedAndTheOptionKeepsComments) {
    UseArgumentRecordingGrimlet();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("my forms"));
    const QString strFile = WriteFile("my forms/10 01 $x.zarn", "; GID 1001\n");
    const QString strDb = TempPath("my forms/MAIN 'one'.IDX");
    StartWithRecord(strFile, strDb);
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(RecordedArguments(), QStringList({"add", "-keepComments", strDb, strFile}));
    // The pane is emptied even when Grimlet says nothing.
    EXPECT_EQ(Shown(), "");
}

// Grimlet's error is shown as it says it; a missing grimlet is reported in the pane.
TEST_F(InsertIntoIdxTest, GrimletsErrorOrItsAbsenceIsShownInThePane) {
    StartWithRecord(WriteFile("1001.zarn", "; GID 1001\n"), TempPath("missing.idx"));
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(Shown().startsWith("grimlet: " + TempPath("missing.idx") + ": "))
        << Shown().toStdString();
    EXPECT_FALSE(QFile::exists(TempPath("missing.idx")));
    RemoveGrimlet();
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(Shown().startsWith("Error creating process\n" + EditorPath("grimlet") + ": "))
        << Shown().toStdString();
}

TEST_F(InsertIntoIdxTest, DocumentThatWasNeverSavedMustBeSavedFirst) {
    UseArgumentRecordingGrimlet();
    const QString strDb = TempPath("MAIN.IDX");
    const std::vector<QString> listAsked = {"Save changes to Zarn Document1?"};
    StartApp();
    App().SetPendingRecord("1001", strDb);
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_EQ(pDoc->GetGid(), "1001");
    MainFrame().AppendOutput("earlier output", true);

    // Not modified, so no question; but there is no file to insert.
    const std::vector<QString> listNever = Insert();
    ASSERT_EQ(listNever.size(), 1u);
    EXPECT_TRUE(listNever[0].startsWith("This document has never been saved"));
    EXPECT_TRUE(RecordedArguments().isEmpty());
    EXPECT_EQ(Shown(), "earlier output");
    // Modified: Yes asks for a name; cancelling that does not proceed.
    Type(pDoc, 0, "form 1");
    EXPECT_EQ(Insert({QMessageBox::Yes}), std::vector<QString>({listAsked[0], SAVE_FIRST}));
    EXPECT_TRUE(RecordedArguments().isEmpty());
    // Given a name, it is saved there and that file goes in.
    AnswerFileDialogs({TempPath("1001.zarn")});
    EXPECT_EQ(Insert({QMessageBox::Yes}), listAsked);
    EXPECT_EQ(ReadFile(TempPath("1001.zarn")), "form 1");
    EXPECT_EQ(RecordedArguments(),
              QStringList({"add", "-keepComments", strDb, TempPath("1001.zarn")}));
}

TEST_F(InsertIntoIdxTest, SaveThatFailsDoesNotInsertTheStaleFile) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nform 1\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    const QString strFile = pDoc->GetPathName();
    Type(pDoc, 1, "form 0\r\n");
    // A directory where the file was: the save cannot replace it.
    ASSERT_TRUE(QFile::remove(strFile));
    ASSERT_TRUE(QDir().mkdir(strFile));

    const std::vector<QString> listMessages = Insert({QMessageBox::Yes});
    ASSERT_EQ(listMessages.size(), 3u);
    EXPECT_TRUE(listMessages[1].startsWith("Cannot save " + strFile + ": "))
        << listMessages[1].toStdString();
    EXPECT_EQ(listMessages[2], SAVE_FIRST);
    EXPECT_EQ(Shown(), "1001 loaded (if form does no exist it is created)\n");
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nform 1\n");
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(InsertIntoIdxTest, ClosingTheMainWindowDuringARunCancelsItFirst) {
    UseFakeGrimlet("echo started\nexec sleep 60\n");
    StartWithRecord(WriteFile("1001.zarn", "; GID 1001\n"), TempPath("MAIN.IDX"));
    const std::shared_ptr<bool> pbCloseAsked = CloseMainWindowWhenOutputShows("started");
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(*pbCloseAsked);
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
    EXPECT_EQ(Shown(), "started\n\nCancelled.\n\nProcess terminated successfully.\n");
    // The close that was put off happens once the run has unwound.
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
    EXPECT_TRUE(Docs().GetDocuments().empty());
}

} // namespace
