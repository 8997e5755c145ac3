// The tool runner against real children: the chunk rules and decoding of their output, the
// append routine of the Output panes, how a run ends, cancelling, nesting, a pane that goes.
#include "toolbridge/ToolRunner.h"

#include "FloodText.h"
#include "tests/support/PrintQString.h"
#include "toolbridge/ToolOutput.h"

#include <unistd.h>

#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

namespace {

constexpr const char TOOL_CHILD[] = TOOL_CHILD_PATH;
const QString CANCELLED = "\nCancelled.\n\nProcess terminated successfully.\n";

// Calls fn from the event loop, as a command would run, once the edit's text first holds strText.
void WhenShown(QPlainTextEdit& edit, const QString& strText, std::function<void()> fn) {
    auto pConnection = std::make_shared<QMetaObject::Connection>();
    *pConnection = QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit,
                                    [&edit, strText, fn, pConnection] {
                                        if (!edit.toPlainText().contains(strText))
                                            return;
                                        QObject::disconnect(*pConnection);
                                        QTimer::singleShot(0, fn);
                                    });
}

void TouchFile(const QString& strPath) {
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// Whether the child and grandchild whose ids the "grandchild:" step wrote into strPids have ended
// (gone, or zombies nobody reaped yet), waiting for them a while.
bool HaveEnded(const QString& strPids) {
    QFile file(strPids);
    const QList<QByteArray> listPids =
        file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split(' ') : QList<QByteArray>();
    for (const QByteArray& pid : listPids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid.toInt()));
        for (int nTries = 0; stat.open(QIODevice::ReadOnly); stat.close(), usleep(1000)) {
            const QByteArray line = stat.readAll();
            if (line.mid(line.lastIndexOf(')') + 2, 1) == "Z")
                break;
            if (++nTries > 10000)
                return false;
        }
    }
    return listPids.size() == 2 && listPids[0].toInt() > 0 && listPids[1].toInt() > 0;
}

class CToolRunnerTest : public testing::Test {
protected:
    QString Path(const QString& strName) const { return m_dir.filePath(strName); }
    QString Shown() const { return m_edit.toPlainText(); }

    QTemporaryDir m_dir;
    QPlainTextEdit m_edit;
};

// The shown part ends at the first zero byte or pause prompt; backspaces are blanks before that.
TEST(ShownPartOfChunk, EndsAtTheFirstZeroByteOrPausePromptWithBackspacesAsBlanks) {
    // clang-format off
    for (const auto& [chunk, shown] : std::vector<std::pair<QByteArray, QByteArray>>{
        {"plain\n", "plain\n"}, {QByteArray("ab\0cd", 5), "ab"}, {QByteArray("\0ab", 3), ""},
        {QByteArray("x Press any key to continue . . .\0y", 35), "x "},
        {QByteArray("x\0Press any key to continue . . .", 33), "x"},
        {"Press any key to continue . . .", ""},
        {"Press any key to continue . .", "Press any key to continue . ."},
        {"\b\ba\b", "  a "}, {"a\b Press any key to continue . . .", "a  "},
        {"Press\bany key to continue . . .", ""}, {"ok\nPress any\bkey\bto continue\b. . .\n", "ok\n"}})
        // clang-format on
        EXPECT_EQ(ShownPartOfChunk(chunk), shown) << chunk.toStdString();
}

TEST(ToolOutputDecoder, KeepsCharactersAndLineBreaksWholeAcrossReads) {
    CToolOutputDecoder decoder;
    QString strText;
    for (const char* pPiece : {"a\xc3", "", "\xa9\r", "\n\xf0\x9f", "\x98", "\x80\r", "b\r"})
        strText += decoder.Decode(pPiece);
    strText += decoder.Finish();
    EXPECT_EQ(strText, QString::fromUtf8("a\u00e9\n\U0001F600\nb\n"));
    // Finish shows an unfinished character and starts afresh.
    EXPECT_EQ(decoder.Decode("x\xe2\x82"), "x");
    EXPECT_EQ(decoder.Finish(), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Decode("\xac"), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Finish(), "");
}

// A line break of any style, also split between appends, is one; a pending one belongs to the
// text, not to the edit, and emptying or replacing the text ends it.
TEST(AppendToOutputEdit, LineBreaksOfEveryStyleAlsoSplitBetweenAppends) {
    QPlainTextEdit edit;
    for (const char* pszText : {"one\r\ntwo\rthree\nfour\r", "\nfive\r", "\r\nsix"})
        AppendToOutputEdit(&edit, pszText);
    EXPECT_EQ(edit.toPlainText(), "one\ntwo\nthree\nfour\nfive\n\nsix");
    EXPECT_EQ(edit.textCursor().position(), edit.toPlainText().size());
    AppendToOutputEdit(&edit, "old\r");
    AppendToOutputEdit(&edit, "\nnew", true);
    EXPECT_EQ(edit.toPlainText(), "\nnew");
    AppendToOutputEdit(&edit, "x\r");
    edit.setPlainText("replaced");
    AppendToOutputEdit(&edit, "\ny");
    EXPECT_EQ(edit.toPlainText(), "replaced\ny");
    AppendToOutputEdit(nullptr, "ignored", true);
    QPlainTextEdit first, second;
    AppendToOutputEdit(&first, "a\r");
    AppendToOutputEdit(&second, "\nb");
    EXPECT_EQ(second.toPlainText(), "\nb");
    AppendToOutputEdit(&first, "\nc");
    EXPECT_EQ(first.toPlainText(), "a\nc");
}

