// Typing: characters with and without overtype, Enter with its automatic indentation, Delete,
// Backspace, characters as Windows-1252 bytes, and a read-only buffer refusing every change.
#include "EditTestSupport.h"
#include "resources/CommandIds.h"
#include "tests/support/PrintQString.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::string AfterTyping(std::string_view before, const QString& text, bool bOvertype = false) {
    CEditFixture fx(before);
    fx.view.m_bOvertype = bOvertype;
    Type(fx.view, text);
    return fx.State();
}

std::string AfterKeys(std::string_view before, Qt::Key key,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier, int nTimes = 1) {
    CEditFixture fx(before);
    Press(fx.view, key, modifiers, nTimes);
    return fx.State();
}

TEST(EditTyping, CharactersGoInAtTheCaretAndReplaceTheSelection) {
    EXPECT_EQ(AfterTyping("ab|cd", "xy z"), "abxy z|cd");
    EXPECT_EQ(AfterTyping("a[bc]|d", "x"), "ax|d");
    EXPECT_EQ(AfterTyping("a[b\nc]|d", "x"), "ax|d");
    EXPECT_EQ(AfterTyping("|", "~!"), "~!|");
    // Over a selection overtype removes nothing more.
    EXPECT_EQ(AfterTyping("a|[bc]d", "x", true), "ax|d");
}

TEST(EditTyping, OvertypeReplacesTheCharacterUnderTheCaretButNotTheLineEnd) {
    EXPECT_EQ(AfterTyping("ab|cd", "x", true), "abx|d");
    EXPECT_EQ(AfterTyping("a|\tb", "x", true), "ax|b");
    EXPECT_EQ(AfterTyping("ab|\ncd", "xy", true), "abxy|\ncd");
    // Insert toggles it; its check mark and the OVR indicator follow.
    CEditFixture fx("ab|cd");
    EXPECT_EQ(fx.view.IsOvertype(), false);
    EXPECT_FALSE(IsEnabled(fx.view, ID_INDICATOR_OVR));
    Press(fx.view, Qt::Key_Insert);
    EXPECT_TRUE(fx.view.IsOvertype());
    EXPECT_TRUE(IsEnabled(fx.view, ID_INDICATOR_OVR));
    CCmdUI cmdUI(ID_EDIT_TOGGLE_OVERTYPE);
    fx.view.RouteUpdateCmdUI(ID_EDIT_TOGGLE_OVERTYPE, cmdUI);
    EXPECT_EQ(cmdUI.GetCheck(), 1);
    Type(fx.view, "XY");
    EXPECT_EQ(fx.State(), "abXY|");
    Press(fx.view, Qt::Key_Insert);
    Type(fx.view, "Z");
    EXPECT_EQ(fx.State(), "abXYZ|");
}

TEST(EditTyping, EnterCopiesTheIndentationAndUndoesInTwoSteps) {
    CEditFixture fx("    ab|c");
    Press(fx.view, Qt::Key_Return);
    EXPECT_EQ(fx.State(), "    ab\n    |c");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Auto Indent\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "    ab\n|c");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Typing\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "    ab|c");
    EXPECT_FALSE(fx.pBuffer->CanUndo());

    // Tabs and blanks are copied as they are; the keypad's Enter is Enter too.
    EXPECT_EQ(AfterKeys("\t x|", Qt::Key_Enter), "\t x\n\t |");
    // Without leading whitespace only the line break goes in.
    EXPECT_EQ(AfterKeys("abc|", Qt::Key_Return), "abc\n|");
    EXPECT_EQ(AfterKeys("  a[bc]|d", Qt::Key_Return), "  a\n  |d");
    // From an empty or first line there is nothing to copy.
    EXPECT_EQ(AfterKeys("|  abc", Qt::Key_Return), "\n|  abc");
    // Bytes 128 and above are not blanks; a carriage return inside the line ends the indent.
    EXPECT_EQ(AfterKeys("\xA0x|", Qt::Key_Return), "\xA0x\n|");
}

