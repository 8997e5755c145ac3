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

    QString Output() const { return m_pOutput->toPlainText(); }

    // After every conversion the whole output is selected, with the caret at its end.
    bool WholeOutputSelected() const {
        const QTextCursor cursor = m_pOutput->textCursor();
        const int nLength = int(Output().size());
        return cursor.selectionStart() == 0 && cursor.selectionEnd() == nLength &&
               cursor.position() == nLength;
    }

    void Paste(const QString& strText) {
        QGuiApplication::clipboard()->setText(strText);
        QTest::keyClick(m_pInput, Qt::Key_V, Qt::ControlModifier);
    }

    CHexConverterDlg m_dlg;
    QPlainTextEdit* m_pInput = nullptr;
    QPlainTextEdit* m_pOutput = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCopy = nullptr;
};

TEST_F(HexConverterDlgTest, OpensEmptyWithTheInputFocusedAndNoDefaultButton) {
    EXPECT_EQ(m_dlg.windowTitle(), "Zarn Hex Converter");
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    EXPECT_TRUE(Output().isEmpty());
    EXPECT_TRUE(m_pOutput->isReadOnly());
    EXPECT_EQ(QApplication::focusWidget(), m_pInput);
    EXPECT_FALSE(m_pOk->isDefault());
    EXPECT_FALSE(m_pCopy->isDefault());
    EXPECT_EQ(m_pOk->text(), "&OK");
    EXPECT_EQ(m_pCopy->text(), "Copy");
}

TEST_F(HexConverterDlgTest, OutputFollowsEveryKeystroke) {
    QTest::keyClicks(m_pInput, "H");
    EXPECT_EQ(Output(), "48x ");
    EXPECT_TRUE(WholeOutputSelected());
    QTest::keyClicks(m_pInput, "i!");
    EXPECT_EQ(Output(), "48x 69x 21x ");
    EXPECT_TRUE(WholeOutputSelected());
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    EXPECT_EQ(Output(), "48x 69x ");

    // Enter types a line break into the input; it does not close the dialog.
    QTest::keyClick(m_pInput, Qt::Key_Return);
    QTest::keyClick(m_pInput, Qt::Key_Space);
    EXPECT_EQ(Output(), "48x 69x 0dx 0ax 20x ");
    EXPECT_TRUE(WholeOutputSelected());
    EXPECT_TRUE(m_dlg.isVisible());

    QTest::keyClick(m_pInput, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_pInput, Qt::Key_Delete);
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    EXPECT_TRUE(Output().isEmpty());
}

TEST_F(HexConverterDlgTest, OutputFollowsAPaste) {
    Paste("one\r\ntwo\nx");
    EXPECT_EQ(Output(), "6fx 6ex 65x 0dx 0ax 74x 77x 6fx 0dx 0ax 78x ");
    EXPECT_TRUE(WholeOutputSelected());

    m_pInput->clear();
    EXPECT_TRUE(Output().isEmpty());
    Paste(QString::fromUtf8("\xc3\xa9\xc2\xa0\xe2\x82\xac")); // e acute, no-break space, euro
    EXPECT_EQ(Output(), "e9x a0x e2x 82x acx ");
}

TEST_F(HexConverterDlgTest, LongInputShowsTheFirst1023CodesScrolledToTheEnd) {
    Paste(QString(3000, u'z'));
    EXPECT_EQ(Output(), QString("7ax ").repeated(1023));
    EXPECT_TRUE(WholeOutputSelected());
    EXPECT_GT(m_pOutput->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(m_pOutput->viewport()->rect().contains(m_pOutput->cursorRect()));

    // Line breaks count as two codes each: 511 of them and one more character fill the limit.
    m_pInput->clear();
    Paste(QString("\n").repeated(600));
    EXPECT_EQ(Output(), QString("0dx 0ax ").repeated(511));
    m_pInput->setPlainText(QString("\n").repeated(511) + "ab");
    EXPECT_EQ(Output(), QString("0dx 0ax ").repeated(511) + "61x ");
}

TEST_F(HexConverterDlgTest, CopyPutsTheWholeOutputOnTheClipboardAndCancels) {
    QTest::keyClicks(m_pInput, "Hi!");
    QTest::mouseClick(m_pCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "48x 69x 21x ");
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
}

TEST_F(HexConverterDlgTest, CopyWithoutOutputLeavesTheClipboardAlone) {
    QGuiApplication::clipboard()->setText("keep me");
    QTest::keyClick(m_pInput, Qt::Key_A);
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    ASSERT_TRUE(Output().isEmpty());
    QTest::mouseClick(m_pCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "keep me");
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
}

TEST_F(HexConverterDlgTest, CopyTakesTheSelectionTheUserMadeInTheOutput) {
    QTest::keyClicks(m_pInput, "AB");
    QTest::keyClick(m_pInput, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m_pOutput);
    QTest::keyClick(m_pOutput, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_pOutput, Qt::Key_Right, Qt::ShiftModifier);
    QTest::mouseClick(m_pCopy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "41x");
}

TEST_F(HexConverterDlgTest, TabRunsFromInputToOutputToOkToCopy) {
    ASSERT_EQ(QApplication::focusWidget(), m_pInput);
    const std::vector<QWidget*> arrOrder = {m_pOutput, m_pOk, m_pCopy, m_pInput};
    for (QWidget* pNext : arrOrder) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
    }
}

TEST_F(HexConverterDlgTest, OkAccepts) {
    QTest::keyClicks(m_pInput, "x");
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
}

TEST_F(HexConverterDlgTest, EnterInTheOutputDoesNotCloseButEscapeDoes) {
    QTest::keyClicks(m_pInput, "x");
    m_pOutput->setFocus();
    QTest::keyClick(m_pOutput, Qt::Key_Return);
    EXPECT_TRUE(m_dlg.isVisible());
    QTest::keyClick(m_pOutput, Qt::Key_Escape);
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
}

TEST_F(HexConverterDlgTest, ControlsStandInTheOrderOfTheDialogPlan) {
    const QRect rcInput = m_pInput->geometry();
    const QRect rcOutput = m_pOutput->geometry();
    const QRect rcOutputLabel = m_dlg.findChild<QWidget*>("IDC_STATIC_OUTPUT")->geometry();
    EXPECT_LT(m_dlg.findChild<QWidget*>("IDC_STATIC_INPUT")->geometry().bottom(), rcInput.top());
    EXPECT_LT(rcInput.bottom(), rcOutputLabel.top());
    EXPECT_LT(rcOutputLabel.bottom(), rcOutput.top());
    EXPECT_LT(rcOutput.bottom(), m_pOk->geometry().top());
    EXPECT_EQ(m_pOk->geometry().top(), m_pCopy->geometry().top());
    // The boxes span the dialog; OK sits under their left edge and Copy under their right.
    EXPECT_EQ(rcInput.left(), rcOutput.left());
    EXPECT_EQ(rcInput.width(), rcOutput.width());
    EXPECT_GE(rcInput.width(), m_dlg.width() * 9 / 10);
    EXPECT_EQ(m_pOk->geometry().left(), rcInput.left());
    EXPECT_EQ(m_pCopy->geometry().right(), rcInput.right());
    EXPECT_EQ(m_pOk->width(), m_pCopy->width());
}

} // namespace
