// What the view paints, read back from the rendered client area pixel by pixel.
#include "ViewTestSupport.h"
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "view/ViewGutter.h"

#include <algorithm>
#include <random>
#include <string>

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A view whose parser puts one block of a chosen colour index at a chosen position.
class CBlockView : public CProbeView {
public:
    uint32_t ParseLine(uint32_t, int, ColorBlock* pBlocks, int& nBlocks) override {
        if (pBlocks)
            pBlocks[nBlocks++] = {m_nBlockPos, m_nBlockColor};
        return 0;
    }
    int m_nBlockPos = 0;
    int m_nBlockColor = CI_NORMALTEXT;
};

// A pixel of the cell's top row, where glyphs of this font leave the background alone.
QColor CellBackground(const QImage& image, const QRect& rcCell) {
    return image.pixelColor(rcCell.left() + rcCell.width() / 2, rcCell.top());
}

// Whether glyphs in rc are drawn in colour cr: the darkest strokes of antialiased text reach
// the colour itself.
bool HasGlyphPixelsOf(const QImage& image, const QRect& rc, const QColor& cr) {
    return CountPixels(image, rc, cr, 40) >= 3;
}

QRect Cells(CTextView& view, int nColumn, int nRow, int nCount) {
    return CellRect(view, nColumn, nRow).united(CellRect(view, nColumn + nCount - 1, nRow));
}

// Each of the first nCells cells of a row as a letter: 'S' all selection background, 's' a
// glyph on the selection background, '_' all empty-area colour, '.' anything else.
std::string RowCells(CTextView& view, int nRow, int nCells) {
    const QImage image = Render(view);
    const QColor crSel = view.GetColorValue(CI_SELBACK);
    std::string out;
    for (int nColumn = 0; nColumn < nCells; ++nColumn) {
        const QRect rc = CellRect(view, nColumn, nRow);
        out += IsFilled(image, rc, crSel)                              ? 'S'
               : CellBackground(image, rc) == crSel                    ? 's'
               : IsFilled(image, rc, view.GetColorValue(CI_EMPTYAREA)) ? '_'
                                                                       : '.';
    }
    return out;
}

TEST(TextViewDrawing, SelectedEmptyLinesAndLineEndsShowOneSelectedCellWhileTheSelectionShows) {
    CShownView fx(MakeBuffer({"abc", "", "de", "fgh"}), 20, 6);
    CProbeView& view = fx.view;
    GiveFocus(view);
    view.SetSelectionRange({1, 0}, {0, 3});
    const char* const apszRows[] = {".ssS__", "S_____", "ssS___", "...___"};
    for (int nRow = 0; nRow < 4; ++nRow)
        EXPECT_EQ(RowCells(view, nRow, 6), apszRows[nRow]) << nRow;
    for (const auto& [bFocus, bInactive, pszRow] : {std::tuple{false, false, "...___"},
                                                    {false, true, ".ssS__"},
                                                    {true, false, ".ssS__"},
                                                    {false, false, "...___"}}) {
        bFocus ? GiveFocus(view) : TakeFocus(view);
        view.m_bShowSelectionInactive = bInactive;
        EXPECT_EQ(RowCells(view, 0, 6), pszRow) << bFocus << bInactive;
    }
    CShownView text(MakeBuffer({"MMMM"}), 10, 2);
    GiveFocus(text.view);
    text.view.SetSelectionRange({2, 0}, {1, 0});
    const QImage image = Render(text.view);
    EXPECT_EQ(CellBackground(image, CellRect(text.view, 1, 0)), QColor(0, 0, 0));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(text.view, 1, 0), QColor(255, 255, 255)));
    EXPECT_TRUE(
        HasGlyphPixelsOf(image, CellRect(text.view, 2, 0), text.view.GetColorValue(CI_NORMALTEXT)));
    // Margin icons follow bookmark precedence; rows below the text are empty.
    CShownView icons(MakeBuffer({"a", "b", "c", "d", "e", "f"}), 5, 8);
    CProbeView& iv = icons.view;
    for (const auto& [nLine, dwFlag] : {std::pair{0, LineFlagMark(0)},
                                        {0, LineFlagMark(3)},
                                        {1, LineFlagMark(0)},
                                        {1, LINEFLAG_BOOKMARK},
                                        {2, LINEFLAG_BOOKMARK},
                                        {3, LineFlagMark(9)}})
        icons.pBuffer->ChangeLineFlag(nLine, dwFlag, true, dwFlag != LINEFLAG_BOOKMARK);
    const QImage iimage = Render(iv);
    const QColor crMargin = iv.GetColorValue(CI_MARGIN);
    const int anCells[8] = {5, 12, 13, 11, -1, -1, -1, -1};
    for (int nRow = 0; nRow < 8; ++nRow) {
        QImage expected(iv.GetMarginWidth(), iv.GetLineHeight(), QImage::Format_RGB32);
        expected.fill(crMargin);
        if (anCells[nRow] >= 0) {
            QPainter dc(&expected);
            dc.drawPixmap(QPoint(2, (iv.GetLineHeight() - 16) / 2), LoadResBitmap(IDB_MARGIN_ICONS),
                          QRect(anCells[nRow] * 16, 0, 16, 16));
        }
        EXPECT_EQ(iimage.copy(MarginRect(iv, nRow)), expected) << nRow;
        EXPECT_EQ(RowCells(iv, nRow, 5), nRow < 6 ? ".____" : "_____") << nRow;
    }
    const QRect rcMargin = MarginRect(iv, 2);
    EXPECT_EQ(
        iimage.pixelColor(rcMargin.left() + 10, rcMargin.top() + (rcMargin.height() - 16) / 2 + 8),
        QColor(0, 255, 255));
}

