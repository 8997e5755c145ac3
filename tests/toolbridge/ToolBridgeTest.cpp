// The tool runner against real children, the Output pane's appends, and Load from MAIN.IDX,
// Insert into MAIN.IDX and Export to Vey with the real grimlet or a script in its place.
#include "FloodText.h"
#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ExportToVey.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"

#include <optional>
#include <unistd.h>

#include <QtTest>
#include <QtWidgets>

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
    const QStringList listArgs = {"two words", "\"double\"", "'single'", "a;b", "$(touch oops)",
        "`touch oops`", "*", "", "back\\slash", "tab\there", "D:\\PROGRA~1\\\\grimlet.exe"};
    const RunCase cases[] = {
        {{"out:one\\n", "err:two\\n", "out:three\\n", "err:four\\n", "out:five\\n"},
         "one\ntwo\nthree\nfour\nfive\n"},
        {{}, "kept\nas it was", {}, "kept\nas it was"},
        {QStringList{"args"} + listArgs, "[" + listArgs.join("]\n[") + "]\n"},
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
    EXPECT_TRUE(QFile::exists(Path("made-here")) && !QFile::exists(Path("oops")));
    // A flood past what the pane keeps ends with the child, the note and the last lines.
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
    EXPECT_TRUE(pBar->maximum() > 0 && pBar->value() == pBar->maximum());
    const QTextBlock lastBlock = m_edit.document()->lastBlock();
    EXPECT_EQ(lastBlock.text(), "the very end");
    EXPECT_TRUE(m_edit.viewport()->rect().contains(m_edit.cursorRect(QTextCursor(lastBlock))) &&
                m_edit.textCursor().atEnd());
}

// A missing program or directory is told with its reason; a crash is a failure; a run cancelled
// before it starts ends at once; a runner used again starts afresh; kept output is what the run
// shows, also without a pane; a call put off until no run is running waits for the event loop
// and for the run's end, and skips a context that went.
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
    int nCalls = 0;
    const auto count = [&nCalls](int n) { return [&nCalls, n] { nCalls += n; }; };
    CToolRunner::CallWhenNoneRunning(&m_edit, count(1));
    EXPECT_EQ(nCalls, 0);
    auto* pGone = new QObject;
    WhenShown(m_edit, "ready", [&] {
        CToolRunner::CallWhenNoneRunning(&m_edit, count(10));
        CToolRunner::CallWhenNoneRunning(pGone, count(100));
        delete pGone;
        TouchFile(Path("go"));
    });
    CToolRunner(TOOL_CHILD, {"out:ready", "wait:" + Path("go")}, &m_edit).Run();
    EXPECT_EQ(nCalls, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(nCalls, 11);
}

