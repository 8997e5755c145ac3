// The runner's control: failures to start, cancelling, nesting, and a pane or window that
// goes away during a run.
#include "ToolTestSupport.h"
#include "toolbridge/ToolRunner.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTimer>

static const QString CANCELLED = "\nCancelled.\n\nProcess terminated successfully.\n";

// The parts of a failure report: the step, the system's reason, and the empty rest after the
// last line break.
static QStringList ReportLines(const QString& strShown) {
    return strShown.split(u'\n');
}

TEST_F(CToolRunnerTest, MissingProgramReportsErrorCreatingProcessAndNothingElse) {
    CToolRunner runner(Path("no-such-dir/grimlet"), {"add"}, &m_edit);
    runner.Run();
    const QStringList listLines = ReportLines(Shown());
    ASSERT_EQ(listLines.size(), 3) << Shown().toStdString();
    EXPECT_EQ(listLines[0], "Error creating process");
    // The reason names the program.
    EXPECT_TRUE(listLines[1].startsWith(Path("no-such-dir/grimlet") + ": "))
        << Shown().toStdString();
    EXPECT_TRUE(listLines[1].contains("No such file or directory")) << Shown().toStdString();
    EXPECT_EQ(listLines[2], "");
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
}

TEST_F(CToolRunnerTest, MissingWorkingDirectoryReportsErrorCreatingProcess) {
    CToolRunner runner(TOOL_CHILD, {"touch:made"}, &m_edit, Path("no-such-dir"));
    runner.Run();
    const QStringList listLines = ReportLines(Shown());
    ASSERT_EQ(listLines.size(), 3) << Shown().toStdString();
    EXPECT_EQ(listLines[0], "Error creating process");
    EXPECT_FALSE(listLines[1].isEmpty());
    EXPECT_FALSE(QFile::exists(Path("made")));
}

TEST_F(CToolRunnerTest, ChildFailingWithAnExitCodeLeavesNoTrace) {
    CToolRunner runner(TOOL_CHILD, {"no-such-step"}, &m_edit);
    runner.Run();
    EXPECT_EQ(Shown(), "unknown step: no-such-step\n");
}

TEST_F(CToolRunnerTest, CancelEndsTheChildAndTheGrandchildItLeftRunning) {
    const QString strPids = Path("pids");
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + strPids, "out:ready\\n", "hang"}, &m_edit);
    WhenShown(m_edit, "ready", [&runner] { runner.Cancel(); });
    runner.Run();
    EXPECT_EQ(Shown(), "ready\n" + CANCELLED);
    pid_t pidChild = 0;
    pid_t pidGrandchild = 0;
    ASSERT_TRUE(ReadPids(strPids, pidChild, pidGrandchild));
    EXPECT_TRUE(HasEnded(pidChild));
    EXPECT_TRUE(HasEnded(pidGrandchild));
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
}

TEST_F(CToolRunnerTest, CancelEndsAChildThatNeverStopsWriting) {
    CToolRunner runner(TOOL_CHILD, {"spew"}, &m_edit);
    WhenShown(m_edit, "00000100 ", [&runner] { runner.Cancel(); });
    runner.Run();
    EXPECT_TRUE(Shown().endsWith(CANCELLED));
    EXPECT_TRUE(Shown().startsWith("00000000 "));
}

TEST_F(CToolRunnerTest, CancelBeforeRunEndsTheRunAsSoonAsItStarts) {
    CToolRunner runner(TOOL_CHILD, {"hang"}, &m_edit);
    runner.Cancel();
    runner.Run();
    EXPECT_EQ(Shown(), CANCELLED);
}

TEST_F(CToolRunnerTest, NestedRunGoesToItsEndBeforeTheOuterRunGoesOn) {
    const QString strOuterGo = Path("outer-go");
    const QString strOuterDone = Path("outer-done");
    CToolRunner outer(
        TOOL_CHILD,
        {"out:outer 1\\n", "wait:" + strOuterGo, "out:outer 2\\n", "touch:" + strOuterDone},
        &m_edit);
    // The inner child waits until the outer one has written all it has to say and ended:
    // that output must still come after the inner run's.
    CToolRunner inner(TOOL_CHILD, {"out:inner 1\\n", "wait:" + strOuterDone, "out:inner 2\\n"},
                      &m_edit);
    bool bInnerRan = false;
    WhenShown(m_edit, "outer 1", [&] {
        TouchFile(strOuterGo);
        inner.Run();
        bInnerRan = true;
    });
    outer.Run();
    EXPECT_TRUE(bInnerRan);
    EXPECT_EQ(Shown(), "outer 1\ninner 1\ninner 2\nouter 2\n");
}

