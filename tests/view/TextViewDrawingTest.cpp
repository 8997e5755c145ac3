// What the view paints: selection cells, empty areas, margin icons and Zarn colours, read
// back from the rendered client area pixel by pixel.
#include "ViewTestSupport.h"
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"

#include <algorithm>
#include <random>
#include <string>

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

// Whether the glyphs in the cells of rc are drawn in colour cr: the darkest strokes of
// antialiased text reach the colour itself.
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
    std::string out;
    for (int nColumn = 0; nColumn < nCells; ++nColumn) {
        const QRect rc = CellRect(view, nColumn, nRow);
        const bool bSelBack = CellBackground(image, rc) == view.GetColorValue(CI_SELBACK);
        out += IsFilled(image, rc, view.GetColorValue(CI_SELBACK))     ? 'S'
               : bSelBack                                              ? 's'
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
    // The selection ends at (0, 3): nothing of line 3 is selected.
    const char* const apszRows[] = {".ssS__", "S_____", "ssS___", "...___"};
    for (int nRow = 0; nRow < 4; ++nRow)
        EXPECT_EQ(RowCells(view, nRow, 6), apszRows[nRow]) << nRow;
    // Without focus the selection is not drawn unless asked to.
    TakeFocus(view);
    EXPECT_EQ(RowCells(view, 0, 6), "...___");
    view.m_bShowSelectionInactive = true;
    EXPECT_EQ(RowCells(view, 0, 6), ".ssS__");
    view.m_bShowSelectionInactive = false;
    GiveFocus(view);
    EXPECT_EQ(RowCells(view, 0, 6), ".ssS__");
    TakeFocus(view);
    EXPECT_EQ(RowCells(view, 0, 6), "...___");

    // Selected text is white on black; the ends may come in either order.
    CShownView text(MakeBuffer({"MMMM"}), 10, 2);
    GiveFocus(text.view);
    text.view.SetSelectionRange({2, 0}, {1, 0});
    const QImage image = Render(text.view);
    EXPECT_EQ(CellBackground(image, CellRect(text.view, 1, 0)), QColor(0, 0, 0));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(text.view, 1, 0), QColor(255, 255, 255)));
    EXPECT_TRUE(
        HasGlyphPixelsOf(image, CellRect(text.view, 2, 0), text.view.GetColorValue(CI_NORMALTEXT)));
}

TEST(TextViewDrawing, RowsBelowTheLastLineAreEmptyAreaAndPlainMargin) {
    CShownView fx(MakeBuffer({"one", "two"}), 12, 5);
    CProbeView& view = fx.view;
    fx.pBuffer->ChangeLineFlag(1, LINEFLAG_BOOKMARK, true, false);
    const QImage image = Render(view);
    const QColor crMargin = view.GetColorValue(CI_MARGIN);
    for (int nRow = 2; nRow < 5; ++nRow) {
        EXPECT_EQ(RowCells(view, nRow, 12), std::string(12, '_')) << nRow;
        EXPECT_TRUE(IsFilled(image, MarginRect(view, nRow), crMargin)) << nRow;
    }
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 0), crMargin));
    EXPECT_FALSE(IsFilled(image, MarginRect(view, 1), crMargin)); // the bookmark's icon
    EXPECT_EQ(RowCells(view, 0, 12), "..._________");             // right of a line's end
}

// The margin cell of a row, compared with the bitmap's cell drawn over the margin colour.
bool ShowsMarginCell(CTextView& view, const QImage& image, int nRow, int nCell) {
    QImage expected(view.GetMarginWidth(), view.GetLineHeight(), QImage::Format_RGB32);
    expected.fill(view.GetColorValue(CI_MARGIN));
    {
        QPainter dc(&expected);
        dc.drawPixmap(QPoint(2, (view.GetLineHeight() - 16) / 2), LoadResBitmap(IDB_MARGIN_ICONS),
                      QRect(nCell * 16, 0, 16, 16));
    }
    return image.copy(MarginRect(view, nRow)) == expected;
}