TEST_F(CToolRunnerTest, CancelEndsTheChildAndTheGrandchildItLeftRunning) {
    CToolRunner runner(TOOL_CHILD, {"grandchild:" + Path("pids"), "out:ready\\n", "hang"}, &m_edit);
    WhenShown(m_edit, "ready", [&runner] { runner.Cancel(); });
    runner.Run();
    EXPECT_EQ(runner.GetResult(), TOOLRUN_CANCELLED);
    EXPECT_EQ(Shown(), "ready\n" + CANCELLED);
    EXPECT_TRUE(HaveEnded(Path("pids")) && !CToolRunner::IsAnyRunning());
    m_edit.clear();
    CToolRunner spew(TOOL_CHILD, {"spew"}, &m_edit);
    WhenShown(m_edit, "00000100 ", [&spew] { spew.Cancel(); });
    spew.Run();
    EXPECT_TRUE(Shown().startsWith("00000000 ") && Shown().endsWith(CANCELLED));
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

// Quitting leaves every event loop for good, so it runs in a process of its own.
TEST_F(CToolRunnerTest, QuittingTheApplicationDuringARunEndsTheChild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto quit = [this] {
        CToolRunner runner(TOOL_CHILD, {"grandchild:" + Path("pids"), "out:ready\\n", "hang"},
                           &m_edit);
        WhenShown(m_edit, "ready", [] { QCoreApplication::exit(0); });
        runner.Run();
        return HaveEnded(Path("pids")) && Shown() == "ready\n" + CANCELLED ? 0 : 3;
    };
    EXPECT_EXIT(std::exit(quit()), testing::ExitedWithCode(0), "");
}

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
    // Else the one on the PATH, passing over a file beside the editor that may not be run.
    ASSERT_TRUE(QDir().mkpath(TempPath("path")));
    for (const QString strDir : {"path", "editor"}) {
        WriteFile(strDir + "/grimlet", "#!/bin/sh\necho \"$0\"\nexit 3\n");
        ASSERT_TRUE(QFile::setPermissions(TempPath(strDir + "/grimlet"),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        Load(strNotDb, "1001");
        EXPECT_EQ(Shown(), TempPath(strDir + "/grimlet") + "\n");
    }
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

// The close is put off until every run, one started inside Insert's too, was cancelled.
TEST_F(GrimletTest, ClosingTheMainWindowWhileGrimletRunsCancelsTheRunsFirst) {
    UseFakeGrimlet("printf '; GID 1001\\n' > \"$4\"\ntouch started\nexec sleep 60\n");
    const QString strForm = WriteFile("1001.zarn", "; GID 1001\n");
    for (const bool bInsert : {false, true}) {
        StartApp();
        CToolRunner inner(TOOL_CHILD, {"out:inner\\n", "hang"}, MainFrame().GetOutputEdit());
        WhenShown(*MainFrame().GetOutputEdit(), "inner", [this] { MainFrame().close(); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!QFile::exists(EditorPath("started")))
                return;
            poll.stop();
            bInsert ? inner.Run() : void(MainFrame().close());
        });
        poll.start(5);
        if (bInsert) {
            App().SetPendingRecord("1001", TempPath("MAIN.IDX"));
            ASSERT_NE(App().OpenDocumentFile(strForm), nullptr);
        }
        bInsert ? Execute(ID_ZARN_INSERT) : Load(WriteFile("MAIN.IDX", ""), "1001");
        EXPECT_FALSE(poll.isActive() || CToolRunner::IsAnyRunning());
        EXPECT_EQ(State(), bInsert
                               ? "*1001.zarn 1001 MAIN.IDX\npane: inner\n" + CANCELLED + CANCELLED
                               : "pane: ");
        EXPECT_EQ(Files(), QStringList({"started"}));
        EXPECT_TRUE(MainFrame().isVisible());
        ProcessEvents();
        EXPECT_FALSE(MainFrame().isVisible());
        EXPECT_TRUE(Docs().GetDocuments().empty());
        QFile::remove(EditorPath("started"));
        StopApp();
    }
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
    Type(pDoc, 0, "; GID 1001");
    EXPECT_EQ(Insert({QMessageBox::Yes}), std::vector<QString>({listAsked[0], SAVE_FIRST}));
    EXPECT_EQ(RecordedArguments(), QStringList());
    // Given a name, it is saved there and that file goes in; the pane is emptied all the same.
    AnswerFileDialogs({strFile});
    EXPECT_EQ(Insert({QMessageBox::Yes}), listAsked);
    EXPECT_EQ(ReadFile(strFile), "; GID 1001");
    EXPECT_EQ(RecordedArguments(), QStringList({"add", "-keepComments", strDb, strFile}));
    EXPECT_EQ(Shown(), "");
    // Grimlet's report shows as it comes: the second line is written once the first was seen.
    UseFakeGrimlet("echo first\nwhile [ ! -e go ]; do sleep 0.01; done\necho second\n");
    QString strAtFirst;
    WhenShown(*MainFrame().GetOutputEdit(), "first", [&] {
        strAtFirst = Shown();
        TouchFile(EditorPath("go"));
    });
    Insert();
    EXPECT_EQ(strAtFirst + Shown(), "first\nfirst\nsecond\n");
    // The real grimlet's refusal of a missing database, or no grimlet at all, is told there too.
    ASSERT_TRUE(QFile::remove(EditorPath("grimlet")) &&
                QFile::link(GRIMLET, EditorPath("grimlet")));
    for (const QString& strSaid :
         {"grimlet: " + strDb + ": ", "Error creating process\n" + EditorPath("grimlet") + ": "}) {
        Insert();
        EXPECT_TRUE(Shown().startsWith(strSaid)) << Shown().toStdString();
        RemoveGrimlet();
    }
    EXPECT_FALSE(QFile::exists(strDb));
}

// Lines that start a word go out behind "atom$" in CR LF, unsaved changes too; no extension added.
TEST_F(GrimletTest, ExportWritesTheFormExactlyAndThePaneSaysWhere) {
    const QByteArray source =
        "mat_width 100\r\n\r\n; comment\r\n  < x\r\n] end\r\n   mat_height 20   \r\n";
    const QString strSource = WriteFile("form.zarn", source);
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
    EXPECT_TRUE(ActiveDoc()->IsModified() && ReadFile(strSource) == source);
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
    // A document without a file offers its title, and an empty one exports an empty file.
    Execute(ID_FILE_NEW);
    Export(TempPath("new.vey"));
    EXPECT_EQ(m_listFileRequests.back().strInitialPath, ActiveDoc()->GetTitle() + ".vey");
    EXPECT_TRUE(QFileInfo(TempPath("new.vey")).isFile() &&
                QFileInfo(TempPath("new.vey")).size() == 0);
    EXPECT_TRUE(Shown().startsWith(" exported to " + TempPath("new.vey") + "\nNOTE!"));
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
