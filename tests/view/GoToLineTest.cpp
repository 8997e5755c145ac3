// Go to Line on a shown view: the dialog's range and its OK button for valid and invalid input,
// where the caret lands, and the scroll that centres a line only when it was off screen.
#include "DialogDriver.h"
#include "GoldenText.h"
#include "ViewTestSupport.h"
#include "resources/CommandIds.h"
#include "view/GoToLineDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QLineEdit& LineEdit(QWidget& dlg) {
    return Control<QLineEdit>(dlg, "IDC_LINE_8642");
}
QLineEdit& ColumnEdit(QWidget& dlg) {
    return Control<QLineEdit>(dlg, "IDC_COLUMN_8643");
}
QPushButton& OkButton(QWidget& dlg) {
    return Control<QPushButton>(dlg, "IDOK_1");
}

// 100 lines "line 0" ... "line 99", line 1 holding a tab, in a view of 10 rows.
struct CGoToLineFixture {
    CGoToLineFixture() {
        std::vector<std::string> lines;
        for (int i = 0; i < 100; ++i)
            lines.push_back("line " + std::to_string(i));
        lines[1] = "\tabc";
        pBuffer = MakeBuffer(lines);
        SetUpView(view, pBuffer.get(), 40, 10);
    }

    // Ctrl+G, the two fields filled, then OK.
    void GoTo(const QString& strLine, const QString& strColumn = {}) {
        WhenModalShows<CGoToLineDlg>([=](CGoToLineDlg& dlg) {
            LineEdit(dlg).setText(strLine);
            ColumnEdit(dlg).setText(strColumn);
            QTest::mouseClick(&OkButton(dlg), Qt::LeftButton);
        });
        Press(view, Qt::Key_G, Qt::ControlModifier);
    }

    std::unique_ptr<CTextBuffer> pBuffer;
    CProbeView view;
};

TEST(GoToLine, TheDialogShowsTheRangeAndKeepsOkDisabledForInvalidInput) {
    CGoToLineFixture fx;
    fx.view.PutCaretAt({2, 4});
    struct Entry {
        const char* pszLine;
        const char* pszColumn;
        bool bOk;
    };
    // clang-format off
    const Entry entries[] = {
        {"1",          "",            true},
        {"100",        "",            true},
        {" 42 ",       "",            true},
        {"042",        " ",           true},
        {"42",         "7",           true},
        {"42",         "9999999999",  true},  // any column: the line's end holds the caret
        {"0",          "",            false},
        {"101",        "",            false},
        {"9999999999", "",            false},
        {"abc",        "",            false},
        {"4 2",        "",            false},
        {"-3",         "",            false},
        {"+3",         "",            false},
        {"",           "",            false},
        {"  ",         "",            false},
        {"42",         "0",           false},
        {"42",         "x",           false},
        {"\xd9\xa4",   "",            false},  // a digit of another script
    };
    // clang-format on
    bool bShown = false;
    WhenModalShows<CGoToLineDlg>([&](CGoToLineDlg& dlg) {
        bShown = true;
        EXPECT_EQ(Control<QLabel>(dlg, "IDC_LINE_RANGE_8641").text().toStdString(),
                  "&Line number (1 - 100):");
        // It opens on the caret's line, ready to be typed over.
        EXPECT_EQ(LineEdit(dlg).text().toStdString(), "5");
        EXPECT_EQ(LineEdit(dlg).selectedText().toStdString(), "5");
        EXPECT_EQ(ColumnEdit(dlg).text().toStdString(), "");
        EXPECT_TRUE(OkButton(dlg).isEnabled());
        for (const Entry& entry : entries) {
            LineEdit(dlg).setText(QString::fromUtf8(entry.pszLine));
            ColumnEdit(dlg).setText(QString::fromUtf8(entry.pszColumn));
            EXPECT_EQ(OkButton(dlg).isEnabled(), entry.bOk)
                << "[" << entry.pszLine << "] [" << entry.pszColumn << "]";
        }
        // A disabled OK does not close the dialog, neither clicked nor by Enter.
        QTest::mouseClick(&OkButton(dlg), Qt::LeftButton);
        QTest::keyClick(&LineEdit(dlg), Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible());
    });
    Press(fx.view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(bShown);
    // Cancelled: nothing moved.
    EXPECT_EQ(fx.view.GetCaretTextPos(), (TextPos{2, 4}));
    EXPECT_EQ(fx.view.m_nFirstVisibleLine, 0);
}

TEST(GoToLine, TheCaretGoesToTheLineAndColumnAndAnOffScreenLineIsCentred) {
    CGoToLineFixture fx;
    struct Step {
        const char* pszLine;
        const char* pszColumn;
        TextPos ptCaret;
        int nFirstLine;
    };
    // clang-format off
    const Step steps[] = {
        {"50",  "3",   {2, 49}, 44},  // off screen: line 50 in the middle row of ten
        {"48",  "",    {0, 47}, 44},  // on screen: no scroll
        {"54",  "99",  {7, 53}, 44},  // the last whole row; the column stops at the line's end
        {"100", "",    {0, 99}, 90},  // centred as far as the text goes
        {"2",   "3",   {2, 1},  0},   // columns count characters: the tab is one
        {"5",   "1",   {0, 4},  0},
    };
    // clang-format on
    for (const Step& step : steps) {
        SCOPED_TRACE(step.pszLine);
        fx.GoTo(QString::fromLatin1(step.pszLine), QString::fromLatin1(step.pszColumn));
        EXPECT_EQ(fx.view.GetCaretTextPos(), step.ptCaret);
        EXPECT_EQ(fx.view.m_nFirstVisibleLine, step.nFirstLine);
        // The caret lands with an empty selection and its column remembered for Up and Down.
        EXPECT_EQ(fx.view.m_ptSelFrom, step.ptCaret);
        EXPECT_EQ(fx.view.m_ptSelTo, step.ptCaret);
        EXPECT_EQ(fx.view.m_nStickyColumn, fx.view.CharToColumn(step.ptCaret.y, step.ptCaret.x));
    }
}

} // namespace