std::vector<int> BlockLengths(const QPlainTextEdit& edit) {
    std::vector<int> arrLengths;
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next())
        arrLengths.push_back(block.length() - 1);
    return arrLengths;
}

QString WholeText(const QPlainTextEdit& edit) {
    return OutputPaneText(edit.document(), 0, edit.document()->characterCount() - 1);
}

// A line that never ends is shown in pieces, so that appending stays cheap, which join into the
// text as it came, also across appends and around a surrogate pair on a piece's end.
TEST(AppendToOutputEdit, ALongLineIsShownInPiecesThatJoinIntoTheTextAsItCame) {
    QPlainTextEdit edit;
    QString strLine;
    for (int i = 0; i < 3; ++i) {
        const QString strPart = QString(3500, QChar(u'a' + i));
        AppendToOutputEdit(&edit, strPart);
        strLine += strPart;
    }
    AppendToOutputEdit(&edit, "\nshort\n");
    std::vector<int> arrExpected(strLine.size() / OUTPUT_PIECE_CHARS, OUTPUT_PIECE_CHARS);
    arrExpected.insert(arrExpected.end(), {int(strLine.size() % OUTPUT_PIECE_CHARS), 5, 0});
    EXPECT_EQ(BlockLengths(edit), arrExpected);
    EXPECT_EQ(WholeText(edit), strLine + "\nshort\n");
    // A part of it, from inside one piece to inside another.
    EXPECT_EQ(OutputPaneText(edit.document(), OUTPUT_PIECE_CHARS - 96, OUTPUT_PIECE_CHARS + 1 + 10),
              strLine.mid(OUTPUT_PIECE_CHARS - 96, 106));
    QPlainTextEdit wide;
    const QString strWide = QString(OUTPUT_PIECE_CHARS - 1, u'x') + QString::fromUtf8("\U0001F600");
    AppendToOutputEdit(&wide, strWide + strWide);
    EXPECT_EQ(BlockLengths(wide),
              std::vector<int>({OUTPUT_PIECE_CHARS - 1, OUTPUT_PIECE_CHARS, 3}));
    EXPECT_EQ(WholeText(wide), strWide + strWide);
}

