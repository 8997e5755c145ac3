// The Output pane: the page around the edit, appending with line breaks and scrolling, and
// the black-on-white drawing of the read-only text.
#include "app/OutputEdit.h"
#include "app/OutputPage.h"
#include "tests/support/PrintQString.h"
#include "toolbridge/ToolOutput.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPalette>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

class OutputEditTest : public testing::Test {
protected:
    void SetUp() override {
        m_edit.resize(300, 120);
        m_edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_edit));
    }

    QScrollBar* VertBar() { return m_edit.verticalScrollBar(); }

    // Whether the line that `nBlock` starts is fully inside the edit's viewport.
    bool LineInView(int nBlock) {
        QTextCursor cursor(m_edit.document()->findBlockByNumber(nBlock));
        return m_edit.viewport()->rect().contains(m_edit.cursorRect(cursor));
    }

    COutputEdit m_edit;
};

TEST_F(OutputEditTest, IsReadOnlyButSelectable) {
    m_edit.AppendOutput("done\n");
    EXPECT_TRUE(m_edit.isReadOnly());
    m_edit.setFocus();
    QTest::keyClicks(&m_edit, "typed");
    EXPECT_EQ(m_edit.toPlainText(), "done\n");
    QTest::keyClick(&m_edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_edit.textCursor().selectedText(), QString("done") + QChar::ParagraphSeparator);
}

TEST_F(OutputEditTest, EachLineBreakStyleIsOneLineBreak) {
    m_edit.AppendOutput("one\r\ntwo\nthree\r\n");
    EXPECT_EQ(m_edit.toPlainText(), "one\ntwo\nthree\n");
    EXPECT_EQ(m_edit.blockCount(), 4);
    m_edit.AppendOutput("cr\ralone\r\n\r\n");
    EXPECT_EQ(m_edit.toPlainText(), "one\ntwo\nthree\ncr\nalone\n\n");
}

TEST_F(OutputEditTest, CrLfSplitBetweenTwoAppendsIsOneLineBreak) {
    m_edit.AppendOutput("first\r");
    EXPECT_EQ(m_edit.toPlainText(), "first\n");
    m_edit.AppendOutput("\nsecond\r");
    m_edit.AppendOutput("");
    m_edit.AppendOutput("\r\nthird");
    EXPECT_EQ(m_edit.toPlainText(), "first\nsecond\n\nthird");
}

TEST_F(OutputEditTest, EmptyingThePaneEndsAPendingCrLf) {
    m_edit.AppendOutput("old\r");
    m_edit.clear();
    m_edit.AppendOutput("\nnew");
    EXPECT_EQ(m_edit.toPlainText(), "\nnew");
}

TEST_F(OutputEditTest, AppendsAtTheEndWhateverTheUserSelected) {
    m_edit.AppendOutput("alpha\nbeta\n");
    QTextCursor cursor = m_edit.textCursor();
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
    m_edit.AppendOutput("gamma");
    EXPECT_EQ(m_edit.toPlainText(), "alpha\nbeta\ngamma");
    EXPECT_FALSE(m_edit.textCursor().hasSelection());
    EXPECT_EQ(m_edit.textCursor().position(), m_edit.toPlainText().size());
}