TEST(TextViewDrawing, TabsNulsAndBytesDrawAsWindows1252AndAColourOutsideTheTableAsRed) {
    std::vector<std::string> rows = {"\tM", std::string("a\0M", 3)};
    for (int ch = 0x7F; ch <= 0x9F; ++ch)
        rows.push_back(std::string("\x01") + static_cast<char>(ch) + ' ');
    rows.push_back("\x01\xE9 ");
    CShownView fx(MakeBuffer(rows), 5, static_cast<int>(rows.size()));
    CProbeView& view = fx.view;
    const QImage image = Render(view);
    const QColor crText = view.GetColorValue(CI_NORMALTEXT);
    EXPECT_FALSE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 4), crText));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 4, 0), crText));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 1, 1), crText));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 2, 1), crText));
    EXPECT_FALSE(HasGlyphPixelsOf(image, CellRect(view, 3, 1), crText));
    for (int nRow = 2; nRow < static_cast<int>(rows.size()); ++nRow) {
        const auto ch = static_cast<unsigned char>(rows[size_t(nRow)][1]);
        const bool bBox =
            ch == 0x7F || ch == 0x81 || ch == 0x8D || ch == 0x8F || ch == 0x90 || ch == 0x9D;
        const QImage cell = image.copy(CellRect(view, 1, nRow));
        EXPECT_EQ(cell == image.copy(CellRect(view, 0, nRow)), bBox) << std::hex << int(ch);
        EXPECT_NE(cell, image.copy(CellRect(view, 2, nRow))) << std::hex << int(ch);
    }
    // A colour index outside the table is red.
    TShownView<CBlockView> red(MakeBuffer({"MMMMMM"}), 10, 2);
    CBlockView& blocks = red.view;
    const QColor crRed(255, 0, 0);
    blocks.m_nBlockPos = 2;
    for (const int nColor : {42, -3}) {
        blocks.m_nBlockColor = nColor;
        const QImage red = Render(blocks);
        EXPECT_TRUE(HasGlyphPixelsOf(red, Cells(blocks, 2, 0, 4), crRed)) << nColor;
        EXPECT_FALSE(HasGlyphPixelsOf(red, Cells(blocks, 0, 0, 2), crRed)) << nColor;
        EXPECT_TRUE(
            HasGlyphPixelsOf(red, Cells(blocks, 0, 0, 2), blocks.GetColorValue(CI_NORMALTEXT)));
    }
    blocks.m_nBlockPos = 99;
    EXPECT_FALSE(HasGlyphPixelsOf(Render(blocks), Cells(blocks, 0, 0, 10), crRed));
    // The Zarn colours: attribute atoms are blue, not the numbers' magenta.
    TShownView<CProbeSampleView> zarn(
        MakeBuffer({"man_start_object ornament", "    mat_width 480 ; wide",
                    "    mat_title \"Hello\"", "    mat_color_face 0FFx"}),
        40, 5);
    const std::tuple<int, int, int, QColor, bool> runs[] = {
        // clang-format off
        {0, 0, 16, QColor(128, 0, 128), true},  {17, 0, 8, QColor(0, 128, 0), true},
        {4, 1, 9, QColor(0, 0, 255), true},     {4, 1, 9, QColor(255, 0, 255), false},
        {14, 1, 3, QColor(255, 0, 255), true},  {18, 1, 6, QColor(128, 128, 128), true},
        {14, 2, 7, QColor(255, 0, 0), true},    {19, 3, 4, QColor(255, 0, 255), true},
        // clang-format on
    };
    for (const auto& [nColumn, nRow, nCount, cr, bDrawn] : runs)
        EXPECT_EQ(HasGlyphPixelsOf(Render(zarn.view), Cells(zarn.view, nColumn, nRow, nCount), cr),
                  bDrawn)
            << nColumn << "," << nRow;
}

