// The line-number column and the caret line's tint: their layout, what they paint and when.
#include "ViewTestSupport.h"
#include "view/ViewGutter.h"

#include <string>

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// A pixel of the cell's top row, where glyphs of this font leave the background alone.
QColor CellBackground(const QImage& image, const QRect& rcCell) {
    return image.pixelColor(rcCell.left() + rcCell.width() / 2, rcCell.top());
}

// Makes the buffer nLines lines long, adding or removing lines at its end as an edit does.
void ResizeTo(CTextBuffer& buffer, int nLines) {
    int nEndLine = 0, nEndChar = 0;
    while (buffer.GetLineCount() < nLines) {
        const int nLast = buffer.GetLineCount() - 1;
        buffer.RawInsertText(nullptr, nLast, buffer.GetLineLength(nLast), "\r\nmore", nEndLine,
                             nEndChar);
    }
    if (buffer.GetLineCount() > nLines) {
        const int nLast = buffer.GetLineCount() - 1;
        buffer.RawDeleteText(nullptr, nLines - 1, buffer.GetLineLength(nLines - 1), nLast,
                             buffer.GetLineLength(nLast));
    }
}

TEST(TextViewGutter, TheNumberColumnFitsTheLargestNumberAndMovesTheText) {
    auto pBuffer = MakeNumberedBuffer(9);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 30, 5);
    GiveFocus(view);
    view.PlaceCaret({2, 1});
    const QImage imageBefore = Render(view);
    const int nColumnsBefore = view.GetVisibleColumnCount();
    EXPECT_EQ(view.GetMarginWidth(), CTextView::MARGIN_WIDTH);

    view.SetShowLineNumbers(true);
    const int cx = view.GetCharWidth();
    const QColor crNumber = view.GetColorValue(CI_LINENUMBER);
    struct Case {
        int nLines;
        int nDigits;
    };
    const Case cases[] = {{9, 1}, {10, 2}, {99, 2}, {100, 3}, {1000, 4}, {10, 2}, {9, 1}};
    for (const Case& c : cases) {
        ResizeTo(*pBuffer, c.nLines);
        EXPECT_EQ(LineNumberDigits(c.nLines), c.nDigits) << c.nLines;
        const int cxNumbers = (c.nDigits + 1) * cx;
        EXPECT_EQ(view.GetLineNumberWidth(), cxNumbers) << c.nLines;
        const int m = cxNumbers + CTextView::MARGIN_WIDTH;
        EXPECT_EQ(view.GetMarginWidth(), m) << c.nLines;
        // Text, caret and hit-testing move right by the column; fewer columns fit.
        EXPECT_EQ(view.GetCaretRect().left(), m + 2 * cx) << c.nLines;
        EXPECT_EQ(view.TextPosToClient({3, 0}).x(), m + 3 * cx) << c.nLines;
        EXPECT_EQ(view.ClientToTextPos({m + 4 * cx + 1, 1}).x, 4) << c.nLines;
        EXPECT_EQ(view.GetVisibleColumnCount(), (view.viewport()->width() - m) / cx);
        // Row 1 shows "2" in the last digit cell, nothing in the padding, margin colours around.
        const QImage image = Render(view);
        const int h = view.GetLineHeight();
        const QRect rcDigit(cxNumbers - cx / 2 - cx, h, cx, h);
        EXPECT_GE(CountPixels(image, rcDigit, crNumber, 40), 3) << c.nLines;
        EXPECT_TRUE(
            IsFilled(image, QRect(0, h, cxNumbers - cx / 2 - cx, h), view.GetColorValue(CI_MARGIN)))
            << c.nLines;
        EXPECT_TRUE(
            IsFilled(image, QRect(cxNumbers - cx / 2, h, cx / 2, h), view.GetColorValue(CI_MARGIN)))
            << c.nLines;
    }

    // Hidden again, the view is what it was.
    view.SetShowLineNumbers(false);
    EXPECT_EQ(view.GetMarginWidth(), CTextView::MARGIN_WIDTH);
    EXPECT_EQ(view.GetVisibleColumnCount(), nColumnsBefore);
    EXPECT_EQ(Render(view), imageBefore);
}

TEST(TextViewGutter, TheCaretLineIsTintedInTheFocusedViewWithoutASelection) {
    auto pBuffer = MakeBuffer({"mat_title \"Hi\"", "mat_width 320", "", "x"});
    CProbeSampleView view;
    SetUpView(view, pBuffer.get(), 30, 5);
    view.SetHighlightCurrentLine(true);
    const QColor crTint = view.GetColorValue(CI_CURRENTLINE);
    const QColor crBase = view.GetColorValue(CI_TEXTBACK);
    EXPECT_NE(crTint, crBase);

    struct Case {
        bool bFocus;
        TextPos ptSelFrom, ptSelTo; // the caret is at ptSelTo
        int nTintedRow;             // -1: no row
    };
    const Case cases[] = {
        {true, {3, 1}, {3, 1}, 1},  {true, {0, 2}, {0, 2}, 2}, {false, {3, 1}, {3, 1}, -1},
        {true, {5, 1}, {7, 1}, -1}, {true, {0, 0}, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        if (c.bFocus)
            GiveFocus(view);
        else
            TakeFocus(view);
        view.m_ptCaret = c.ptSelTo;
        view.RefreshCaret();
        view.SetSelectionRange(c.ptSelFrom, c.ptSelTo);
        const QImage image = Render(view);
        for (int nRow = 0; nRow < 4; ++nRow) {
            EXPECT_EQ(view.IsCurrentLineTinted(nRow), nRow == c.nTintedRow) << nRow;
            // Under the text and right of the line's end alike.
            const QColor crWant = nRow == c.nTintedRow ? crTint : crBase;
            EXPECT_EQ(CellBackground(image, CellRect(view, 1, nRow)), crWant) << nRow;
            EXPECT_TRUE(IsFilled(image, CellRect(view, 20, nRow), crWant)) << nRow;
        }
    }
    // Colouring stays on the tinted line: the attribute atom's blue and the string's red.
    const QImage image = Render(view);
    EXPECT_GE(CountPixels(image, CellRect(view, 1, 0), view.GetColorValue(CI_ATTRATOM), 40), 3);
    EXPECT_GE(CountPixels(image, CellRect(view, 11, 0), view.GetColorValue(CI_STRING), 40), 3);

    // A move to another line repaints the line it leaves and the one it reaches.
    QApplication::processEvents();
    view.m_rcPendingPaint = QRect();
    view.PlaceCaret({0, 3});
    const int h = view.GetLineHeight();
    EXPECT_TRUE(view.m_rcPendingPaint.contains(QRect(0, 0, view.viewport()->width(), h)));
    EXPECT_TRUE(view.m_rcPendingPaint.contains(QRect(0, 3 * h, view.viewport()->width(), h)));
}

} // namespace
