// Editing keys as golden cases: typing with and without overtype, Enter and its indentation,
// Delete, Backspace and word deletion, Tab and Shift+Tab, the clipboard, and the undo groups
// they record; then what the tables cannot say: Windows-1252 input, refusals and resets.
#include "DialogDriver.h"
#include "EditTestSupport.h"
#include "resources/CommandIds.h"
#include "tests/support/PrintQString.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Columns: before, script, after, Undo group, Undos back to before, clipboard in and out.
// clang-format off
const EditCase TYPING[] = {
    {"ab|cd",      "\"xy z\"",              "abxy z|cd"},
    {"a[bc]|d",    "\"x\"",                 "ax|d"},
    {"a[b\nc]|d",  "\"x\"",                 "ax|d",          "Delete Selection", 1},
    {"|",          "\"~!\"",                "~!|"},
    // Characters go in as their Windows-1252 bytes.
    {"a|bcd",      "\"\xC3\xA9\xE2\x82\xAC\xC3\xBC\" Ins \"\xE2\x84\xA2\"", "a\xE9\x80\xFC\x99|cd"},
    // Overtype replaces the character under the caret, never the line end or a selection.
    {"a|[bc]d",    "Ins \"x\"",             "ax|d"},
    {"ab|cd",      "Ins \"x\"",             "abx|d",         "Typing", 1},
    {"a|\tb",      "Ins \"x\"",             "ax|b"},
    {"ab|\ncd",    "Ins \"xy\"",            "abxy|\ncd"},
    {"ab|cd",      "Ins \"XY\" Ins \"Z\"",  "abXYZ|"},
    // Enter copies the leading blanks and tabs; the first Undo takes them, the second the break.
    {"    ab|c",   "Return",                "    ab\n    |c", "Auto Indent", 2},
    {"    ab|c",   "Return Ctrl+Z",         "    ab\n|c",     "Typing", 1},
    {"\t x|",      "Enter",                 "\t x\n\t |"},
    {"abc|",       "Return",                "abc\n|",        "Typing", 1},
    {"ab|",        "\"cd\" Return Ctrl+Z",  "abcd|",          "Typing", 1},
    {"  a[bc]|d",  "Return",                "  a\n  |d"},
    {"|  abc",     "Return",                "\n|  abc"},
    {"\xA0x|",     "Return",                "\xA0x\n|"},
    // In overtype Enter only moves down, except on the last line, and never indents.
    {"  a|b\n  cd", "Ins Return",           "  ab\n|  cd",   "",       0},
    {"  ab\n  c|d", "Ins Return",           "  ab\n  c\n|d"},
    {"ab|cd",      "Del",                   "ab|d",          "Delete", 1},
    {"ab|\ncd",    "Del",                   "ab|cd"},
    {"ab\ncd|",    "Del",                   "ab\ncd|",       "",       0},
    {"a[b\nc]|d",  "Del",                   "a|d",           "Delete", 1},
    {"ab|cd",      "Backspace",             "a|cd",          "Backspace", 1},
    {"|abcd",      "Backspace",             "|abcd",         "",       0},
    {"0\n1\n2x\n|3", "Backspace",           "0\n1\n2x|3"},
    {"a[bc]|d",    "Backspace",             "a|d",           "Delete", 1},
    // Keys with Ctrl or Alt and control characters type nothing.
    {"ab|",        "Ctrl+Q Alt+X Esc",      "ab|",           "",       0},
    {"  a[b\n  c]|d", "ro \"xy \" Return Del Backspace Tab Backtab Ctrl+X Ctrl+V",
                                            "  a[b\n  c]|d", "",       0, "p"},
    // Nor does Enter after a typed line break, nor Undo, which leaves the caret alone too.
    {"  ab|",      "Ins Return Ins ro Return", "  ab\n|",      "Typing", 1},
    {"ab|",        "\"c\" ro Home Ctrl+Z",   "|abc",          "Typing", 1},
    // A word and the blank before it undo together; typing after an Undo is a group of its own.
    {"|",          "\"abc de\"",            "abc de|",       "Typing"},
    {"|",          "\"abc de\" Ctrl+Z",     "abc|",          "Typing", 1},
    {"|",          "\"ab c\" Ctrl+Z \"x\" Ctrl+Z Ctrl+Y Ctrl+Y", "abx|"},
    {"ab|\nxy",    "\"cd\" \"ef\" Ctrl+Z",  "ab|\nxy"},
    {"ab|\nxy",    "\"cd\" Left Right \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|\nxy",    "\"cd\" Ctrl+V \"ef\" Ctrl+Z", "abcdXY|\nxy", nullptr, -1, "XY"},
    {"ab|\nxy",    "\"cd\" Backspace \"ef\" Ctrl+Z", "abc|\nxy"},
    {"ab|\nxy",    "\"cd\" Ctrl+Z Ctrl+Y \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|\nxy",    "\"cd\" @4,0 \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|",        "\"c\" Alt+Backspace",  "ab|",           "",       0},
    {"a[bc]|d",    "Return",                "a\n|d",         "Delete Selection", 1},
};

