// The Hex Converter dialog driven through its widgets: live output while typing and after a
// paste, the selected output, Copy, the ways to close it, the tab order and the layout.
#include "hexconv/HexConverterDlg.h"

#include "tests/support/PrintQString.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

class HexConverterDlgTest : public testing::Test {
protected:
    void SetUp() override {
        m_dlg.show();
        m_dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
        m_pInput = m_dlg.findChild<QPlainTextEdit*>("IDC_INPUT_7000");
        m_pOutput = m_dlg.findChild<QPlainTextEdit*>("IDC_OUTPUT_7001");
        m_pOk = m_dlg.findChild<QPushButton*>("IDOK_1");
        m_pCopy = m_dlg.findChild<QPushButton*>("IDC_COPY_7003");
        ASSERT_TRUE(m_pInput && m_pOutput && m_pOk && m_pCopy);
    }

    // After every conversion the whole output is selected, with the caret at its end.
    void ExpectOutput(const QString& strOutput) const {
        EXPECT_EQ(m_pOutput->toPlainText(), strOutput);
        const QTextCursor cursor = m_pOutput->textCursor();
        EXPECT_EQ(cursor.selectionStart(), 0);
        EXPECT_EQ(cursor.selectionEnd(), strOutput.size());
        EXPECT_EQ(cursor.position(), strOutput.size());
    }

    void Paste(const QString& strText) {
        QGuiApplication::clipboard()->setText(strText);
        QTest::keyClick(m_pInput, Qt::Key_V, Qt::ControlModifier);
    }

    // Closes the dialog with a click or a key and says how.
    void Close(QWidget* pWidget, Qt::Key key, QDialog::DialogCode result) {
        if (key == Qt::Key_unknown)
            QTest::mouseClick(pWidget, Qt::LeftButton);
        else
            QTest::keyClick(pWidget, key);
        EXPECT_FALSE(m_dlg.isVisible());
        EXPECT_EQ(m_dlg.result(), result);
    }

    CHexConverterDlg m_dlg;
    QPlainTextEdit* m_pInput = nullptr;
    QPlainTextEdit* m_pOutput = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCopy = nullptr;
};

TEST_F(HexConverterDlgTest, OpensEmptyWithTheInputFocusedInTheOrderOfTheDialogPlan) {
    EXPECT_EQ(m_dlg.windowTitle(), "Zarn Hex Converter");
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    EXPECT_TRUE(m_pOutput->toPlainText().isEmpty());
    EXPECT_TRUE(m_pOutput->isReadOnly());
    EXPECT_FALSE(m_pOk->isDefault() || m_pCopy->isDefault());
    EXPECT_EQ(m_pOk->text(), "&OK");
    EXPECT_EQ(m_pCopy->text(), "Copy");
    // Tab runs from the input to the output, OK, Copy and back.
    for (QWidget* pNext : std::vector<QWidget*>{m_pInput, m_pOutput, m_pOk, m_pCopy, m_pInput}) {
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The boxes span the dialog under their labels; OK sits under their left edge and Copy
    // under their right.
    const QRect rcInput = m_pInput->geometry(), rcOutput = m_pOutput->geometry();
    const QRect rcOk = m_pOk->geometry(), rcCopy = m_pCopy->geometry();
    const QRect rcOutputLabel = m_dlg.findChild<QWidget*>("IDC_STATIC_OUTPUT")->geometry();
    EXPECT_LT(m_dlg.findChild<QWidget*>("IDC_STATIC_INPUT")->geometry().bottom(), rcInput.top());
    EXPECT_LT(rcInput.bottom(), rcOutputLabel.top());
    EXPECT_LT(rcOutputLabel.bottom(), rcOutput.top());
    EXPECT_LT(rcOutput.bottom(), rcOk.top());
    EXPECT_EQ(rcOk.top(), rcCopy.top());
    EXPECT_EQ(rcInput.left(), rcOutput.left());
    EXPECT_EQ(rcInput.width(), rcOutput.width());
    EXPECT_GE(rcInput.width(), m_dlg.width() * 9 / 10);
    EXPECT_EQ(rcOk.left(), rcInput.left());
    EXPECT_EQ(rcCopy.right(), rcInput.right());
    EXPECT_EQ(rcOk.width(), rcCopy.width());
}

TEST_F(HexConverterDlgTest, OutputFollowsEveryKeystrokeAndPaste) {
    QTest::keyClicks(m_pInput, "H");
    ExpectOutput("48x ");
    QTest::keyClicks(m_pInput, "i!");
    ExpectOutput("48x 69x 21x ");
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    ExpectOutput("48x 69x ");
    // Enter types a line break into the input; it does not close the dialog.
    QTest::keyClick(m_pInput, Qt::Key_Return);
    QTest::keyClick(m_pInput, Qt::Key_Space);
    ExpectOutput("48x 69x 0dx 0ax 20x ");
    EXPECT_TRUE(m_dlg.isVisible());
    QTest::keyClick(m_pInput, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_pInput, Qt::Key_Delete);
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    ExpectOutput("");

    Paste("one\r\ntwo\nx");
    ExpectOutput("6fx 6ex 65x 0dx 0ax 74x 77x 6fx 0dx 0ax 78x ");
    m_pInput->clear();
    ExpectOutput("");
    Paste(QString::fromUtf8("\xc3\xa9\xc2\xa0\xe2\x82\xac")); // e acute, no-break space, euro
    ExpectOutput("e9x a0x e2x 82x acx ");
    // A long input shows the first 1023 codes, scrolled to the end.
    m_pInput->clear();
    Paste(QString(3000, u'z'));
    ExpectOutput(QString("7ax ").repeated(1023));
    EXPECT_GT(m_pOutput->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(m_pOutput->viewport()->rect().contains(m_pOutput->cursorRect()));
    // Line breaks count as two codes each: 511 of them and one more character fill the limit.
    m_pInput->clear();
    Paste(QString("\n").repeated(600));
    ExpectOutput(QString("0dx 0ax ").repeated(511));
    m_pInput->setPlainText(QString("\n").repeated(511) + "ab");
    ExpectOutput(QString("0dx 0ax ").repeated(511) + "61x ");
}

TEST_F(HexConverterDlgTest, CopyPutsTheWholeOutputOnTheClipboardAndCancels) {
    QTest::keyClicks(m_pInput, "Hi!");
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "48x 69x 21x ");
}

TEST_F(HexConverterDlgTest, CopyWithoutOutputLeavesTheClipboardAlone) {
    QGuiApplication::clipboard()->setText("keep me");
    QTest::keyClick(m_pInput, Qt::Key_A);
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    ExpectOutput("");
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "keep me");
}

TEST_F(HexConverterDlgTest, CopyTakesTheSelectionTheUserMadeInTheOutput) {
    QTest::keyClicks(m_pInput, "AB");
    QTest::keyClick(m_pInput, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m_pOutput);
    QTest::keyClick(m_pOutput, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_pOutput, Qt::Key_Right, Qt::ShiftModifier);
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "41x");
}

TEST_F(HexConverterDlgTest, OkAccepts) {
    QTest::keyClicks(m_pInput, "x");
    Close(m_pOk, Qt::Key_unknown, QDialog::Accepted);
}

TEST_F(HexConverterDlgTest, EnterInTheOutputDoesNotCloseButEscapeDoes) {
    QTest::keyClicks(m_pInput, "x");
    m_pOutput->setFocus();
    QTest::keyClick(m_pOutput, Qt::Key_Return);
    EXPECT_TRUE(m_dlg.isVisible());
    Close(m_pOutput, Qt::Key_Escape, QDialog::Rejected);
}

} // namespace
