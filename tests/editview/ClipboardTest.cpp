// Cut and Paste: text leaves with LF line ends and Windows-1252 characters, and comes in with
// every lone LF made CR LF, so lines copied from any program stay lines.
#include "DialogDriver.h"
#include "EditTestSupport.h"
#include "resources/CommandIds.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

void SetClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

TEST(EditClipboard, CutMovesTheSelectionToTheClipboardWithLfLineEnds) {
    CEditFixture fx("ab[c\nd\xE9]|f");
    EXPECT_TRUE(IsEnabled(fx.view, ID_EDIT_CUT));
    Press(fx.view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QString::fromUtf8("c\nd\xC3\xA9"));
    EXPECT_EQ(fx.State(), "ab|f");
    EXPECT_FALSE(IsEnabled(fx.view, ID_EDIT_CUT));
    // The text stays recoverable through Undo.
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "abc");
    EXPECT_EQ(fx.pBuffer->GetLineView(1), "d\xE9"
                                          "f");
    // Shift+Delete cuts as well; without a selection nothing happens.
    fx.view.SetSelectionRange({0, 0}, {1, 0});
    Press(fx.view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("a"));
    SetClipboard(QStringLiteral("kept"));
    Press(fx.view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("kept"));
}

TEST(EditClipboard, CutOnAReadOnlyBufferLeavesTextAndClipboardAlone) {
    CEditFixture fx("a[bc]|d");
    fx.pBuffer->SetReadOnly(true);
    SetClipboard(QStringLiteral("kept"));
    EXPECT_TRUE(IsEnabled(fx.view, ID_EDIT_CUT)); // the command itself refuses
    Press(fx.view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("kept"));
    EXPECT_EQ(fx.State(), "a[bc]|d");
}

TEST(EditClipboard, PastedLinesGetCrLfLineEndsAndBytesForCharacters) {
    CEditFixture fx("x|y");
    SetClipboard(QString::fromUtf8("one\ntwo\r\nthree \xC3\xA9\xE2\x82\xAC"));
    EXPECT_TRUE(IsEnabled(fx.view, ID_EDIT_PASTE));
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "xone\ntwo\nthree \xE9\x80|y");
    // A lone CR breaks the line in the buffer too.
    SetClipboard(QStringLiteral("a\rb\n"));
    Press(fx.view, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "xone\ntwo\nthree \xE9\x80"
                          "a\nb\n|y");
}

TEST(EditClipboard, BytesLeaveAsWindows1252CharactersAndPasteBackAsTheSameBytes) {
    std::string bytes;
    for (int ch = 0x80; ch <= 0x9F; ++ch)
        bytes.push_back(static_cast<char>(ch));
    CEditFixture fx("[" + bytes + "]|");
    Press(fx.view, Qt::Key_C, Qt::ControlModifier);
    // The five bytes the code page leaves undefined leave as the C1 controls of their code.
    EXPECT_EQ(
        ClipboardText(),
        QString::fromUtf8("\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6"
                          "\xE2\x80\xA0\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9"
                          "\xC5\x92\xC2\x8D\xC5\xBD\xC2\x8F\xC2\x90\xE2\x80\x98\xE2\x80\x99"
                          "\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94\xCB\x9C"
                          "\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC2\x9D\xC5\xBE\xC5\xB8"));
    fx.view.PutCaretAt({32, 0});
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), bytes + bytes + "|");
}

TEST(EditClipboard, TextWithACharacterTheDocumentCannotHoldIsRefusedWhole) {
    CMessageLog log;
    CEditFixture fx("a[bc]|d");
    fx.pBuffer->SetModified(false);
    SetClipboard(QString::fromUtf8("x\xE2\x82\xAC\ny \xE2\x86\x92 z"));
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(log.Messages(),
              std::vector<std::string>{"Cannot paste U+2192 (\xE2\x86\x92): not in the "
                                       "document's encoding, Windows-1252."});
    EXPECT_EQ(fx.State(), "a[bc]|d");
    EXPECT_FALSE(fx.pBuffer->IsModified());
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditClipboard, CopiedLinesPasteBackAsTheSameLines) {
    CEditFixture fx("[alpha\n\tbeta\n]|gamma");
    Press(fx.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("alpha\n\tbeta\n"));
    fx.view.PutCaretAt({5, 2});
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "alpha\n\tbeta\ngammaalpha\n\tbeta\n|");
    EXPECT_EQ(fx.pBuffer->GetLineCount(), 5);
}

TEST(EditClipboard, PastingOverASelectionUndoesInOneStep) {
    CEditFixture fx("a[bc\nd]|e");
    SetClipboard(QStringLiteral("XY"));
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "aXY|e");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "abc");
    EXPECT_EQ(fx.pBuffer->GetLineView(1), "de");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditClipboard, PasteWithoutTextOnTheClipboardStillDeletesTheSelection) {
    CEditFixture fx("a[bc]|d");
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(IsEnabled(fx.view, ID_EDIT_PASTE));
    fx.view.Paste();
    EXPECT_EQ(fx.State(), "a|d");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Delete Selection\tCtrl+Z");
    // Neither does an empty text insert anything.
    auto* pData = new QMimeData;
    pData->setText(QString());
    QGuiApplication::clipboard()->setMimeData(pData);
    fx.view.Paste();
    EXPECT_EQ(fx.State(), "a|d");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

TEST(EditClipboard, PastingNothingAfterALineBreakAddsNoIndentation) {
    // The last step is a typed line break (no indentation to copy from "ab").
    CEditFixture fx("  x\nab|");
    Press(fx.view, Qt::Key_Return);
    EXPECT_EQ(fx.State(), "  x\nab\n|");
    fx.view.PutCaretAt({2, 1});
    auto* pData = new QMimeData;
    pData->setText(QString());
    QGuiApplication::clipboard()->setMimeData(pData);
    fx.view.Paste();
    EXPECT_EQ(fx.State(), "  x\nab|\n");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

} // namespace