TEST(EditTyping, AnIndentEndsAtACarriageReturnInsideTheLine) {
    auto pBuffer = std::make_unique<CTextBuffer>();
    pBuffer->InitEmpty(EOL_CRLF);
    pBuffer->AppendToLine(0, std::string_view(" \r x", 4));
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    view.PutCaretAt({4, 0});
    Press(view, Qt::Key_Return);
    ASSERT_EQ(pBuffer->GetLineCount(), 2);
    EXPECT_EQ(pBuffer->GetLineView(1), " ");
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{1, 1}));
}

TEST(EditTyping, EnterInOvertypeMovesToTheNextLineExceptOnTheLast) {
    CEditFixture fx("  a|b\n  cd");
    fx.view.m_bOvertype = true;
    Press(fx.view, Qt::Key_Return);
    EXPECT_EQ(fx.State(), "  ab\n|  cd");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    fx.view.PutCaretAt({3, 1});
    Press(fx.view, Qt::Key_Return);
    // No automatic indentation while overtype is on.
    EXPECT_EQ(fx.State(), "  ab\n  c\n|d");
}

TEST(EditTyping, DeleteRemovesTheNextCharacterOrJoinsLines) {
    EXPECT_EQ(AfterKeys("ab|cd", Qt::Key_Delete), "ab|d");
    EXPECT_EQ(AfterKeys("ab|\ncd", Qt::Key_Delete), "ab|cd");
    EXPECT_EQ(AfterKeys("ab\ncd|", Qt::Key_Delete), "ab\ncd|");
    EXPECT_EQ(AfterKeys("a[b\nc]|d", Qt::Key_Delete), "a|d");
    CEditFixture fx("a|[bc]d");
    Press(fx.view, Qt::Key_Delete);
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Delete\tCtrl+Z");
}

TEST(EditTyping, BackspaceRemovesThePreviousCharacterOrJoinsLines) {
    EXPECT_EQ(AfterKeys("ab|cd", Qt::Key_Backspace), "a|cd");
    EXPECT_EQ(AfterKeys("|abcd", Qt::Key_Backspace), "|abcd");
    EXPECT_EQ(AfterKeys("0\n1\n2x\n|3", Qt::Key_Backspace), "0\n1\n2x|3");
    EXPECT_EQ(AfterKeys("a[bc]|d", Qt::Key_Backspace), "a|d");
    CEditFixture fx("ab|cd");
    Press(fx.view, Qt::Key_Backspace);
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Backspace\tCtrl+Z");
}

