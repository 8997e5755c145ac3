// Insert into MAIN.IDX end to end: the properties and the save question, the real grimlet
// putting the saved file into the database, the report streamed into the pane, documents
// that were never saved or cannot be, and the main window closed during a run.
#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "tests/toolbridge/ToolCommandTestSupport.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace {

constexpr char SAVE_FIRST[] = "Changes must be saved first";

class InsertIntoIdxTest : public CToolCommandTest {
protected:
    // Opens strPath as a form of record strGid in database strDb, as Load hands it over.
    CSampleDoc* OpenAsRecord(const QString& strPath, const QString& strGid, const QString& strDb) {
        App().SetPendingRecord(strGid, strDb);
        return App().OpenDocumentFile(strPath);
    }

    // Puts strText at the start of line nLine, as typing would.
    static void Type(CSampleDoc* pDoc, int nLine, const std::string& strText) {
        int nEndLine = 0;
        int nEndChar = 0;
        ASSERT_TRUE(pDoc->GetTextBuffer().InsertTextAt(nullptr, nLine, 0, strText, nEndLine,
                                                       nEndChar, EDITACT_TYPING));
    }

    QString Report(const QString& strDb, const QString& strFile) {
        return "Record 1001 replaced in " + strDb + " from " + strFile + " (comments kept)\n";
    }
};

TEST_F(InsertIntoIdxTest, WithoutItsPropertiesTheCommandIsDisabledAndRefused) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(m_listMessages.empty());
    // Reached past its enabling rule, as the rule would be bypassed.
    ASSERT_TRUE(ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT));
    ASSERT_TRUE(ActiveDoc()->OnCmdMsg(ID_ZARN_INSERT_BUTTON));
    EXPECT_EQ(m_listMessages, std::vector<QString>(2, "Please set properties first."));
}

TEST_F(InsertIntoIdxTest, TheSaveQuestionDecidesWhatGrimletInserts) {
    const QString strDb = MakeDatabase("MAIN.IDX", {{"1001", "; GID 1001\nmat_width 100\n"}});
    StartApp();
    Load(strDb, "1001");
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    const QString strFile = pDoc->GetPathName();
    Type(pDoc, 1, "mat_height 20\r\n");
    ASSERT_TRUE(pDoc->IsModified());

    // Cancel: nothing runs, the pane keeps its text.
    AnswerMessageBoxes({QMessageBox::Cancel});
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(m_listMessages,
              std::vector<QString>({"Save changes to " + strFile + "?", SAVE_FIRST}));
    EXPECT_EQ(Shown(), "1001 loaded (if form does no exist it is created)\n");
    EXPECT_TRUE(pDoc->IsModified());

    // No: the file as last saved goes in, not the text on screen.
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::No});
    Execute(ID_ZARN_INSERT_BUTTON);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strFile + "?"}));
    EXPECT_EQ(Shown(), Report(strDb, strFile));
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nmat_width 100\n");
    EXPECT_TRUE(pDoc->IsModified());

    // Yes: saved first, then inserted.
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::Yes});
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to " + strFile + "?"}));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(Shown(), Report(strDb, strFile));
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nmat_height 20\nmat_width 100\n");

    // Unmodified: no question at all.
    m_listMessages.clear();
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(Shown(), Report(strDb, strFile));
}