TEST_F(OutputEditTest, KeepsTheLastLineInViewAlsoAfterTheUserScrolledUp) {
    for (int i = 0; i < 200; ++i)
        m_edit.AppendOutput(QStringLiteral("line %1\r\n").arg(i));
    ASSERT_GT(VertBar()->maximum(), 0);
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
    EXPECT_TRUE(LineInView(199));

    VertBar()->setValue(0);
    ASSERT_FALSE(LineInView(199));
    m_edit.AppendOutput("the end");
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
    EXPECT_TRUE(LineInView(200));
    EXPECT_EQ(m_edit.document()->lastBlock().text(), "the end");

    // A long last line is scrolled into view horizontally as well, and back for the next.
    VertBar()->setValue(10);
    m_edit.AppendOutput("\n" + QString(400, u'x'));
    EXPECT_GT(m_edit.horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(m_edit.viewport()->rect().contains(m_edit.cursorRect()));
    m_edit.AppendOutput("\n");
    EXPECT_EQ(m_edit.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
}

TEST_F(OutputEditTest, DoesNotWrapLongLines) {
    m_edit.AppendOutput(QString(400, u'y'));
    EXPECT_EQ(m_edit.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(m_edit.document()->firstBlock().layout()->lineCount(), 1);
}

// A line too long to be shown in one piece still copies as it came, and so does the whole
// text.
TEST_F(OutputEditTest, CopyingGivesTheTextAsTheToolWroteIt) {
    const QString strLong = QString(OUTPUT_PIECE_CHARS, u'a') + QString(100, u'b');
    m_edit.AppendOutput("first\r\n" + strLong + "\r\nlast");
    ASSERT_EQ(m_edit.blockCount(), 4);
    EXPECT_EQ(m_edit.GetOutputText(), "first\n" + strLong + "\nlast");
    m_edit.setFocus();
    QTest::keyClick(&m_edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&m_edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "first\n" + strLong + "\nlast");
    // A selection within the long line.
    QTextCursor cursor = m_edit.textCursor();
    cursor.setPosition(6 + OUTPUT_PIECE_CHARS - 2);
    cursor.setPosition(6 + OUTPUT_PIECE_CHARS + 1 + 3, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
    m_edit.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "aabbb");
}

// The pixels of the edit as drawn now, and how many of them are dark text pixels.
QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int CountDarkGreyPixels(const QImage& image) {
    int nCount = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor cr = image.pixelColor(x, y);
            if (cr.red() < 60 && cr.green() < 60 && cr.blue() < 60)
                ++nCount;
        }
    }
    return nCount;
}

TEST_F(OutputEditTest, DrawsBlackTextOnWhiteAlthoughReadOnly) {
    m_edit.AppendOutput("MMMMMMMM\nMMMMMMMM");
    for (const bool bActive : {true, false}) {
        if (!bActive)
            m_edit.setEnabled(false);
        const QImage image = Render(*m_edit.viewport());
        // The background far right of the text, and the text itself.
        EXPECT_EQ(image.pixelColor(image.width() - 5, image.height() - 5), QColor(Qt::white));
        const QRect rcText = m_edit.cursorRect(QTextCursor(m_edit.document()->firstBlock()));
        const QImage textRow = image.copy(0, rcText.top(), image.width(), rcText.height());
        EXPECT_GT(CountDarkGreyPixels(textRow), 20) << "enabled " << bActive;
    }
}

TEST(OutputEditColours, StayBlackOnWhiteUnderADarkApplicationPalette) {
    const QPalette palOld = QApplication::palette();
    QPalette palDark = palOld;
    palDark.setColor(QPalette::Base, QColor(30, 30, 30));
    palDark.setColor(QPalette::Window, QColor(30, 30, 30));
    palDark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(palDark);

    COutputEdit edit;
    edit.resize(200, 80);
    edit.AppendOutput("MMMMMMMM");
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    const QImage image = Render(*edit.viewport());
    QApplication::setPalette(palOld);

    EXPECT_EQ(image.pixelColor(image.width() - 5, image.height() - 5), QColor(Qt::white));
    EXPECT_GT(CountDarkGreyPixels(image), 20);
}

TEST(OutputPage, EditFillsThePageWithAFivePixelMargin) {
    COutputPage page;
    COutputEdit* pEdit = page.GetOutputEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->objectName(), "IDC_OUTPUT_1012");
    EXPECT_EQ(pEdit->parentWidget(), &page);
    page.resize(400, 100);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(pEdit->geometry(), QRect(5, 5, 390, 90));
    page.resize(250, 60);
    QApplication::processEvents();
    EXPECT_EQ(pEdit->geometry(), QRect(5, 5, 240, 50));
}

// Made as low as it may be, the page still shows one whole line, also above the horizontal
// scroll bar that a long line brings.
TEST(OutputPage, AtItsLeastHeightShowsOneWholeLine) {
    COutputPage page;
    COutputEdit* pEdit = page.GetOutputEdit();
    pEdit->AppendOutput("first line " + QString(300, u'x'));
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.resize(300, 1);
    QApplication::processEvents();
    EXPECT_EQ(page.height(), page.minimumSizeHint().height());
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    // The line is scrolled sideways to its end; its height is what counts.
    const QRect rcLine = pEdit->cursorRect(QTextCursor(pEdit->document()->firstBlock()));
    EXPECT_GE(rcLine.top(), 0);
    EXPECT_LE(rcLine.bottom(), pEdit->viewport()->rect().bottom());
}

TEST(OutputPage, OpensAtTheSizeOfItsPlanAndEscapeDoesNotCloseIt) {
    COutputPage page;
    // 263 by 45 dialog units.
    EXPECT_EQ(page.sizeHint(), QSize(395, 73));
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.GetOutputEdit()->AppendOutput("kept");
    QTest::keyClick(page.GetOutputEdit(), Qt::Key_Escape);
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(page.GetOutputEdit()->toPlainText(), "kept");
}

} // namespace