TEST(TextViewDrawing, TheCaretEmptyAreasAndMarginFollowTheirColoursAndThePalette) {
    CShownView fx(MakeBuffer({"abc", "\tdef", "ab", std::string(40, 'M')}), 10, 5);
    CProbeView& view = fx.view;
    view.PlaceCaret({1, 1});
    EXPECT_TRUE(view.GetCaretRect().isEmpty()); // no focus, no caret
    GiveFocus(view);
    const QRect rcCaret = view.GetCaretRect();
    EXPECT_EQ(rcCaret, QRect(view.TextPosToClient({1, 1}), QSize(2, view.GetLineHeight())));
    view.SuppressCaret();
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
    view.EnableCaret();
    EXPECT_EQ(view.GetCaretRect(), rcCaret);
    // At a line's end the caret inverts the empty area under it.
    view.PlaceCaret({3, 0});
    const QColor crEmpty = view.GetColorValue(CI_EMPTYAREA);
    EXPECT_TRUE(IsFilled(Render(view), view.GetCaretRect(),
                         QColor(255 - crEmpty.red(), 255 - crEmpty.green(), 255 - crEmpty.blue())));
    TakeFocus(view);
    // A line scrolled out to the left still has its row painted.
    view.ScrollToColumn(20, true);
    QImage image = Render(view);
    EXPECT_TRUE(IsFilled(image, Cells(view, 0, 2, 10), crEmpty));
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 2), view.GetColorValue(CI_MARGIN)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 0, 3), view.GetColorValue(CI_NORMALTEXT)));
    // System colours follow the palette at the next repaint, with no cache cleared for it.
    view.GetLineEndState(3);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(10, 20, 30));
    palette.setColor(QPalette::Button, QColor(40, 50, 60));
    view.setPalette(palette);
    EXPECT_EQ(view.GetColorValue(CI_EMPTYAREA), QColor(10, 20, 30));
    EXPECT_EQ(view.GetColorValue(CI_TEXTBACK), QColor(10, 20, 30));
    image = Render(view);
    EXPECT_TRUE(IsFilled(image, Cells(view, 0, 4, 10), QColor(10, 20, 30)));
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 0), QColor(40, 50, 60)));
    EXPECT_TRUE(view.m_LineStates.Exists());
}

// The Zarn view with its long lines parsed whole: what windowed colouring must look like.
class CWholeLineView : public CProbeSampleView {
public:
    bool AdvanceParsePoint(int, ParsePoint&, int) override { return false; }
};

// Zarn-like text with strings, literals, comments, numbers, escapes and tabs.
std::string RandomZarnText(std::mt19937& rng, int nLength) {
    static const char* const s_apszPieces[] = {
        "mat_width", " ",    "\t",  "\"", "'",    "\\", "100", "0FFx", "ffx",   "yes",
        "abc",       " \"a", "1e3", "  ", "\t\t", "x",  "_",   ".",    "mat_u", "man_end_object"};
    std::string text;
    while (static_cast<int>(text.size()) < nLength) {
        text += s_apszPieces[rng() % std::size(s_apszPieces)];
        if (rng() % 3000 == 0)
            text += ';';
    }
    return text;
}

