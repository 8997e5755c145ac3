// The runner against real children: what reaches the Output pane and in what form, how a run
// ended, cancelling, nesting, and a pane or window that goes away.
#include "toolbridge/ToolRunner.h"

#include "FloodText.h"
#include "ToolTestSupport.h"
#include "toolbridge/ToolOutput.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QScrollBar>
#include <QTextBlock>

namespace {

const QString CANCELLED = "\nCancelled.\n\nProcess terminated successfully.\n";

// The child runs these steps in the test's directory; each (text, file) trigger creates the
// file once the pane shows the text, for the child's "wait:" steps.
struct RunCase {
    QStringList listSteps;
    QString strShown;
    std::vector<std::pair<QString, QString>> triggers = {};
    QString strBefore = {}; // what the pane holds before the run
};

TEST_F(CToolRunnerTest, WhatTheChildWritesIsShownInOrderAndInItsPlainForm) {
    // clang-format off
    const QStringList listArgs = {"two words", "\"double\"", "'single'", "a;b", "$(touch oops)",
        "`touch oops`", "*", "", "back\\slash", "tab\there", "D:\\PROGRA~1\\\\grimlet.exe"};
    const RunCase cases[] = {
        {{"out:one\\n", "err:two\\n", "out:three\\n", "err:four\\n", "out:five\\n"},
         "one\ntwo\nthree\nfour\nfive\n"},
        {{}, "kept\nas it was", {}, "kept\nas it was"},
        {{"out:after\\n"}, "before\nafter\n", {}, "before\n"},
        {{"no-such-step"}, "unknown step: no-such-step\n"},
        {QStringList{"args"} + listArgs, "[" + listArgs.join("]\n[") + "]\n"},
        {{"touch:made-here"}, ""},
        // The child sees the end of its input at once.
        {{"stdin", "out:then on\\n"}, "stdin: end after 0 bytes\nthen on\n"},
        // Within what the pane keeps, nothing is dropped; the last output of a child that
        // ends at once is shown.
        {{"flood:3145851"}, QString::fromStdString(FloodText(3145851))},
        {{"flood:100000", "out:the last words\\n"},
         QString::fromStdString(FloodText(100000)) + "the last words\n"},
        {{"out:50%\\b\\b\\b60%\\n\\b"}, "50%   60%\n "},
        // A pause prompt or a zero byte ends the shown part of its chunk, and only of it.
        {{"out:done\\nPress any key to continue . . . dropped\\nalso dropped\\n", "wait:go",
          "out:next chunk\\n"}, "done\nnext chunk\n", {{"done", "go"}}},
        {{"out:ok Press any", "wait:go", "out: key to continue . . . and on\\n"},
         "ok Press any key to continue . . . and on\n", {{"Press any", "go"}}},
        {{"out:seen\\0unseen\\n", "wait:go", "out:\\nnext\\n"}, "seen\nnext\n", {{"seen", "go"}}},
        // "é" is C3 A9, "€" is E2 82 AC: each arrives in two reads and stays whole.
        {{"out:A\\xc3", "wait:go1", "out:\\xa9B x\\xe2\\x82", "wait:go2", "out:\\xac\\n"},
         QString::fromUtf8("A\u00e9B x\u20ac\n"), {{"A", "go1"}, {"\u00e9B x", "go2"}}},
        {{"out:bad \\xff!\\n", "out:cut \\xe2\\x82"}, QString::fromUtf8("bad \ufffd!\ncut \ufffd")},
        // CR LF gives one line break, also when split between reads.
        {{"out:one\\r\\ntwo\\r", "wait:go", "out:\\nthree\\rfour\\r"}, "one\ntwo\nthree\nfour\n",
         {{"two", "go"}}},
    };
    // clang-format on
    for (const RunCase& c : cases) {
        QFile::remove(Path("go"));
        m_edit.setPlainText(c.strBefore);
        for (const auto& [strText, strFile] : c.triggers)
            WhenShown(m_edit, strText, [this, strFile] { TouchFile(Path(strFile)); });
        CToolRunner runner(TOOL_CHILD, c.listSteps, &m_edit, m_dir.path());
        runner.Run();
        EXPECT_TRUE(Shown() == c.strShown) << c.listSteps.join(' ').left(200).toStdString()
                                           << "\nshows " << Shown().left(300).toStdString();
        EXPECT_EQ(runner.GetResult(),
                  c.listSteps.value(0) == "no-such-step" ? TOOLRUN_FAILED : TOOLRUN_SUCCEEDED);
    }
    EXPECT_TRUE(QFile::exists(Path("made-here")));
    EXPECT_FALSE(QFile::exists(Path("oops")));
}

// A child that writes lines faster than the pane can take them: the pane still holds at most
// its bound, the note above it, and the child's last lines; the run ends with the child.
TEST_F(CToolRunnerTest, FloodOfLinesBeyondWhatThePaneKeepsEndsWithTheLastLines) {
    CToolRunner(TOOL_CHILD, {"yes:0.5", "out:the end\\n"}, &m_edit).Run();
    EXPECT_LE(m_edit.document()->blockCount(), OUTPUT_MAX_LINES + 1);
    EXPECT_EQ(m_edit.document()->firstBlock().text(), OutputDroppedNote());
    EXPECT_TRUE(Shown().endsWith("y\ny\nthe end\n"));
}

TEST_F(CToolRunnerTest, AppendingKeepsTheLastLineInViewAlsoAfterTheUserScrolledUp) {
    m_edit.resize(300, 120);
    m_edit.show();
    QScrollBar* pBar = m_edit.verticalScrollBar();
    WhenShown(m_edit, "00000400", [this, pBar] {
        pBar->setValue(0);
        TouchFile(Path("go"));
    });
    CToolRunner(TOOL_CHILD, {"flood:40000", "wait:" + Path("go"), "out:the very end"}, &m_edit)
        .Run();
    EXPECT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    const QTextBlock lastBlock = m_edit.document()->lastBlock();
    EXPECT_EQ(lastBlock.text(), "the very end");
    EXPECT_TRUE(m_edit.viewport()->rect().contains(m_edit.cursorRect(QTextCursor(lastBlock))));
    EXPECT_TRUE(m_edit.textCursor().atEnd());
}

// A program or working directory that is missing: "Error creating process", the system's
// reason naming the program, and nothing else.
TEST_F(CToolRunnerTest, AProgramThatCannotStartIsReportedAndNothingRuns) {
    for (const auto& [strProgram, strDir] : {std::pair{Path("no-such-dir/grimlet"), QString()},
                                             std::pair{QString(TOOL_CHILD), Path("no-such-dir")}}) {
        m_edit.clear();
        CToolRunner runner(strProgram, {"touch:" + Path("made")}, &m_edit, strDir);
        runner.Run();
        EXPECT_EQ(runner.GetResult(), TOOLRUN_NOT_STARTED);
        const QStringList listLines = Shown().split(u'\n');
        ASSERT_EQ(listLines.size(), 3) << Shown().toStdString();
        EXPECT_EQ(listLines[0], "Error creating process");
        EXPECT_FALSE(listLines[1].isEmpty());
        if (strDir.isEmpty()) {
            EXPECT_TRUE(listLines[1].startsWith(strProgram + ": ")) << Shown().toStdString();
            EXPECT_TRUE(listLines[1].contains("No such file or directory"));
        }
        EXPECT_EQ(listLines[2], "");
        EXPECT_FALSE(QFile::exists(Path("made")));
        EXPECT_FALSE(CToolRunner::IsAnyRunning());
    }
}

TEST_F(CToolRunnerTest, ResultTellsHowTheRunEnded) {
    CToolRunner succeeded(TOOL_CHILD, {"out:fine\\n"}, &m_edit);
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_PENDING);
    CToolRunner crashed("/bin/sh", {"-c", "kill -KILL $$"}, &m_edit);
    crashed.Run();
    EXPECT_EQ(crashed.GetResult(), TOOLRUN_FAILED);
    // Cancelled before it runs, a run ends as soon as it starts.
    CToolRunner early(TOOL_CHILD, {"hang"}, &m_edit);
    early.Cancel();
    early.Run();
    EXPECT_EQ(early.GetResult(), TOOLRUN_CANCELLED);
    EXPECT_EQ(Shown(), CANCELLED);
    // A runner used again starts afresh.
    succeeded.Run();
    succeeded.Run();
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_SUCCEEDED);
}