const EditCase WORD_DELETE[] = {
    {"foo bar|",      "Ctrl+Backspace", "foo |",      "Backspace Word", 1},
    {"foo bar  |x",   "Ctrl+Backspace", "foo |x",     "Backspace Word", 1},
    {"foo ba|r",      "Ctrl+Backspace", "foo |r",     "Backspace Word", 1},
    {"x  +=  |y",     "Ctrl+Backspace", "x  |y",      "Backspace Word", 1},
    {"abc  \n|def",   "Ctrl+Backspace", "|def",       "Backspace Word", 1},
    {"a b\n\n|c",     "Ctrl+Backspace", "a b\n|c",    "Backspace Word", 1},
    {"|abc",          "Ctrl+Backspace", "|abc",       "",               0},
    {"a[bc]|d",       "Ctrl+Backspace", "a|d",        "Delete",         1},
    {"foo b|ar",      "ro Ctrl+Backspace", "foo b|ar", "",              0},
    {"|foo bar",      "Ctrl+Del",       "|bar",       "Delete Word",    1},
    {"fo|o bar",      "Ctrl+Del",       "fo|bar",     "Delete Word",    1},
    {"foo| bar",      "Ctrl+Del",       "foo|bar",    "Delete Word",    1},
    {"a|+=b c",       "Ctrl+Del",       "a|b c",      "Delete Word",    1},
    {"abc|\n  def",   "Ctrl+Del",       "abc|def",    "Delete Word",    1},
    {"abc|\ndef ghi", "Ctrl+Del",       "abc|ghi",    "Delete Word",    1},
    {"abc|\n\nx",     "Ctrl+Del",       "abc|x",      "Delete Word",    1},
    {"abc|\n",        "Ctrl+Del",       "abc|",       "Delete Word",    1},
    {"abc|",          "Ctrl+Del",       "abc|",       "",               0},
    {"[ab]|c",        "Ctrl+Del",       "|c",         "Delete",         1},
    {"f|oo bar",      "ro Ctrl+Del",    "f|oo bar",   "",               0},
    {"f[o]|o bar",    "ro Ctrl+Del",    "f[o]|o bar", "",               0},
};

const EditCase INDENT[] = {
    {"ab|cd",      "Tab",      "ab\t|cd",        "Typing", 1},
    {"a[bc]|d",    "Tab",      "a\t|d"},
    // A block gains a tab on each line, one group; one ending at column 0 leaves its end line.
    {"line 0\nli[ne 1\nline 2\nline 3\n]|line 4", "Tab",
     "line 0\n[\tline 1\n\tline 2\n\tline 3\n]|line 4", "Indent", 1},
    {"line 0\nli[ne 1\nline 2\nline 3\n]|line 4", "Tab Tab",
     "line 0\n[\t\tline 1\n\t\tline 2\n\t\tline 3\n]|line 4", "Indent", 2},
    {"ab\nc|[d\nef]gh", "Tab", "ab\n[\tcd\n\tefgh]|", "Indent", 1},
    {"a[b\ncd]|\nef",   "Tab", "[\tab\n\tcd\n]|ef"},
    {"[  \tx\n     y\n\tz\nabc\n\n   \n  ]|w", "Shift+Tab", "[x\n y\nz\nabc\n\n\nw]|", "Indent", 1},
    // Without a block Shift+Tab moves the caret back to a tab stop; in overtype Tab moves on
    // to the next, except at the line's end.
    {"abcdefgh|ij", "Backtab", "abcd|efghij",    "",       0},
    {"abcdef|ghij", "Backtab", "abcd|efghij"},
    {"abc|d",       "Backtab", "|abcd"},
    {"|abcd",       "Backtab", "|abcd"},
    {"a\tb\t|c",    "Backtab", "a\t|b\tc"},
    {"ab[cdef]|gh", "Backtab", "abcd|efgh",      "",       0},
    {"ab|cdefgh",   "Ins Tab", "abcd|efgh",      "",       0},
    {"abcd|efgh",   "Ins Tab", "abcdefgh|"},
    {"a|b\tcd",     "Ins Tab", "ab\t|cd"},
    {"ab|c",        "Ins Tab", "abc|"},
    {"abc|",        "Ins Tab", "abc\t|",         "Typing", 1},
};