TEST(TextViewDrawing, MarginIconsFollowBookmarkPrecedence) {
    CShownView fx(MakeBuffer({"a", "b", "c", "d", "e"}), 5, 5);
    auto& view = fx.view;
    for (const auto& [nLine, dwFlag] : {std::pair{0, LineFlagMark(0)},
                                        {0, LineFlagMark(3)},
                                        {1, LineFlagMark(0)},
                                        {1, LINEFLAG_BOOKMARK},
                                        {2, LINEFLAG_BOOKMARK},
                                        {3, LineFlagMark(9)}})
        fx.pBuffer->ChangeLineFlag(nLine, dwFlag, true, dwFlag != LINEFLAG_BOOKMARK);
    const QImage image = Render(view);
    EXPECT_TRUE(ShowsMarginCell(view, image, 0, 5)); // bookmarks 0 and 3: the digit 3
    EXPECT_FALSE(ShowsMarginCell(view, image, 0, 12));
    EXPECT_TRUE(ShowsMarginCell(view, image, 1, 12)); // bookmark 0 and anonymous: the digit 0
    EXPECT_TRUE(ShowsMarginCell(view, image, 2, 13)); // anonymous: the plain disc
    EXPECT_TRUE(ShowsMarginCell(view, image, 3, 11)); // the digit 9
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 4), view.GetColorValue(CI_MARGIN)));
    // The icon's disc is cyan where no digit covers it.
    const QRect rcMargin = MarginRect(view, 2);
    EXPECT_EQ(image.pixelColor(rcMargin.left() + 2 + 8,
                               rcMargin.top() + (rcMargin.height() - 16) / 2 + 8),
              QColor(0, 255, 255));
}

TEST(TextViewDrawing, ZarnBlocksAreDrawnInTheirColours) {
    auto pBuffer = MakeBuffer({
        "man_start_object ornament",
        "    mat_width 480 ; wide",
        "    mat_title \"Hello\"",
        "    mat_color_face 0FFx",
    });
    CProbeSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    ShowWithCells(view, 40, 5);
    const QImage image = Render(view);
    const struct {
        int nColumn, nRow, nCount;
        QColor cr;
        bool bDrawn;
    } runs[] = {
        {0, 0, 16, QColor(128, 0, 128), true},   // structure atom
        {17, 0, 8, QColor(0, 128, 0), true},     // value word
        {4, 1, 9, QColor(0, 0, 255), true},      // attribute atom
        {4, 1, 9, QColor(255, 0, 255), false},   //
        {14, 1, 3, QColor(255, 0, 255), true},   // number
        {18, 1, 6, QColor(128, 128, 128), true}, // comment
        {14, 2, 7, QColor(255, 0, 0), true},     // string
        {19, 3, 4, QColor(255, 0, 255), true},   // hexadecimal number
    };
    for (const auto& run : runs) {
        EXPECT_EQ(HasGlyphPixelsOf(image, Cells(view, run.nColumn, run.nRow, run.nCount), run.cr),
                  run.bDrawn)
            << run.nColumn << "," << run.nRow;
    }
}

TEST(TextViewDrawing, AColourIndexOutsideTheTableIsRed) {
    TShownView<CBlockView> fx(MakeBuffer({"MMMMMM"}), 10, 2);
    auto& view = fx.view;
    view.m_nBlockPos = 2;
    view.m_nBlockColor = 42;
    const QImage image = Render(view);
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 2, 0, 4), QColor(255, 0, 0)));
    EXPECT_FALSE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 2), QColor(255, 0, 0)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 2), view.GetColorValue(CI_NORMALTEXT)));
    view.m_nBlockColor = -3;
    EXPECT_TRUE(HasGlyphPixelsOf(Render(view), Cells(view, 2, 0, 4), QColor(255, 0, 0)));
    // A stray block position past the line colours nothing beyond it.
    view.m_nBlockPos = 99;
    EXPECT_FALSE(HasGlyphPixelsOf(Render(view), Cells(view, 0, 0, 10), QColor(255, 0, 0)));
}

