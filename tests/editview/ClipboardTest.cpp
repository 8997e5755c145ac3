// Cut and Paste: text leaves with LF line ends and Latin-1 characters, and comes in with every
// lone LF made CR LF, so lines copied from any program stay lines.
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
    EXPECT_EQ(fx.State(), "xone\ntwo\nthree \xE9\xE2\x82\xAC|y");
    // A lone CR breaks the line in the buffer too.
    SetClipboard(QStringLiteral("a\rb\n"));
    Press(fx.view, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "xone\ntwo\nthree \xE9\xE2\x82\xAC"
                          "a\nb\n|y");
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