// The pane keeps the last 50,000 lines or 16 MB of an endless line, under one note.
TEST(AppendToOutputEdit, KeepsTheLastLinesAndSaysThatOlderOnesWereDropped) {
    QPlainTextEdit edit;
    const int nLines = OUTPUT_MAX_LINES + 10'000;
    QString strText;
    for (int i = 0; i < nLines; ++i)
        strText += QString::number(i) + u'\n';
    // In appends of a few thousand lines, as the runner makes them.
    for (qsizetype nPos = 0; nPos < strText.size(); nPos += 20'000)
        AppendToOutputEdit(&edit, strText.mid(nPos, 20'000));
    const QTextDocument* pDoc = edit.document();
    EXPECT_LE(pDoc->blockCount(), OUTPUT_MAX_LINES + 1);
    EXPECT_GT(pDoc->blockCount(), OUTPUT_MAX_LINES * 3 / 4);
    EXPECT_EQ(pDoc->firstBlock().text(),
              "[Earlier output was dropped: the pane keeps the last 50,000 lines or 16 MB.]");
    // The lines after the note are the last ones, whole and in order.
    const QString strKept = WholeText(edit).mid(OutputDroppedNote().size() + 1);
    EXPECT_TRUE(strText.endsWith(strKept));
    EXPECT_TRUE(strKept.startsWith(QString::number(nLines - pDoc->blockCount() + 2) + u'\n'));
    // Dropping again keeps one note.
    AppendToOutputEdit(&edit, strText.left(200'000));
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_NE(pDoc->firstBlock().next().text(), OutputDroppedNote());
    EXPECT_LE(pDoc->blockCount(), OUTPUT_MAX_LINES + 1);
    QPlainTextEdit line;
    const QString strPart(1024 * 1024 - 7, u'z');
    for (int i = 0; i < 18; ++i)
        AppendToOutputEdit(&line, strPart + QString::number(i % 10));
    pDoc = line.document();
    EXPECT_LE(pDoc->characterCount(), OUTPUT_MAX_CHARS);
    EXPECT_GT(pDoc->characterCount(), OUTPUT_MAX_CHARS * 3 / 4);
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_TRUE(WholeText(line).mid(OutputDroppedNote().size() + 1).endsWith(strPart + "7"));
    EXPECT_EQ(line.textCursor().position(), pDoc->characterCount() - 1);
}

// Each (text, file) trigger creates the file for a "wait:" step once the pane shows the text.
struct RunCase {
    QStringList listSteps;
    QString strShown;
    std::vector<std::pair<QString, QString>> triggers = {};
    QString strBefore = {}; // what the pane holds before the run
};

TEST_F(CToolRunnerTest, WhatTheChildWritesIsShownInOrderAndInItsPlainForm) {
    // clang-format off
    const RunCase cases[] = {
        {{"out:one\\n", "err:two\\n", "out:three\\n", "err:four\\n", "out:five\\n"},
         "one\ntwo\nthree\nfour\nfive\n"},
        {{"out:after\\n"}, "before\nafter\n", {}, "before\n"},
        {{"no-such-step"}, "unknown step: no-such-step\n"},
        {{"touch:made-here"}, ""},
        // The child sees the end of its input at once.
        {{"stdin", "out:then on\\n"}, "stdin: end after 0 bytes\nthen on\n"},
        // Within what the pane keeps nothing is dropped, nor the last output of a child.
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

// A missing program or directory is told with the system's reason; a crash is a failure; a run
// cancelled before it starts ends at once; a runner used again starts afresh; kept output is
// what the run shows, also without a pane.
TEST_F(CToolRunnerTest, ResultTellsHowTheRunEnded) {
    for (const auto& [strProgram, strDir] : {std::pair{Path("no-such-dir/grimlet"), QString()},
                                             std::pair{QString(TOOL_CHILD), Path("no-such-dir")}}) {
        m_edit.clear();
        CToolRunner runner(strProgram, {"touch:" + Path("made")}, &m_edit, strDir);
        runner.Run();
        EXPECT_EQ(runner.GetResult(), TOOLRUN_NOT_STARTED);
        const QString strReason = Shown().section(u'\n', 1, 1);
        EXPECT_EQ(Shown(), "Error creating process\n" + strReason + "\n");
        EXPECT_TRUE(strDir.isEmpty() ? strReason.startsWith(strProgram + ": ") &&
                                           strReason.contains("No such file or directory")
                                     : !strReason.isEmpty())
            << Shown().toStdString();
        EXPECT_FALSE(QFile::exists(Path("made")) || CToolRunner::IsAnyRunning());
    }
    m_edit.clear();
    CToolRunner succeeded(TOOL_CHILD, {"out:one\\r\\n", "err:two\\n"}, nullptr);
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_PENDING);
    CToolRunner crashed("/bin/sh", {"-c", "kill -KILL $$"}, &m_edit);
    crashed.Run();
    EXPECT_EQ(crashed.GetResult(), TOOLRUN_FAILED);
    CToolRunner early(TOOL_CHILD, {"hang"}, &m_edit);
    early.Cancel();
    early.Run();
    EXPECT_EQ(early.GetResult(), TOOLRUN_CANCELLED);
    EXPECT_EQ(Shown(), CANCELLED);
    EXPECT_EQ(early.GetKeptOutput(), "");
    succeeded.SetKeepOutput(true);
    succeeded.Run();
    succeeded.Run();
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_SUCCEEDED);
    EXPECT_EQ(succeeded.GetKeptOutput(), "one\ntwo\n");
}

TEST_F(CToolRunnerTest, CancelEndsTheChildAndTheGrandchildItLeftRunning) {
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + Path("pids"), "out:ready\\n", "hang"}, &m_edit);
    WhenShown(m_edit, "ready", [&runner] { runner.Cancel(); });
    runner.Run();
    EXPECT_EQ(runner.GetResult(), TOOLRUN_CANCELLED);
    EXPECT_EQ(Shown(), "ready\n" + CANCELLED);
    EXPECT_TRUE(HaveEnded(Path("pids")));
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
    m_edit.clear();
    CToolRunner spew(TOOL_CHILD, {"spew"}, &m_edit);
    WhenShown(m_edit, "00000100 ", [&spew] { spew.Cancel(); });
    spew.Run();
    EXPECT_TRUE(Shown().endsWith(CANCELLED));
    EXPECT_TRUE(Shown().startsWith("00000000 "));
}

// The inner child waits for the outer one's end, whose output must still come after its own; a
// pane destroyed during a run is not written, and the run goes on.
TEST_F(CToolRunnerTest, ANestedRunEndsBeforeTheOuterOneGoesOnAndAPaneMayGoAway) {
    CToolRunner outer(TOOL_CHILD,
                      {"out:outer 1\\n", "wait:" + Path("outer-go"), "out:outer 2\\n",
                       "touch:" + Path("outer-done")},
                      &m_edit);
    CToolRunner inner(TOOL_CHILD,
                      {"out:inner 1\\n", "wait:" + Path("outer-done"), "out:inner 2\\n"}, &m_edit);
    WhenShown(m_edit, "outer 1", [&] {
        TouchFile(Path("outer-go"));
        inner.Run();
    });
    outer.Run();
    EXPECT_EQ(Shown(), "outer 1\ninner 1\ninner 2\nouter 2\n");
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

} // namespace