TEST_F(CToolRunnerTest, PaneDestroyedDuringTheRunIsNotWrittenAndTheRunGoesOn) {
    QPointer<QPlainTextEdit> pEdit = new QPlainTextEdit;
    const QString strGo = Path("go");
    const QString strDone = Path("done");
    WhenShown(*pEdit, "first", [pEdit, strGo] {
        delete pEdit.data();
        TouchFile(strGo);
    });
    CToolRunner runner(
        TOOL_CHILD, {"out:first\\n", "wait:" + strGo, "flood:100000", "touch:" + strDone}, pEdit);
    runner.Run();
    EXPECT_TRUE(pEdit.isNull());
    EXPECT_TRUE(QFile::exists(strDone));
}

// A main window that follows the runner's contract for closing during a run.
class CClosingWindow : public QWidget {
public:
    CClosingWindow() : m_pOutput(new QPlainTextEdit(this)) {}

    QPlainTextEdit* m_pOutput;
    int m_nCloseRefused = 0;

protected:
    void closeEvent(QCloseEvent* pEvent) override {
        if (CToolRunner::IsAnyRunning()) {
            pEvent->ignore();
            ++m_nCloseRefused;
            CToolRunner::CancelAll();
            CToolRunner::CallWhenNoneRunning(this, [this] { close(); });
            return;
        }
        QWidget::closeEvent(pEvent);
    }
};

TEST_F(CToolRunnerTest, ClosingTheMainWindowCancelsEveryRunThenCloses) {
    CClosingWindow window;
    window.show();
    CToolRunner outer(TOOL_CHILD, {"out:outer ready\\n", "hang"}, window.m_pOutput);
    CToolRunner inner(TOOL_CHILD, {"out:inner ready\\n", "hang"}, window.m_pOutput);
    WhenShown(*window.m_pOutput, "outer ready", [&inner] { inner.Run(); });
    WhenShown(*window.m_pOutput, "inner ready", [&window] { window.close(); });
    outer.Run();
    EXPECT_EQ(window.m_pOutput->toPlainText(),
              "outer ready\ninner ready\n" + CANCELLED + CANCELLED);
    EXPECT_EQ(window.m_nCloseRefused, 1);
    EXPECT_TRUE(window.isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.m_nCloseRefused, 1);
}

TEST_F(CToolRunnerTest, CallWhenNoneRunningWaitsForTheEventLoopAndForItsContext) {
    bool bCalledNow = false;
    QObject context;
    CToolRunner::CallWhenNoneRunning(&context, [&bCalledNow] { bCalledNow = true; });
    EXPECT_FALSE(bCalledNow);
    QCoreApplication::processEvents();
    EXPECT_TRUE(bCalledNow);

    bool bCalledAfterRun = false;
    bool bCalledForGone = false;
    auto* pGone = new QObject;
    CToolRunner runner(TOOL_CHILD, {"out:x"}, &m_edit);
    QTimer::singleShot(0, [&] {
        CToolRunner::CallWhenNoneRunning(&context, [&] { bCalledAfterRun = true; });
        CToolRunner::CallWhenNoneRunning(pGone, [&] { bCalledForGone = true; });
        delete pGone;
    });
    runner.Run();
    EXPECT_FALSE(bCalledAfterRun);
    QCoreApplication::processEvents();
    EXPECT_TRUE(bCalledAfterRun);
    EXPECT_FALSE(bCalledForGone);
}

// Quitting leaves every event loop for good, so it runs in a process of its own.
static int QuitDuringRun(const QString& strPids) {
    QPlainTextEdit edit;
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + strPids, "out:ready\\n", "hang"}, &edit);
    WhenShown(edit, "ready", [] { QCoreApplication::exit(0); });
    runner.Run();
    pid_t pidChild = 0;
    pid_t pidGrandchild = 0;
    if (!ReadPids(strPids, pidChild, pidGrandchild))
        return 2;
    if (!HasEnded(pidChild) || !HasEnded(pidGrandchild))
        return 3;
    return edit.toPlainText() == "ready\n" + CANCELLED ? 0 : 4;
}

TEST_F(CToolRunnerTest, QuittingTheApplicationDuringARunEndsTheChild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(QuitDuringRun(Path("pids"))), testing::ExitedWithCode(0), "");
}
