// Help > Open Example Form: the user's copy of the example form, made from the build's or the
// installed examples, opened, and never written over without asking.
#include "app/ExampleForm.h"

#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/GrimletPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

namespace {

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

    static QString CopyDir() { return QFileInfo(GetExampleCopyPath()).absolutePath(); }
    static QString CopyPath(const QString& strName) { return QDir(CopyDir()).filePath(strName); }
    static void RemoveCopies() { QDir(CopyDir()).removeRecursively(); }

    // A copy the user has worked on, beside a records database of the user's.
    static void WriteUserCopies() {
        ASSERT_TRUE(QDir().mkpath(CopyDir()));
        for (const auto& [strName, bytes] : {std::pair{"example.zarn", "; my own form\r\n"},
                                             std::pair{"MAIN.IDX", "my records"}}) {
            QFile file(CopyPath(strName));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }

    QStringList HelpMenuTexts() {
        QMenu* pHelp = MainFrame().menuBar()->actions().constLast()->menu();
        QStringList texts;
        for (QAction* pAction : pHelp->actions())
            texts.append(pAction->isSeparator() ? QString("-") : pAction->text());
        return texts;
    }
};

TEST_F(ExampleFormTest, TheFirstTimeTheExampleAndItsDatabaseAreCopiedAndTheCopyOpens) {
    StartApp();
    EXPECT_EQ(HelpMenuTexts(), QStringList({"Open &Example Form", "-", "&About"}));
    const QAction* pAction = MainFrame().GetCommandAction(ID_HELP_OPEN_EXAMPLE);
    EXPECT_EQ(pAction->statusTip(), "Open your own copy of the example form");
    EXPECT_EQ(pAction->toolTip(), "Open Example Form");

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
        EXPECT_EQ(QFileInfo::exists(strCopy + "~"), !c.backup.isEmpty());
        if (!c.backup.isEmpty()) {
            EXPECT_EQ(ReadFile(strCopy + "~"), c.backup);
        }
        // The user's records database may hold the user's forms: it is kept.
        EXPECT_EQ(ReadFile(CopyPath("MAIN.IDX")), "my records");
        EXPECT_EQ(ActiveDoc() != nullptr, c.bOpens);
        if (c.bOpens) {
            EXPECT_EQ(ActiveDoc()->GetPathName(), strCopy);
        }
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