TEST(TextViewDrawing, TabsExpandAndNulBytesShowAsAOneColumnPlaceholder) {
    CShownView fx(MakeBuffer({std::string("\tM"), std::string("a\0M", 3)}), 10, 3);
    auto& view = fx.view;
    const QImage image = Render(view);
    const QColor crText = view.GetColorValue(CI_NORMALTEXT);
    EXPECT_FALSE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 4), crText));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 4, 0), crText));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 1, 1), crText)); // the placeholder
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 2, 1), crText)); // M after it
    EXPECT_FALSE(HasGlyphPixelsOf(image, CellRect(view, 3, 1), crText));
}

TEST(TextViewDrawing, BytesDrawAsTheirWindows1252CharactersAndUndefinedOnesAsTheBox) {
    // Each row: the byte under test between a control byte, whose box is drawn for reference,
    // and a blank, which draws nothing.
    std::vector<std::string> rows;
    for (int ch = 0x7F; ch <= 0x9F; ++ch)
        rows.push_back(std::string("\x01") + static_cast<char>(ch) + ' ');
    rows.push_back("\x01\xE9 ");
    CShownView fx(MakeBuffer(rows), 4, static_cast<int>(rows.size()));
    auto& view = fx.view;
    const QImage image = Render(view);
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto ch = static_cast<unsigned char>(rows[i][1]);
        const bool bBox =
            ch == 0x7F || ch == 0x81 || ch == 0x8D || ch == 0x8F || ch == 0x90 || ch == 0x9D;
        const int nRow = static_cast<int>(i);
        const QImage cell = image.copy(CellRect(view, 1, nRow));
        EXPECT_EQ(cell == image.copy(CellRect(view, 0, nRow)), bBox) << std::hex << int(ch);
        EXPECT_NE(cell, image.copy(CellRect(view, 2, nRow))) << std::hex << int(ch);
    }
}

TEST(TextViewDrawing, ALineScrolledOutToTheLeftStillHasItsRowPainted) {
    CShownView fx(MakeBuffer({"ab", std::string(40, 'M')}), 10, 3);
    auto& view = fx.view;
    view.ScrollToColumn(20, true);
    const QImage image = Render(view);
    EXPECT_TRUE(IsFilled(image, Cells(view, 0, 0, 10), view.GetColorValue(CI_EMPTYAREA)));
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 1), view.GetColorValue(CI_MARGIN)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, CellRect(view, 0, 1), view.GetColorValue(CI_NORMALTEXT)));
}

TEST(TextViewDrawing, SystemColoursFollowThePaletteAtTheNextRepaint) {
    CShownView fx(MakeBuffer({"x"}), 5, 3);
    auto& view = fx.view;
    view.GetLineEndState(0);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(10, 20, 30));
    palette.setColor(QPalette::Button, QColor(40, 50, 60));
    view.setPalette(palette);
    EXPECT_EQ(view.GetColorValue(CI_EMPTYAREA), QColor(10, 20, 30));
    EXPECT_EQ(view.GetColorValue(CI_TEXTBACK), QColor(10, 20, 30));
    const QImage image = Render(view);
    EXPECT_TRUE(IsFilled(image, Cells(view, 0, 2, 5), QColor(10, 20, 30)));
    EXPECT_TRUE(IsFilled(image, MarginRect(view, 0), QColor(40, 50, 60)));
    EXPECT_TRUE(view.m_LineStates.Exists()); // no cache was cleared for it
}

TEST(TextViewDrawing, TheCaretIsTwoPixelsWideWhereTheCaretIs) {
    CShownView fx(MakeBuffer({"abc", "\tdef"}), 10, 3);
    auto& view = fx.view;
    view.PlaceCaret({1, 1});
    EXPECT_TRUE(view.GetCaretRect().isEmpty()); // no focus, no caret
    GiveFocus(view);
    const QRect rcCaret = view.GetCaretRect();
    EXPECT_EQ(rcCaret, QRect(view.TextPosToClient({1, 1}), QSize(2, view.GetLineHeight())));
    EXPECT_EQ(rcCaret.left(), view.GetMarginWidth() + 4 * view.GetCharWidth());
    view.SuppressCaret();
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
    view.EnableCaret();
    EXPECT_EQ(view.GetCaretRect(), rcCaret);
    // At a line's end the caret inverts the empty area under it.
    view.PlaceCaret({3, 0});
    const QRect rcEnd = view.GetCaretRect();
    EXPECT_TRUE(IsFilled(Render(view), rcEnd,
                         QColor(255 - view.GetColorValue(CI_EMPTYAREA).red(),
                                255 - view.GetColorValue(CI_EMPTYAREA).green(),
                                255 - view.GetColorValue(CI_EMPTYAREA).blue())));
}

