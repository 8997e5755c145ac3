// Files of open documents changed, replaced or deleted by other processes, not by the editor.
#include "app/FileWatch.h"

#include "buffer/TextLine.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

namespace {

const QString CHANGED_TAIL = "\nhas been changed by another program.";
const QString RELOAD_QUESTION =
    "\n\nReload it and lose your changes (Undo brings them back), or keep your text?";

class FileWatchTest : public CAppTest {
protected:
    // Runs a shell command line as another program would.
    static void RunShell(const QString& strLine) {
        ASSERT_EQ(QProcess::execute("/bin/sh", {"-c", strLine}), 0) << strLine.toStdString();
    }
    // A file with these bytes outside the watched folder, for cp or mv to bring in.
    QString Incoming(const QByteArray& bytes) {
        const QString strPath = m_elsewhere.filePath(QStringLiteral("incoming"));
        QFile file(strPath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return strPath;
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

TEST_F(FileWatchTest, AnUnmodifiedDocumentFollowsItsFileRewrittenOrReplacedByAnotherProcess) {
    const QString strPath = WriteFile("form.zarn", "a\r\nb\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    ActiveView()->PutCaretAt({1, 1});
    struct Case {
        const char* pszCommand; // %1 the new bytes' file, %2 the document's
        QByteArray bytes;
        QStringList lines;
        TextPos ptCaret; // kept by line, within the new text
    };
    // A rename replaces the watched file: the watch must follow it to the next one.
    const Case cases[] = {
        {"cp '%1' '%2'", "a\r\nb changed\r\n", {"a", "b changed", ""}, {1, 1}},
        {"mv '%1' '%2'", "replaced\r\nb changed\r\n", {"replaced", "b changed", ""}, {1, 1}},
        {"mv '%1' '%2'", "replaced again\r\n", {"replaced again", ""}, {0, 1}},
        {"cat '%1' > '%2'", "rewritten", {"rewritten"}, {0, 0}},
    };
    for (const Case& c : cases) {
        RunShell(QString::fromLatin1(c.pszCommand).arg(Incoming(c.bytes), strPath));
        EXPECT_TRUE(WaitForLines(pDoc, c.lines)) << c.pszCommand;
        EXPECT_FALSE(pDoc->IsModified()) << c.pszCommand;
        EXPECT_EQ(ActiveView()->GetCaretTextPos(), c.ptCaret) << c.pszCommand;
        EXPECT_EQ(ActiveFrame()->windowTitle(), "form.zarn");
    }
    EXPECT_TRUE(m_listMessages.empty());
    // Each reload is one step back.
    for (int i = static_cast<int>(std::size(cases)) - 2; i >= 0; --i) {
        EXPECT_EQ(MainFrame().QueryCommandUI(ID_EDIT_UNDO).GetText(), "&Undo Reload\tCtrl+Z");
        Execute(ID_EDIT_UNDO);
        EXPECT_EQ(LinesOf(pDoc), cases[i].lines);
        EXPECT_TRUE(pDoc->IsModified());
    }
}

TEST_F(FileWatchTest, AReloadKeepsCaretScrollAndBookmarksByLineAndUndoesAsOneStep) {
    QByteArray original;
    for (int i = 0; i < 100; ++i)
        original += "line " + QByteArray::number(i) + QByteArray(i == 44 ? 300 : 0, '-') + "\r\n";
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
    // Seventy lines in LF style, the first changed, one holding a carriage return.
    QByteArray changed = "first\nx\ry\n";
    for (int i = 2; i < 70; ++i)
        changed += "line " + QByteArray::number(i) + QByteArray(i == 44 ? 300 : 0, '-') + "\n";
    RunShell(QStringLiteral("cp '%1' '%2'").arg(Incoming(changed), strPath));
    ASSERT_TRUE(QTest::qWaitFor([&] { return buffer.GetLineCount() == 71; }, 10000));
    EXPECT_EQ(LinesOf(pDoc).mid(0, 3), QStringList({"first", "x\ry", "line 2"}));
    EXPECT_EQ(buffer.GetEolStyle(), EOL_LF);
    EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{3, 45}));
    EXPECT_EQ(pView->GetFirstVisibleLine(), 40);
    EXPECT_EQ(pView->GetFirstVisibleColumn(), 20);
    EXPECT_EQ(pView->verticalScrollBar()->value(), 40);
    EXPECT_EQ(pView->horizontalScrollBar()->value(), 20);
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
    // Saved, the text is the file's bytes again, carriage return and line ends alike.
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(strPath), changed);
}

TEST_F(FileWatchTest, AModifiedDocumentAsksWhetherToReloadOrKeepItsText) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    QTest::keyClick(ActiveView(), Qt::Key_X);
    // Keep Mine: the text stays, modified, and the same file asks nothing more.
    AnswerMessageBoxes({QMessageBox::No});
    RunShell(QStringLiteral("cp '%1' '%2'").arg(Incoming("theirs 1\r\n"), strPath));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_listMessages[0], strPath + CHANGED_TAIL + RELOAD_QUESTION);
    EXPECT_EQ(LinesOf(pDoc), QStringList({"xabc", ""}));
    EXPECT_TRUE(pDoc->IsModified());
    LetTheWatcherSettle();
    EXPECT_EQ(m_listMessages.size(), 1u);
    // Reload: the file's text, unmodified, and Undo brings back the kept one.
    AnswerMessageBoxes({QMessageBox::Yes});
    RunShell(QStringLiteral("mv '%1' '%2'").arg(Incoming("theirs 2\r\n"), strPath));
    ASSERT_TRUE(WaitForLines(pDoc, {"theirs 2", ""}));
    EXPECT_EQ(m_listMessages.size(), 2u);
    EXPECT_FALSE(pDoc->IsModified());
    Execute(ID_EDIT_UNDO);
    EXPECT_EQ(LinesOf(pDoc), QStringList({"xabc", ""}));
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(FileWatchTest, AFileDeletedByAnotherProcessIsToldOnceAndSaveWritesItBack) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    RunShell(QStringLiteral("rm '%1'").arg(strPath));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_listMessages[0], strPath + "\nhas been deleted by another program.\n\nThe document "
                                           "stays open and modified: Save writes the file again.");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(ActiveFrame()->windowTitle(), "form.zarn*");
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    LetTheWatcherSettle();
    EXPECT_EQ(m_listMessages.size(), 1u);
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(m_listFileRequests.empty());
    EXPECT_EQ(ReadFile(strPath), QByteArray("abc\r\n"));
    EXPECT_FALSE(pDoc->IsModified());
    LetTheWatcherSettle();
    EXPECT_EQ(m_listMessages.size(), 1u);
}