// Far right on long lines the colours come from text far to their left: a string or comment
// opened long before, or a hexadecimal number that is one long word.
TEST(TextViewDrawing, LongLinesDrawAsTheWholeLinesParseColoursThem) {
    std::mt19937 rng(4711);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    std::string strString = "mat_title \"";
    while (strString.size() < 30000)
        strString += "ab\tcd; ";
    auto pBuffer = MakeBuffer({RandomZarnText(rng, 20000), "mat_title \"short\"",
                               RandomZarnText(rng, 12000) + "\\", RandomZarnText(rng, 16000),
                               std::string(30000, 'f') + "x", strString + "\" mat_width 100"});
    CProbeSampleView view;
    CWholeLineView reference;
    CProbeSampleView* const apViews[] = {&view, &reference};
    for (CProbeSampleView* pView : apViews) {
        SetUpView(*pView, pBuffer.get(), 50, 6);
        pView->m_bShowSelectionInactive = true;
    }
    // A string opened some 30,000 characters before the window, closed before the last words.
    view.ScrollToColumn(view.GetLineDisplayWidth(5) - 20, true);
    for (const QColor& cr : {QColor(255, 0, 0), QColor(0, 0, 255), QColor(255, 0, 255)})
        EXPECT_TRUE(HasGlyphPixelsOf(Render(view), Cells(view, 0, 5, 20), cr))
            << cr.name().toStdString();
    for (int nStep = 0; nStep < 60; ++nStep) {
        if (nStep % 3 == 0) {
            const int nLine = pick(0, view.GetLineCount() - 1);
            const int nChar = pick(0, view.GetLineLength(nLine));
            if (pick(0, 1) == 0)
                BufferInsert(*pBuffer, nLine, nChar, RandomZarnText(rng, pick(1, 5)));
            else
                BufferDelete(*pBuffer, {nChar, nLine},
                             {std::min(nChar + pick(1, 5), view.GetLineLength(nLine)), nLine});
        }
        const int nLine = pick(0, view.GetLineCount() - 1);
        const int nColumn =
            std::max(view.CharToColumn(nLine, pick(0, view.GetLineLength(nLine))) - pick(0, 30), 0);
        const TextPos ptFrom{pick(0, view.GetLineLength(nLine)), nLine};
        const TextPos ptTo{pick(0, view.GetLineLength(nLine)), nLine};
        for (CProbeSampleView* pView : apViews) {
            pView->ScrollToColumn(nColumn, true);
            pView->SetSelectionRange(ptFrom, ptTo);
        }
        ASSERT_EQ(view.GetFirstVisibleColumn(), reference.GetFirstVisibleColumn());
        ASSERT_TRUE(Render(view) == Render(reference)) << "step " << nStep;
    }
}

// Makes the buffer nLines lines long, adding or removing lines at its end as an edit does.
void ResizeTo(CTextBuffer& buffer, int nLines) {
    while (buffer.GetLineCount() < nLines)
        BufferInsert(buffer, buffer.GetLineCount() - 1, 0, "more\r\n");
    if (const int nLast = buffer.GetLineCount() - 1; nLast >= nLines)
        BufferDelete(buffer, {buffer.GetLineLength(nLines - 1), nLines - 1},
                     {buffer.GetLineLength(nLast), nLast});
}