TEST_F(CToolRunnerTest, CancelEndsTheChildAndTheGrandchildItLeftRunning) {
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + Path("pids"), "out:ready\\n", "hang"}, &m_edit);
    WhenShown(m_edit, "ready", [&runner] { runner.Cancel(); });
    runner.Run();
    EXPECT_EQ(runner.GetResult(), TOOLRUN_CANCELLED);
    EXPECT_EQ(Shown(), "ready\n" + CANCELLED);
    EXPECT_TRUE(HaveEnded(Path("pids")));
    EXPECT_FALSE(CToolRunner::IsAnyRunning());

    // Also one that never stops writing.
    m_edit.clear();
    CToolRunner spew(TOOL_CHILD, {"spew"}, &m_edit);
    WhenShown(m_edit, "00000100 ", [&spew] { spew.Cancel(); });
    spew.Run();
    EXPECT_TRUE(Shown().endsWith(CANCELLED));
    EXPECT_TRUE(Shown().startsWith("00000000 "));
}

// The inner child waits until the outer one has written all it has to say and ended: that
// output must still come after the inner run's.
TEST_F(CToolRunnerTest, NestedRunGoesToItsEndBeforeTheOuterRunGoesOn) {
    CToolRunner outer(TOOL_CHILD,
                      {"out:outer 1\\n", "wait:" + Path("outer-go"), "out:outer 2\\n",
                       "touch:" + Path("outer-done")},
                      &m_edit);
    CToolRunner inner(TOOL_CHILD,
                      {"out:inner 1\\n", "wait:" + Path("outer-done"), "out:inner 2\\n"}, &m_edit);
    bool bInnerRan = false;
    WhenShown(m_edit, "outer 1", [&] {
        TouchFile(Path("outer-go"));
        inner.Run();
        bInnerRan = true;
    });
    outer.Run();
    EXPECT_TRUE(bInnerRan);
    EXPECT_EQ(Shown(), "outer 1\ninner 1\ninner 2\nouter 2\n");
}