TEST_F(InsertIntoIdxTest, GrimletsReportIsStreamedIntoThePaneEmptiedFirst) {
    // The second line comes only once the first has been seen in the pane.
    UseFakeGrimlet("echo first\nwhile [ ! -e go ]; do sleep 0.01; done\necho second\n");
    const QString strFile = WriteFile("1001.zarn", "; GID 1001\n");
    StartApp();
    ASSERT_NE(OpenAsRecord(strFile, "1001", TempPath("MAIN.IDX")), nullptr);
    MainFrame().AppendOutput("earlier output", true);
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    bool bFirstShownAlone = false;
    QObject::connect(pEdit, &QPlainTextEdit::textChanged, pEdit, [&] {
        if (pEdit->toPlainText() != "first\n" || bFirstShownAlone)
            return;
        bFirstShownAlone = true;
        QFile go(EditorPath("go"));
        EXPECT_TRUE(go.open(QIODevice::WriteOnly));
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
    StartApp();
    ASSERT_NE(OpenAsRecord(strFile, "1001", strDb), nullptr);
    MainFrame().AppendOutput("earlier output", true);
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(RecordedArguments(), QStringList({"add", "-keepComments", strDb, strFile}));
    // The pane is emptied even when Grimlet says nothing.
    EXPECT_EQ(Shown(), "");
}

TEST_F(InsertIntoIdxTest, GrimletsErrorIsShownAsItSaysIt) {
    const QString strFile = WriteFile("1001.zarn", "; GID 1001\n");
    StartApp();
    ASSERT_NE(OpenAsRecord(strFile, "1001", TempPath("missing.idx")), nullptr);
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(Shown().startsWith("grimlet: " + TempPath("missing.idx") + ": "))
        << (Shown()).toStdString();
    EXPECT_FALSE(QFile::exists(TempPath("missing.idx")));
}

TEST_F(InsertIntoIdxTest, MissingGrimletIsReportedInThePane) {
    const QString strFile = WriteFile("1001.zarn", "; GID 1001\n");
    StartApp();
    ASSERT_NE(OpenAsRecord(strFile, "1001", TempPath("MAIN.IDX")), nullptr);
    RemoveGrimlet();
    Execute(ID_ZARN_INSERT);
    EXPECT_TRUE(Shown().startsWith("Error creating process\n" + EditorPath("grimlet") + ": "))
        << (Shown()).toStdString();
}

TEST_F(InsertIntoIdxTest, DocumentThatWasNeverSavedMustBeSavedFirst) {
    UseArgumentRecordingGrimlet();
    const QString strDb = TempPath("MAIN.IDX");
    StartApp();
    App().SetPendingRecord("1001", strDb);
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_EQ(pDoc->GetGid(), "1001");
    MainFrame().AppendOutput("earlier output", true);

    // Not modified, so no question; but there is no file to insert.
    Execute(ID_ZARN_INSERT);
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].startsWith("This document has never been saved"));
    EXPECT_TRUE(RecordedArguments().isEmpty());
    EXPECT_EQ(Shown(), "earlier output");

    // Modified: Yes asks for a name; cancelling that does not proceed.
    Type(pDoc, 0, "form 1");
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::Yes});
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(m_listMessages,
              std::vector<QString>({"Save changes to Zarn Document1?", SAVE_FIRST}));
    EXPECT_TRUE(RecordedArguments().isEmpty());

    // Given a name, it is saved there and that file goes in.
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::Yes});
    AnswerFileDialogs({TempPath("1001.zarn")});
    Execute(ID_ZARN_INSERT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Save changes to Zarn Document1?"}));
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

    AnswerMessageBoxes({QMessageBox::Yes});
    Execute(ID_ZARN_INSERT);
    ASSERT_EQ(m_listMessages.size(), 3u);
    EXPECT_TRUE(m_listMessages[1].startsWith("Cannot save " + strFile + ": "))
        << (m_listMessages[1]).toStdString();
    EXPECT_EQ(m_listMessages[2], SAVE_FIRST);
    EXPECT_EQ(Shown(), "1001 loaded (if form does no exist it is created)\n");
    EXPECT_EQ(DumpRecord(strDb, "1001"), "; GID 1001\nform 1\n");
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(InsertIntoIdxTest, ClosingTheMainWindowDuringARunCancelsItFirst) {
    UseFakeGrimlet("echo started\nexec sleep 60\n");
    const QString strFile = WriteFile("1001.zarn", "; GID 1001\n");
    StartApp();
    ASSERT_NE(OpenAsRecord(strFile, "1001", TempPath("MAIN.IDX")), nullptr);
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