const EditCase CLIPBOARD[] = {
    // Text leaves with LF line ends and Windows-1252 characters.
    {"ab[c\nd\xE9]|f", "Ctrl+X",    "ab|f",    "Cut",    1, nullptr, "c\nd\xC3\xA9"},
    {"[a]|bc",         "Shift+Del", "|bc",     "Cut",    1, nullptr, "a"},
    {"ab|c",           "Ctrl+X",    "ab|c",    "",       0, "kept",  "kept"},
    {"a[bc]|d",        "ro Ctrl+X", "a[bc]|d", "",       0, "kept",  "kept"},
    {"[alpha\n\tbeta\n]|gamma", "Ctrl+C Ctrl+End Ctrl+V", "alpha\n\tbeta\ngammaalpha\n\tbeta\n|",
     nullptr, -1, nullptr, "alpha\n\tbeta\n"},
    // It comes in with every lone LF or CR made a line break.
    {"x|y", "Ctrl+V", "xone\ntwo\nthree \xE9\x80|y", "Paste", 1,
     "one\ntwo\r\nthree \xC3\xA9\xE2\x82\xAC"},
    {"x|y",            "Shift+Ins", "xa\nb\n|y", nullptr, -1, "a\rb\n"},
    {"a[bc\nd]|e",     "Ctrl+V",    "aXY|e",   nullptr,  1, "XY"},
    {"a[bc]|d",        "Ctrl+V",    "ap|d",    "Delete Selection", 1, "p"},
};
// clang-format on

TEST(EditKeys, GoldenCases) {
    using Table = std::span<const EditCase>;
    for (const Table table : std::initializer_list<Table>{TYPING, WORD_DELETE, INDENT, CLIPBOARD})
        RunEditCases(table);
}

TEST(EditKeys, WordDeletionRemovesWhatCtrlShiftArrowsSelect) {
    for (const EditCase& c : WORD_DELETE) {
        const GoldenText before = ParseGolden(c.pszBefore);
        if (std::string_view(c.pszAfter) == c.pszBefore || before.ptSelLow != before.ptSelHigh)
            continue;
        SCOPED_TRACE(c.pszBefore);
        CEditFixture fx(c.pszBefore);
        Keys(fx.view, c.pszKeys == std::string_view("Ctrl+Del") ? "Ctrl+Shift+Right Del"
                                                                : "Ctrl+Shift+Left Del");
        EXPECT_EQ(fx.State(), c.pszAfter);
    }
}

TEST(EditKeys, CommandStatesModesAndResets) {
    CEditFixture fx("a[bc]|d");
    EXPECT_TRUE(CommandUI(fx.view, ID_EDIT_CUT).IsEnabled());
    // A read-only buffer refuses edits but not the mode switch; Cut refuses when it runs.
    Keys(fx.view, "ro Ins");
    EXPECT_FALSE(fx.view.CanModifyText());
    EXPECT_TRUE(CommandUI(fx.view, ID_INDICATOR_READ).IsEnabled());
    EXPECT_TRUE(CommandUI(fx.view, ID_EDIT_CUT).IsEnabled());
    EXPECT_TRUE(fx.view.IsOvertype());
    EXPECT_TRUE(CommandUI(fx.view, ID_INDICATOR_OVR).IsEnabled());
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_TOGGLE_OVERTYPE).GetCheck(), 1);
    Keys(fx.view, "rw End Ins");
    EXPECT_FALSE(CommandUI(fx.view, ID_INDICATOR_READ).IsEnabled());
    EXPECT_FALSE(CommandUI(fx.view, ID_INDICATOR_BLANK).IsEnabled());
    EXPECT_FALSE(CommandUI(fx.view, ID_INDICATOR_OVR).IsEnabled());
    EXPECT_FALSE(CommandUI(fx.view, ID_EDIT_CUT).IsEnabled());
    EXPECT_FALSE(CommandUI(fx.view, ID_EDIT_UNDO).IsEnabled());
    EXPECT_FALSE(CommandUI(fx.view, ID_EDIT_REDO).IsEnabled());
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_REDO).GetText(), "&Redo\tCtrl+Y");
    Keys(fx.view, "\"x\"");
    EXPECT_TRUE(CommandUI(fx.view, ID_EDIT_UNDO).IsEnabled());
    Keys(fx.view, "Ctrl+Z");
    EXPECT_TRUE(CommandUI(fx.view, ID_EDIT_REDO).IsEnabled());
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_REDO).GetText(), "&Redo Typing\tCtrl+Y");
    // A reset turns overtype off and indentation on.
    fx.view.m_bOvertype = true;
    fx.view.m_bKeepIndent = false;
    fx.pBuffer->InitEmpty(EOL_CRLF);
    EXPECT_FALSE(fx.view.IsOvertype());
    EXPECT_TRUE(fx.view.IsKeepIndent());
    fx.view.m_bOvertype = true;
    fx.view.AttachBuffer(fx.pBuffer.get());
    EXPECT_FALSE(fx.view.IsOvertype());
    // Without a buffer there is nothing to undo.
    CProbeEditView view;
    view.Undo();
    view.Redo();
    EXPECT_FALSE(CommandUI(view, ID_EDIT_UNDO).IsEnabled());
    EXPECT_EQ(CommandUI(view, ID_EDIT_UNDO).GetText(), "&Undo\tCtrl+Z");
}