TEST_F(FileWatchTest, ComingBackToTheEditorFindsChangesTheWatcherCouldNotSee) {
    // The folder goes and comes back with a new file: nothing watches the new folder.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub"));
    const QString strPath = WriteFile("sub/form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    RunShell(QStringLiteral("rm -r '%1'").arg(TempPath("sub")));
    ASSERT_TRUE(WaitForMessages(1));
    RunShell(
        QStringLiteral("mkdir '%1' && printf 'back\\r\\n' > '%2'").arg(TempPath("sub"), strPath));
    LetTheWatcherSettle();
    EXPECT_EQ(m_listMessages.size(), 1u);
    AnswerMessageBoxes({QMessageBox::Yes});
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    ASSERT_TRUE(WaitForLines(pDoc, {"back", ""}));
    EXPECT_TRUE(m_listMessages[1].endsWith(RELOAD_QUESTION));
    EXPECT_FALSE(pDoc->IsModified());
}

TEST_F(FileWatchTest, TheEditorsOwnWritesAreNotTakenForAnotherProgramsChange) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    QTest::keyClick(ActiveView(), Qt::Key_X);
    Execute(ID_FILE_SAVE);
    AnswerFileDialogs({TempPath("other.zarn")});
    Execute(ID_FILE_SAVE_AS);
    QTest::keyClick(ActiveView(), Qt::Key_Y);
    Execute(ID_FILE_SAVE);
    LetTheWatcherSettle();
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(pDoc->GetTextBuffer().GetUndoStepCount(), 2);
    EXPECT_EQ(ReadFile(TempPath("other.zarn")), QByteArray("xyabc\r\n"));

    // A tool that writes the file while it runs (as Grimlet does for Load from MAIN.IDX) is
    // left to finish first: the command that ran it settles the document.
    bool bAskedWhileRunning = false;
    SetMessageBoxHandler([&](const QString& strText, QMessageBox::StandardButtons) {
        bAskedWhileRunning = bAskedWhileRunning || CToolRunner::IsAnyRunning();
        m_listMessages.push_back(strText);
        return QMessageBox::No;
    });
    QTest::keyClick(ActiveView(), Qt::Key_Z);
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

} // namespace