// Far right on long lines, the colours come from text far to their left: a string opened
// before a tab-laden stretch, a comment, and a hexadecimal number that is one long word.
TEST(TextViewDrawing, ALineScrolledFarRightKeepsColoursThatBeganFarToItsLeft) {
    std::string strString = "mat_title \"";
    std::string strComment = "yes ; ";
    while (strString.size() < 30000) {
        strString += "ab\tcd; ";
        strComment += "mat_width 100\t";
    }
    strString += "\" mat_width 100";
    const std::string strHex = std::string(30000, 'f') + "x";
    TShownView<CProbeSampleView> fx(MakeBuffer({strString, strComment, strHex}), 30, 4);
    auto& view = fx.view;
    const int nColumn = view.CharToColumn(0, 25000);
    view.ScrollToColumn(nColumn, true);
    QImage image = Render(view);
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 30), QColor(255, 0, 0)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 1, 30), QColor(128, 128, 128)));
    EXPECT_FALSE(HasGlyphPixelsOf(image, Cells(view, 0, 1, 30), QColor(0, 0, 255)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 2, 30), QColor(255, 0, 255)));

    // At the string's end the atom and the number after it have their own colours again.
    view.ScrollToColumn(view.GetLineDisplayWidth(0) - 20, true);
    image = Render(view);
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 20), QColor(0, 0, 255)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 20), QColor(255, 0, 255)));
    EXPECT_TRUE(HasGlyphPixelsOf(image, Cells(view, 0, 0, 20), QColor(255, 0, 0)));
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

TEST(TextViewDrawing, LongLinesDrawAsTheWholeLinesParseColoursThem) {
    std::mt19937 rng(4711);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    auto pBuffer = MakeBuffer({RandomZarnText(rng, 20000), "mat_title \"short\"",
                               RandomZarnText(rng, 12000) + "\\", RandomZarnText(rng, 16000)});
    CProbeSampleView view;
    CWholeLineView reference;
    for (CProbeSampleView* pView :
         {static_cast<CProbeSampleView*>(&view), static_cast<CProbeSampleView*>(&reference)}) {
        SetUpView(*pView, pBuffer.get(), 50, 6);
        pView->m_bShowSelectionInactive = true;
    }
    for (int nStep = 0; nStep < 60; ++nStep) {
        if (nStep % 3 == 0) {
            const int nLine = pick(0, view.GetLineCount() - 1);
            const int nChar = pick(0, view.GetLineLength(nLine));
            int nEndLine = 0, nEndChar = 0;
            if (pick(0, 1) == 0)
                pBuffer->InsertTextAt(nullptr, nLine, nChar, RandomZarnText(rng, pick(1, 5)),
                                      nEndLine, nEndChar, EDITACT_TYPING);
            else
                pBuffer->DeleteRange(nullptr, nLine, nChar, nLine,
                                     std::min(nChar + pick(1, 5), view.GetLineLength(nLine)),
                                     EDITACT_DELETE);
        }
        const int nLine = pick(0, view.GetLineCount() - 1);
        const int nColumn =
            std::max(view.CharToColumn(nLine, pick(0, view.GetLineLength(nLine))) - pick(0, 30), 0);
        const TextPos ptFrom{pick(0, view.GetLineLength(nLine)), nLine};
        const TextPos ptTo{pick(0, view.GetLineLength(nLine)), nLine};
        for (CProbeSampleView* pView :
             {static_cast<CProbeSampleView*>(&view), static_cast<CProbeSampleView*>(&reference)}) {
            pView->ScrollToColumn(nColumn, true);
            pView->SetSelectionRange(ptFrom, ptTo);
        }
        ASSERT_EQ(view.GetFirstVisibleColumn(), reference.GetFirstVisibleColumn());
        ASSERT_TRUE(Render(view) == Render(reference)) << "step " << nStep;
    }
}

} // namespace