TEST_F(CToolRunnerTest, PaneDestroyedDuringTheRunIsNotWrittenAndTheRunGoesOn) {
    QPointer<QPlainTextEdit> pEdit = new QPlainTextEdit;
    WhenShown(*pEdit, "first", [pEdit, this] {
        delete pEdit.data();
        TouchFile(Path("go"));
    });
    CToolRunner(TOOL_CHILD,
                {"out:first\\n", "wait:" + Path("go"), "flood:100000", "touch:" + Path("done")},
                pEdit)
        .Run();
    EXPECT_TRUE(pEdit.isNull());
    EXPECT_TRUE(QFile::exists(Path("done")));
}

// A main window that follows the runner's contract for closing during a run.
class CClosingWindow : public QWidget {
public:
    QPlainTextEdit* m_pOutput = new QPlainTextEdit(this);
    int m_nCloseRefused = 0;

protected:
    void closeEvent(QCloseEvent* pEvent) override {
        if (!CToolRunner::IsAnyRunning())
            return QWidget::closeEvent(pEvent);
        pEvent->ignore();
        ++m_nCloseRefused;
        CToolRunner::CancelAll();
        CToolRunner::CallWhenNoneRunning(this, [this] { close(); });
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
    QTimer::singleShot(0, [&] {
        CToolRunner::CallWhenNoneRunning(&context, [&] { bCalledAfterRun = true; });
        CToolRunner::CallWhenNoneRunning(pGone, [&] { bCalledForGone = true; });
        delete pGone;
    });
    CToolRunner(TOOL_CHILD, {"out:x"}, &m_edit).Run();
    EXPECT_FALSE(bCalledAfterRun);
    QCoreApplication::processEvents();
    EXPECT_TRUE(bCalledAfterRun);
    EXPECT_FALSE(bCalledForGone);
}

// Quitting leaves every event loop for good, so it runs in a process of its own.
int QuitDuringRun(const QString& strPids) {
    QPlainTextEdit edit;
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + strPids, "out:ready\\n", "hang"}, &edit);
    WhenShown(edit, "ready", [] { QCoreApplication::exit(0); });
    runner.Run();
    if (!HaveEnded(strPids))
        return 3;
    return edit.toPlainText() == "ready\n" + CANCELLED ? 0 : 4;
}

TEST_F(CToolRunnerTest, QuittingTheApplicationDuringARunEndsTheChild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(QuitDuringRun(Path("pids"))), testing::ExitedWithCode(0), "");
}

// For a command that shows the output only on failure.
TEST_F(CToolRunnerTest, KeptOutputIsWhatTheRunShowsAlsoWithoutAPane) {
    CToolRunner runner(TOOL_CHILD, {"out:one\\r\\n", "err:two\\n"}, nullptr);
    runner.SetKeepOutput(true);
    runner.Run();
    EXPECT_EQ(runner.GetKeptOutput(), "one\ntwo\n");
    EXPECT_EQ(runner.GetResult(), TOOLRUN_SUCCEEDED);
    CToolRunner shown(TOOL_CHILD, {"out:three\\n"}, &m_edit);
    shown.Run();
    EXPECT_EQ(Shown(), "three\n");
    EXPECT_EQ(shown.GetKeptOutput(), "");
}

} // namespace