TEST(EditTyping, CtrlBackspaceAndCtrlDeleteDeleteToTheWordBoundaryAsOneStep) {
    constexpr Qt::Key BS = Qt::Key_Backspace;
    constexpr Qt::Key DEL = Qt::Key_Delete;
    struct Case {
        const char* pszBefore;
        Qt::Key key; // with Ctrl
        const char* pszAfter;
        const char* pszUndo; // the Undo item afterwards
        bool bReadOnly = false;
    };
    // clang-format off
    const Case cases[] = {
        {"foo bar|",         BS,  "foo |",       "&Undo Backspace Word\tCtrl+Z"},
        {"foo bar  |x",      BS,  "foo |x",      "&Undo Backspace Word\tCtrl+Z"},
        {"foo ba|r",         BS,  "foo |r",      "&Undo Backspace Word\tCtrl+Z"},
        {"x  +=  |y",        BS,  "x  |y",       "&Undo Backspace Word\tCtrl+Z"},
        {"abc  \n|def",      BS,  "|def",        "&Undo Backspace Word\tCtrl+Z"},
        {"a b\n\n|c",        BS,  "a b\n|c",     "&Undo Backspace Word\tCtrl+Z"},
        {"|abc",             BS,  "|abc",        "&Undo\tCtrl+Z"},
        {"a[bc]|d",          BS,  "a|d",         "&Undo Delete\tCtrl+Z"},
        {"foo b|ar",         BS,  "foo b|ar",    "&Undo\tCtrl+Z", true},
        {"|foo bar",         DEL, "|bar",        "&Undo Delete Word\tCtrl+Z"},
        {"fo|o bar",         DEL, "fo|bar",      "&Undo Delete Word\tCtrl+Z"},
        {"foo| bar",         DEL, "foo|bar",     "&Undo Delete Word\tCtrl+Z"},
        {"a|+=b c",          DEL, "a|b c",       "&Undo Delete Word\tCtrl+Z"},
        {"abc|\n  def",      DEL, "abc|def",     "&Undo Delete Word\tCtrl+Z"},
        {"abc|\ndef ghi",    DEL, "abc|ghi",     "&Undo Delete Word\tCtrl+Z"},
        {"abc|\n\nx",        DEL, "abc|x",       "&Undo Delete Word\tCtrl+Z"},
        {"abc|\n",           DEL, "abc|",        "&Undo Delete Word\tCtrl+Z"},
        {"abc|",             DEL, "abc|",        "&Undo\tCtrl+Z"},
        {"[ab]|c",           DEL, "|c",          "&Undo Delete\tCtrl+Z"},
        {"f|oo bar",         DEL, "f|oo bar",    "&Undo\tCtrl+Z", true},
        {"f[o]|o bar",       DEL, "f[o]|o bar",  "&Undo\tCtrl+Z", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszBefore);
        CEditFixture fx(c.pszBefore);
        fx.pBuffer->SetReadOnly(c.bReadOnly);
        Press(fx.view, c.key, Qt::ControlModifier);
        EXPECT_EQ(fx.State(), c.pszAfter);
        EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), c.pszUndo);
        if (std::string_view(c.pszAfter) == c.pszBefore)
            continue;
        // One Undo brings it all back.
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
        const GoldenText before = ParseGolden(c.pszBefore);
        ASSERT_EQ(fx.pBuffer->GetLineCount(), static_cast<int>(before.lines.size()));
        for (int i = 0; i < fx.pBuffer->GetLineCount(); ++i)
            EXPECT_EQ(fx.pBuffer->GetLineView(i), before.lines[static_cast<size_t>(i)]);
        if (before.ptSelLow != before.ptSelHigh)
            continue;
        // The deleted range is the one that Ctrl+Shift+Left / Right selects.
        CEditFixture moved(c.pszBefore);
        Press(moved.view, c.key == BS ? Qt::Key_Left : Qt::Key_Right,
              Qt::ControlModifier | Qt::ShiftModifier);
        Press(moved.view, Qt::Key_Delete);
        EXPECT_EQ(moved.State(), c.pszAfter);
    }
}

TEST(EditTyping, TypedCharactersGoInAsTheirWindows1252Bytes) {
    CEditFixture typed("a|bcd");
    QKeyEvent keys(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                   QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xC3\xBC"));
    QApplication::sendEvent(&typed.view, &keys);
    EXPECT_EQ(typed.State(), "a\xE9\x80\xFC|bcd");
    CEditFixture fx("a|bcd");
    fx.view.m_bOvertype = true;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                  QString::fromUtf8("\xE2\x84\xA2"));
    QApplication::sendEvent(&fx.view, &key);
    EXPECT_EQ(fx.State(), "a\x99|cd");
    // The input method's committed text is typed; its preedit is not.
    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    QApplication::sendEvent(&fx.view, &preedit);
    EXPECT_EQ(fx.State(), "a\x99|cd");
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xC5\x92"));
    QApplication::sendEvent(&fx.view, &commit);
    EXPECT_EQ(fx.State(), "a\x99\x8C|d");
    EXPECT_TRUE(fx.view.inputMethodQuery(Qt::ImEnabled).toBool());
}

TEST(EditTyping, ACharacterTheDocumentCannotHoldTypesNothingAndTheStatusBarNamesIt) {
    QMainWindow window;
    QStatusBar* pStatusBar = window.statusBar();
    CEditFixture fx("a|bcd");
    fx.pBuffer->SetModified(false);
    window.setCentralWidget(&fx.view);
    window.show();
    const QString strArrow = QString::fromUtf8("\xE2\x86\x92");
    const QString strMessage = QString::fromUtf8("Cannot type U+2192 (\xE2\x86\x92): not in the "
                                                 "document's encoding, Windows-1252.");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strArrow);
    QApplication::sendEvent(&fx.view, &key);
    EXPECT_EQ(pStatusBar->currentMessage(), strMessage);
    // A composed text goes in whole or not at all.
    pStatusBar->clearMessage();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("x") + strArrow);
    QApplication::sendEvent(&fx.view, &commit);
    EXPECT_EQ(pStatusBar->currentMessage(), strMessage);
    EXPECT_EQ(fx.State(), "a|bcd");
    EXPECT_FALSE(fx.pBuffer->IsModified());
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    window.takeCentralWidget();
}