TEST(TextViewGutter, TheNumberColumnMovesTheTextAndTheCaretLineIsTintedWithoutASelection) {
    auto pBuffer = MakeNumberedBuffer(9);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 30, 5);
    GiveFocus(view);
    view.PlaceCaret({2, 1});
    const QImage imageBefore = Render(view);
    const int nColumnsBefore = view.GetVisibleColumnCount();
    EXPECT_EQ(view.GetMarginWidth(), CTextView::MARGIN_WIDTH);
    view.SetShowLineNumbers(true);
    const int cx = view.GetCharWidth(), h = view.GetLineHeight();
    const QColor crMargin = view.GetColorValue(CI_MARGIN);
    for (const auto& [nLines, nDigits] :
         {std::pair{9, 1}, {10, 2}, {99, 2}, {100, 3}, {1000, 4}, {10, 2}, {9, 1}}) {
        SCOPED_TRACE(nLines);
        ResizeTo(*pBuffer, nLines);
        EXPECT_EQ(LineNumberDigits(nLines), nDigits);
        const int cxNumbers = (nDigits + 1) * cx;
        EXPECT_EQ(view.GetLineNumberWidth(), cxNumbers);
        const int m = cxNumbers + CTextView::MARGIN_WIDTH;
        EXPECT_EQ(view.GetMarginWidth(), m);
        EXPECT_EQ(view.GetCaretRect().left(), m + 2 * cx);
        EXPECT_EQ(view.TextPosToClient({3, 0}).x(), m + 3 * cx);
        EXPECT_EQ(view.ClientToTextPos({m + 4 * cx + 1, 1}).x, 4);
        EXPECT_EQ(view.GetVisibleColumnCount(), (view.viewport()->width() - m) / cx);
        const QImage image = Render(view);
        const int xDigit = cxNumbers - cx / 2 - cx;
        EXPECT_GE(
            CountPixels(image, QRect(xDigit, h, cx, h), view.GetColorValue(CI_LINENUMBER), 40), 3);
        EXPECT_TRUE(IsFilled(image, QRect(0, h, xDigit, h), crMargin));
        EXPECT_TRUE(IsFilled(image, QRect(cxNumbers - cx / 2, h, cx / 2, h), crMargin));
    }
    view.SetShowLineNumbers(false);
    EXPECT_EQ(view.GetMarginWidth(), CTextView::MARGIN_WIDTH);
    EXPECT_EQ(view.GetVisibleColumnCount(), nColumnsBefore);
    EXPECT_EQ(Render(view), imageBefore);
    // The caret line is tinted in the focused view without a selection.
    auto pTinted = MakeBuffer({"mat_title \"Hi\"", "mat_width 320", "", "x"});
    CProbeSampleView tinted;
    SetUpView(tinted, pTinted.get(), 30, 5);
    tinted.SetHighlightCurrentLine(true);
    const QColor crTint = tinted.GetColorValue(CI_CURRENTLINE);
    const QColor crBase = tinted.GetColorValue(CI_TEXTBACK);
    EXPECT_NE(crTint, crBase);
    const std::tuple<bool, TextPos, TextPos, int> cases[] = {
        {true, {3, 1}, {3, 1}, 1},  {true, {0, 2}, {0, 2}, 2}, {false, {3, 1}, {3, 1}, -1},
        {true, {5, 1}, {7, 1}, -1}, {true, {0, 0}, {0, 0}, 0},
    };
    for (const auto& [bFocus, ptSelFrom, ptSelTo, nTintedRow] : cases) {
        bFocus ? GiveFocus(tinted) : TakeFocus(tinted);
        tinted.m_ptCaret = ptSelTo;
        tinted.RefreshCaret();
        tinted.SetSelectionRange(ptSelFrom, ptSelTo);
        const QImage tintImage = Render(tinted);
        for (int nRow = 0; nRow < 4; ++nRow) {
            EXPECT_EQ(tinted.IsCurrentLineTinted(nRow), nRow == nTintedRow) << nRow;
            const QColor crWant = nRow == nTintedRow ? crTint : crBase;
            EXPECT_EQ(CellBackground(tintImage, CellRect(tinted, 1, nRow)), crWant) << nRow;
            EXPECT_TRUE(IsFilled(tintImage, CellRect(tinted, 20, nRow), crWant)) << nRow;
        }
    }
    const QImage tintImage = Render(tinted);
    EXPECT_TRUE(
        HasGlyphPixelsOf(tintImage, CellRect(tinted, 1, 0), tinted.GetColorValue(CI_ATTRATOM)));
    EXPECT_TRUE(
        HasGlyphPixelsOf(tintImage, CellRect(tinted, 11, 0), tinted.GetColorValue(CI_STRING)));
    QApplication::processEvents();
    tinted.m_rcPendingPaint = QRect();
    tinted.PlaceCaret({0, 3});
    const int cxWide = tinted.viewport()->width(), cy = tinted.GetLineHeight();
    EXPECT_TRUE(tinted.m_rcPendingPaint.contains(QRect(0, 0, cxWide, cy)));
    EXPECT_TRUE(tinted.m_rcPendingPaint.contains(QRect(0, 3 * cy, cxWide, cy)));
}

} // namespace
