// The record-number field: which typed characters it takes, its 10-character limit, and that
// paste and command keys are not filtered.
#include "app/NumberEdit.h"

#include "tests/support/PrintQString.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class NumberEditTest : public testing::Test {
protected:
    void SetUp() override {
        m_edit.show();
        m_edit.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_edit));
    }

    // A key that types `strText`, as a keyboard layout with such keys sends it.
    void TypeKey(const QString& strText) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strText);
        QApplication::sendEvent(&m_edit, &press);
    }

    CNumberEdit m_edit;
};

TEST_F(NumberEditTest, KeepsDigitsDashAndQuestionMarkAndSwallowsLetters) {
    QTest::keyClick(&m_edit, Qt::Key_1);
    QTest::keyClick(&m_edit, Qt::Key_2);
    QTest::keyClick(&m_edit, Qt::Key_A);
    QTest::keyClick(&m_edit, Qt::Key_Minus);
    QTest::keyClick(&m_edit, Qt::Key_3);
    QTest::keyClick(&m_edit, Qt::Key_Question, Qt::ShiftModifier);
    EXPECT_EQ(m_edit.text(), "12-3?");
}

TEST_F(NumberEditTest, SwallowsEveryRefusedPunctuationCharacterAndTakesTheSpace) {
    QTest::keyClicks(&m_edit, "`~!#$%^&*()_+|=\\[];',./{}:<>@\"");
    EXPECT_EQ(m_edit.text(), "");
    QTest::keyClicks(&m_edit, "Zz 7");
    EXPECT_EQ(m_edit.text(), " 7");
}

TEST_F(NumberEditTest, LetsNonAsciiAndBackspaceThrough) {
    QTest::keyClick(&m_edit, Qt::Key_4);
    TypeKey(QString::fromUtf8("\xc3\xa9"));     // e acute
    TypeKey(QString::fromUtf8("\xe2\x82\xac")); // euro
    EXPECT_EQ(m_edit.text(), QString::fromUtf8("4\xc3\xa9\xe2\x82\xac"));
    QTest::keyClick(&m_edit, Qt::Key_Backspace);
    QTest::keyClick(&m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit.text(), "4");
}

TEST_F(NumberEditTest, HoldsAtMostTenCharacters) {
    QTest::keyClicks(&m_edit, "1234567890");
    EXPECT_EQ(m_edit.text(), "1234567890");
    QTest::keyClick(&m_edit, Qt::Key_1);
    EXPECT_EQ(m_edit.text(), "1234567890");
    EXPECT_EQ(m_edit.maxLength(), NUMEDIT_MAX_CHARS);
}

TEST_F(NumberEditTest, PasteIsNotFilteredButCutToTheLimit) {
    QGuiApplication::clipboard()->setText("ab#1");
    QTest::keyClick(&m_edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_edit.text(), "ab#1");

    m_edit.clear();
    QGuiApplication::clipboard()->setText("abcdefghijklmno");
    QTest::keyClick(&m_edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_edit.text(), "abcdefghij");
}

TEST_F(NumberEditTest, CommandKeysStillWork) {
    QTest::keyClicks(&m_edit, "12-34");
    QTest::keyClick(&m_edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&m_edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12-34");
    QTest::keyClick(&m_edit, Qt::Key_Home);
    QTest::keyClick(&m_edit, Qt::Key_Delete);
    EXPECT_EQ(m_edit.text(), "2-34");
}

TEST_F(NumberEditTest, KeyWithSeveralCharactersKeepsOnlyTheAcceptedOnes) {
    TypeKey("1x2");
    EXPECT_EQ(m_edit.text(), "12");
}

TEST_F(NumberEditTest, TextFromAnInputMethodIsFilteredToo) {
    QInputMethodEvent composed;
    composed.setCommitString("7b-8");
    QApplication::sendEvent(&m_edit, &composed);
    EXPECT_EQ(m_edit.text(), "7-8");
}

} // namespace