TEST(EditTyping, KeysWithCtrlOrAltAndControlCharactersTypeNothing) {
    CEditFixture fx("ab|");
    Press(fx.view, Qt::Key_Q, Qt::ControlModifier);
    Press(fx.view, Qt::Key_X, Qt::AltModifier);
    Press(fx.view, Qt::Key_Escape);
    fx.view.OnChar(7);
    fx.view.OnChar(300);
    fx.view.OnTypedText(QStringLiteral("\x1b\t"));
    EXPECT_EQ(fx.State(), "ab|");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditTyping, ACharacterTypedWhileAMouseButtonIsDownIsIgnored) {
    CEditFixture fx("ab|");
    QWindow* pWindow = fx.view.window()->windowHandle();
    ASSERT_NE(pWindow, nullptr);
    const QPoint pt = fx.view.viewport()->mapTo(fx.view.window(), CellPoint(fx.view, 5, 3));
    QTest::mousePress(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
    ASSERT_TRUE(QGuiApplication::mouseButtons() & Qt::LeftButton);
    fx.view.OnChar('x');
    fx.view.OnTypedText(QString::fromUtf8("\xE2\x82\xAC"));
    QTest::mouseRelease(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
    EXPECT_EQ(fx.State(), "ab|");
    fx.view.OnChar('x');
    EXPECT_EQ(fx.State(), "abx|");
}

TEST(EditTyping, AReadOnlyBufferRefusesEveryChange) {
    CEditFixture fx("  a[b\n  c]|d");
    fx.pBuffer->SetReadOnly(true);
    EXPECT_FALSE(fx.view.CanModifyText());
    EXPECT_TRUE(IsEnabled(fx.view, ID_INDICATOR_READ));
    const std::string before = fx.State();
    Type(fx.view, "xy ");
    for (const Qt::Key key :
         {Qt::Key_Return, Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Backtab})
        Press(fx.view, key);
    Press(fx.view, Qt::Key_X, Qt::ControlModifier);
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), before);
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    // Caret moves still work; the mode switch does not edit.
    Press(fx.view, Qt::Key_Insert);
    EXPECT_TRUE(fx.view.IsOvertype());
    fx.pBuffer->SetReadOnly(false);
    EXPECT_FALSE(IsEnabled(fx.view, ID_INDICATOR_READ));
    EXPECT_FALSE(IsEnabled(fx.view, ID_INDICATOR_BLANK));
}

TEST(EditTyping, EnterOnAReadOnlyBufferAfterATypedLineBreakStillChangesNothing) {
    // The last step is a typed line break (overtype on the last line does not indent).
    CEditFixture fx("  ab|");
    fx.view.m_bOvertype = true;
    Press(fx.view, Qt::Key_Return);
    fx.view.m_bOvertype = false;
    EXPECT_EQ(fx.State(), "  ab\n|");
    fx.pBuffer->SetReadOnly(true);
    Press(fx.view, Qt::Key_Return);
    EXPECT_EQ(fx.State(), "  ab\n|");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

TEST(EditTyping, AWordAndTheSpaceBeforeItUndoTogether) {
    CEditFixture fx("|");
    Type(fx.view, "abc de");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Typing\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "abc|");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "|");
}

TEST(EditTyping, TypingAfterAnUndoStartsAGroupOfItsOwn) {
    CEditFixture fx("|");
    Type(fx.view, "ab c");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "ab|");
    EXPECT_TRUE(fx.pBuffer->CanRedo());
    Type(fx.view, "x");
    EXPECT_FALSE(fx.pBuffer->CanRedo());
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "ab|");
}

TEST(EditTyping, AResetTurnsOvertypeOffAndIndentationOn) {
    CEditFixture fx("ab|");
    fx.view.m_bOvertype = true;
    fx.view.m_bKeepIndent = false;
    fx.pBuffer->InitEmpty(EOL_CRLF);
    EXPECT_FALSE(fx.view.IsOvertype());
    EXPECT_TRUE(fx.view.IsKeepIndent());
    fx.view.m_bOvertype = true;
    fx.view.AttachBuffer(fx.pBuffer.get());
    EXPECT_FALSE(fx.view.IsOvertype());
}

} // namespace
