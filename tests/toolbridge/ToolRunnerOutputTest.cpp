// The runner against real children: what reaches the Output pane, and in what form.
#include "FloodText.h"
#include "ToolTestSupport.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"

#include <QFile>
#include <QScrollBar>
#include <QTextBlock>

TEST_F(CToolRunnerTest, BothOutputStreamsArriveInTheOrderWritten) {
    RunChild({"out:one\\n", "err:two\\n", "out:three\\n", "err:four\\n", "out:five\\n"});
    EXPECT_EQ(Shown(), "one\ntwo\nthree\nfour\nfive\n");
}

TEST_F(CToolRunnerTest, ChildWritingNothingLeavesThePaneAsTheCallerLeftIt) {
    m_edit.setPlainText("kept\nas it was");
    RunChild({});
    EXPECT_EQ(Shown(), "kept\nas it was");
}

TEST_F(CToolRunnerTest, OutputIsAppendedAfterWhatThePaneHolds) {
    m_edit.setPlainText("before\n");
    RunChild({"out:after\\n"});
    EXPECT_EQ(Shown(), "before\nafter\n");
}

// Within what the pane keeps (OUTPUT_MAX_LINES): nothing is dropped.
TEST_F(CToolRunnerTest, FloodOfSeveralMegabytesArrivesWholeAndInOrder) {
    constexpr std::size_t nBytes = 3 * 1024 * 1024 + 123;
    RunChild({QStringLiteral("flood:%1").arg(nBytes)});
    const std::string strExpected = FloodText(nBytes);
    EXPECT_TRUE(Shown().toStdString() == strExpected)
        << "shown " << Shown().size() << " characters of " << strExpected.size();
}

// A child that writes lines faster than the pane can take them: the pane still holds at most
// its bound, the note above it, and the child's last lines; the run ends with the child.
TEST_F(CToolRunnerTest, FloodOfLinesBeyondWhatThePaneKeepsEndsWithTheLastLines) {
    RunChild({"yes:0.5", "out:the end\\n"});
    const QTextDocument* pDoc = m_edit.document();
    EXPECT_LE(pDoc->blockCount(), OUTPUT_MAX_LINES + 1);
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_TRUE(Shown().endsWith("y\ny\nthe end\n"));
}

TEST_F(CToolRunnerTest, LastOutputOfAChildThatEndsAtOnceIsShown) {
    RunChild({"flood:100000", "out:the last words\\n"});
    EXPECT_TRUE(Shown().endsWith("the last words\n"));
    EXPECT_EQ(Shown().size(), 100000 + 15);
}

TEST_F(CToolRunnerTest, BackspacesShowAsBlanks) {
    RunChild({"out:50%\\b\\b\\b60%\\n\\b"});
    EXPECT_EQ(Shown(), "50%   60%\n ");
}

TEST_F(CToolRunnerTest, PausePromptEndsTheShownPartOfItsChunk) {
    const QString strGo = Path("go");
    WhenShown(m_edit, "done", [strGo] { TouchFile(strGo); });
    RunChild({"out:done\\nPress any key to continue . . . dropped\\nalso dropped\\n",
              "wait:" + strGo, "out:next chunk\\n"});
    EXPECT_EQ(Shown(), "done\nnext chunk\n");
}

TEST_F(CToolRunnerTest, PausePromptSplitBetweenTwoChunksIsShownWhole) {
    const QString strGo = Path("go");
    WhenShown(m_edit, "Press any", [strGo] { TouchFile(strGo); });
    RunChild({"out:ok Press any", "wait:" + strGo, "out: key to continue . . . and on\\n"});
    EXPECT_EQ(Shown(), "ok Press any key to continue . . . and on\n");
}

TEST_F(CToolRunnerTest, ZeroByteEndsTheShownPartOfItsChunk) {
    const QString strGo = Path("go");
    WhenShown(m_edit, "seen", [strGo] { TouchFile(strGo); });
    RunChild({"out:seen\\0unseen\\n", "wait:" + strGo, "out:\\nnext\\n"});
    EXPECT_EQ(Shown(), "seen\nnext\n");
}