TEST(EditKeys, AnIndentEndsAtACarriageReturnInsideTheLine) {
    auto pBuffer = MakeBuffer({""});
    pBuffer->AppendToLine(0, std::string_view(" \r x", 4));
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    Keys(view, "End Return");
    EXPECT_EQ(LinesOf(*pBuffer), (std::vector<std::string>{std::string(" \r x", 4), " "}));
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{1, 1}));
}

TEST(EditKeys, ControlCodesAndCharactersTypedWhileAMouseButtonIsDownTypeNothing) {
    CEditFixture fx("ab|");
    fx.view.OnChar(7);
    fx.view.OnChar(300);
    fx.view.OnTypedText(QStringLiteral("\x1b\t"));
    QWindow* pWindow = fx.view.window()->windowHandle();
    const QPoint pt = fx.view.viewport()->mapTo(fx.view.window(), CellPoint(fx.view, 5, 3));
    QTest::mousePress(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
    ASSERT_TRUE(QGuiApplication::mouseButtons() & Qt::LeftButton);
    fx.view.OnChar('x');
    fx.view.OnTypedText(QString::fromUtf8("\xE2\x82\xAC"));
    QTest::mouseRelease(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
    EXPECT_EQ(fx.State(), "ab|");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    fx.view.OnChar('x');
    fx.view.OnChar(255);
    EXPECT_EQ(fx.State(), "abx\xFF|");
}

TEST(EditKeys, TheInputMethodTypesItsTextWholeOrNotAtAllAndTheStatusBarSaysWhy) {
    QMainWindow window;
    QStatusBar* pStatusBar = window.statusBar(); // before the message, which needs one
    CEditFixture fx("a|bcd");
    fx.pBuffer->SetModified(false);
    window.setCentralWidget(&fx.view);
    window.show();
    // Only committed text is typed, never the preedit.
    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    QApplication::sendEvent(&fx.view, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xC5\x92"));
    QApplication::sendEvent(&fx.view, &commit);
    EXPECT_EQ(fx.State(), "a\x8C|bcd");
    EXPECT_TRUE(fx.view.inputMethodQuery(Qt::ImEnabled).toBool());
    fx.view.Undo();
    fx.pBuffer->SetModified(false);
    const QString strMessage = QString::fromUtf8("Cannot type U+2192 (\xE2\x86\x92): not in the "
                                                 "document's encoding, Windows-1252.");
    Keys(fx.view, "\"\xE2\x86\x92\"");
    EXPECT_EQ(pStatusBar->currentMessage(), strMessage);
    pStatusBar->clearMessage();
    commit.setCommitString(QString::fromUtf8("x\xE2\x86\x92"));
    QApplication::sendEvent(&fx.view, &commit);
    EXPECT_EQ(pStatusBar->currentMessage(), strMessage);
    EXPECT_EQ(fx.State(), "a|bcd");
    EXPECT_FALSE(fx.pBuffer->IsModified());
    EXPECT_TRUE(fx.pBuffer->CanRedo());
    window.takeCentralWidget();
}

TEST(EditKeys, PasteWithoutTextDeletesTheSelectionAndAfterALineBreakAddsNoIndentation) {
    // The last step is a typed line break, and an empty text may not indent after it.
    CEditFixture fx("  ab|");
    Keys(fx.view, "Ins Return Ins");
    auto* pEmpty = new QMimeData; // a text, but an empty one
    pEmpty->setText(QString());
    QGuiApplication::clipboard()->setMimeData(pEmpty);
    fx.view.Paste();
    EXPECT_EQ(fx.State(), "  ab\n|");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
    Keys(fx.view, "Up Shift+Home");
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(CommandUI(fx.view, ID_EDIT_PASTE).IsEnabled());
    fx.view.Paste();
    EXPECT_EQ(fx.State(), "|ab\n");
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Delete Selection"));
}

TEST(EditKeys, BytesLeaveAsWindows1252CharactersAndPasteBackAsTheSameBytes) {
    std::string bytes;
    for (int ch = 0x80; ch <= 0x9F; ++ch)
        bytes.push_back(static_cast<char>(ch));
    CEditFixture fx("[" + bytes + "]|");
    Keys(fx.view, "Ctrl+C");
    // The five bytes the code page leaves undefined leave as the C1 controls of their code.
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(),
        QString::fromUtf8("\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6"
                          "\xE2\x80\xA0\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9"
                          "\xC5\x92\xC2\x8D\xC5\xBD\xC2\x8F\xC2\x90\xE2\x80\x98\xE2\x80\x99"
                          "\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94\xCB\x9C"
                          "\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC2\x9D\xC5\xBE\xC5\xB8"));
    Keys(fx.view, "End Ctrl+V");
    EXPECT_EQ(fx.State(), bytes + bytes + "|");
    // Text with a character the document cannot hold is refused whole.
    CMessageLog log;
    fx.pBuffer->SetModified(false);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("x\xE2\x82\xAC\ny \xE2\x86\x92 z"));
    Keys(fx.view, "Home Shift+End Ctrl+V");
    EXPECT_EQ(log.Messages(),
              std::vector<std::string>{"Cannot paste U+2192 (\xE2\x86\x92): not "
                                       "in the document's encoding, Windows-1252."});
    EXPECT_EQ(fx.State(), "[" + bytes + bytes + "]|");
    EXPECT_FALSE(fx.pBuffer->IsModified());
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

TEST(EditKeys, TypingJoinsNoTypingAcrossAnotherViewOrASave) {
    QTemporaryDir dir;
    const std::string strPath = dir.filePath(QStringLiteral("t.txt")).toStdString();
    CEditFixture fx("ab|\nxy");
    CProbeEditView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    Keys(fx.view, "\"cd\"");
    Keys(other, "Down \"Q\"");
    Keys(fx.view, "\"ef\"");
    ASSERT_TRUE(fx.pBuffer->SaveFile(strPath));
    Keys(fx.view, "\"gh\" Ctrl+Z");
    EXPECT_EQ(fx.State(), "abcdef|\nQxy");
    // Undoing back to the save reaches the saved text.
    EXPECT_FALSE(fx.pBuffer->IsModified());
    Keys(fx.view, "Ctrl+Z");
    EXPECT_EQ(fx.State(), "abcd|\nQxy");
}

TEST(EditKeys, UndoAndRedoPutTheCaretWhereTheGroupWasAndShowIt) {
    CEditFixture fx("line 0\nline 1\nline| 2", 20, 2);
    Keys(fx.view, "Del Del Ctrl+Home");
    EXPECT_EQ(fx.view.GetFirstVisibleLine(), 0);
    // Undoing a deletion leaves the caret after the text put back; redoing it, where it was.
    Keys(fx.view, "Ctrl+Z");
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline2|");
    EXPECT_EQ(fx.view.GetFirstVisibleLine(), 1);
    Keys(fx.view, "Ctrl+Z");
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline |2");
    Keys(fx.view, "Ctrl+Home Ctrl+Y");
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline|2");
}

TEST(EditKeys, BlocksIndentWholeAndTheHorizontalBarFollows) {
    std::string golden = "[";
    for (int i = 0; i < 1500; ++i)
        golden += "line " + std::to_string(i) + "\n";
    // More lines than the history holds still undo whole.
    CEditFixture fx(golden + "]|end");
    Keys(fx.view, "Tab");
    EXPECT_EQ(fx.pBuffer->GetLineView(1499), "\tline 1499");
    ExpectUndoneTo(fx, 1, golden + "]|end");

    CEditFixture wide("[" + std::string(38, 'x') + "\n" + std::string(38, 'y') + "]|", 40, 5);
    EXPECT_FALSE(wide.view.horizontalScrollBar()->isEnabled());
    Keys(wide.view, "Tab");
    EXPECT_TRUE(wide.view.horizontalScrollBar()->isEnabled());
    EXPECT_EQ(wide.view.GetMaxLineColumns(), 42);
    EXPECT_FALSE(wide.view.m_bHorzScrollFrozen);
}

} // namespace