TEST_F(CToolRunnerTest, CharacterSplitBetweenTwoReadsStaysWhole) {
    const QString strGo1 = Path("go1");
    const QString strGo2 = Path("go2");
    WhenShown(m_edit, "A", [strGo1] { TouchFile(strGo1); });
    WhenShown(m_edit, "\u00e9B x", [strGo2] { TouchFile(strGo2); });
    // "é" is C3 A9, "€" is E2 82 AC: each arrives in two reads.
    RunChild({"out:A\\xc3", "wait:" + strGo1, "out:\\xa9B x\\xe2\\x82", "wait:" + strGo2,
              "out:\\xac\\n"});
    EXPECT_EQ(Shown(), QString::fromUtf8("A\u00e9B x\u20ac\n"));
}

TEST_F(CToolRunnerTest, UnfinishedOrInvalidBytesShowAsReplacementCharacters) {
    RunChild({"out:bad \\xff!\\n", "out:cut \\xe2\\x82"});
    EXPECT_EQ(Shown(), QString::fromUtf8("bad \ufffd!\ncut \ufffd"));
}

TEST_F(CToolRunnerTest, CrLfGivesOneLineBreakAlsoWhenSplitBetweenReads) {
    const QString strGo = Path("go");
    WhenShown(m_edit, "two", [strGo] { TouchFile(strGo); });
    RunChild({"out:one\\r\\ntwo\\r", "wait:" + strGo, "out:\\nthree\\rfour\\r"});
    EXPECT_EQ(Shown(), "one\ntwo\nthree\nfour\n");
}

TEST_F(CToolRunnerTest, ArgumentsReachTheChildUnchanged) {
    const QStringList listArgs = {"two words",
                                  "\"double\"",
                                  "'single'",
                                  "a;b",
                                  "$(touch oops)",
                                  "`touch oops`",
                                  "*",
                                  "",
                                  "back\\slash",
                                  "tab\there",
                                  "D:\\PROGRA~1\\\\grimlet.exe"};
    CToolRunner runner(TOOL_CHILD, QStringList{"args"} + listArgs, &m_edit, m_dir.path());
    runner.Run();
    QString strExpected;
    for (const QString& strArg : listArgs)
        strExpected += "[" + strArg + "]\n";
    EXPECT_EQ(Shown(), strExpected);
    EXPECT_FALSE(QFile::exists(Path("oops")));
}

TEST_F(CToolRunnerTest, ChildRunsInTheGivenDirectory) {
    CToolRunner runner(TOOL_CHILD, {"touch:made-here"}, &m_edit, m_dir.path());
    runner.Run();
    EXPECT_TRUE(QFile::exists(Path("made-here")));
    EXPECT_EQ(Shown(), "");
}

TEST_F(CToolRunnerTest, ChildSeesTheEndOfItsInputAtOnce) {
    RunChild({"stdin", "out:then on\\n"});
    EXPECT_EQ(Shown(), "stdin: end after 0 bytes\nthen on\n");
}

TEST_F(CToolRunnerTest, AppendingKeepsTheLastLineInViewAlsoAfterTheUserScrolledUp) {
    m_edit.resize(300, 120);
    m_edit.show();
    const QString strGo = Path("go");
    WhenShown(m_edit, "00000400", [this, strGo] {
        m_edit.verticalScrollBar()->setValue(0);
        TouchFile(strGo);
    });
    RunChild({"flood:40000", "wait:" + strGo, "out:the very end"});
    QScrollBar* pBar = m_edit.verticalScrollBar();
    EXPECT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    const QTextBlock lastBlock = m_edit.document()->lastBlock();
    EXPECT_EQ(lastBlock.text(), "the very end");
    QTextCursor endCursor(lastBlock);
    EXPECT_TRUE(m_edit.viewport()->rect().contains(m_edit.cursorRect(endCursor)));
    EXPECT_TRUE(m_edit.textCursor().atEnd());
}
