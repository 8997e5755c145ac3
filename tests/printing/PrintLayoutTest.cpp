// What printed pages look like: the footer, the margins as positions on the page, the font's
// size, wrapped long lines, tabs and control bytes, read back from real PDF files.
#include "tests/printing/PrintTestSupport.h"

#include <algorithm>

#include <QFile>
#include <QSettings>

namespace {

using PrintLayoutTest = CPrintTest;

constexpr double A4_WIDTH = 595.0; // points
constexpr double A4_HEIGHT = 842.0;
// pdftotext's boxes come from the font's own ascent and descent, not the row's: a little slack.
constexpr double BOX_SLACK = 1.5;

TEST_F(PrintLayoutTest, ADocumentOfOneEmptyLinePrintsOnePageWithItsFooter) {
    const PdfContent pdf = PrintAndRead({""});
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1), QStringList({"Page 1/1"}));
}

TEST_F(PrintLayoutTest, TheFooterIsCentredOnTheBottomOfItsBandAboveTheBottomMargin) {
    const PdfContent pdf = PrintAndRead({"one line"});
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_NEAR(pdf.pages[0].width(), A4_WIDTH, 1.0);
    EXPECT_NEAR(pdf.pages[0].height(), A4_HEIGHT, 1.0);
    const PdfWord* pPage = pdf.Find("Page");
    const PdfWord* pNumbers = pdf.Find("1/1");
    ASSERT_TRUE(pPage && pNumbers);
    const double xCentre = (pPage->rc.left() + pNumbers->rc.right()) / 2;
    EXPECT_NEAR(xCentre, A4_WIDTH / 2, 1.0);
    // The band's bottom is 10 mm above the sheet's, and its text sits on that line.
    EXPECT_NEAR(pNumbers->rc.bottom(), A4_HEIGHT - MillimetresToPoints(10), BOX_SLACK);
}

TEST_F(PrintLayoutTest, TheTextStartsAtTheLeftAndTopMargins) {
    PdfContent pdf = PrintAndRead({"first second", "next"});
    const PdfWord* pFirst = pdf.Find("first");
    ASSERT_NE(pFirst, nullptr);
    EXPECT_NEAR(pFirst->rc.left(), MillimetresToPoints(10), 0.5);
    EXPECT_NEAR(pFirst->rc.top(), MillimetresToPoints(10), BOX_SLACK);

    SetMargins(2500, 3000, 4000, 2000);
    pdf = PrintAndRead({"first second", Words(0, 200)});
    pFirst = pdf.Find("first");
    ASSERT_NE(pFirst, nullptr);
    EXPECT_NEAR(pFirst->rc.left(), MillimetresToPoints(25), 0.5);
    EXPECT_NEAR(pFirst->rc.top(), MillimetresToPoints(40), BOX_SLACK);
    // The wrapped line stays between the left and the right margin.
    double xRightmost = 0;
    for (const PdfWord& word : pdf.WordsOfPage(1)) {
        EXPECT_GE(word.rc.left(), MillimetresToPoints(25) - 0.5) << word.strText.toStdString();
        xRightmost = std::max(xRightmost, word.rc.right());
    }
    EXPECT_LE(xRightmost, A4_WIDTH - MillimetresToPoints(30) + 0.5);
    EXPECT_GT(xRightmost, A4_WIDTH - MillimetresToPoints(30) - 30);
    const PdfWord* pNumbers = pdf.Find("1/1");
    ASSERT_NE(pNumbers, nullptr);
    EXPECT_NEAR(pNumbers->rc.bottom(), A4_HEIGHT - MillimetresToPoints(20), BOX_SLACK);
}

TEST_F(PrintLayoutTest, ThePrinterFontIsHalfTheScreenFontAtThePrintersResolution) {
    const PdfContent pdf = PrintAndRead(NumberedLines(10));
    const PdfWord* pLine0 = pdf.Find("line0");
    const PdfWord* pLine9 = pdf.Find("line9");
    ASSERT_TRUE(pLine0 && pLine9);
    const double fRowHeight = (pLine9->rc.top() - pLine0->rc.top()) / 9;
    EXPECT_NEAR(fRowHeight, ExpectedRowHeight(), 0.1);
}

TEST_F(PrintLayoutTest, ALongLineWrapsAtWordBoundariesOntoSeveralRows) {
    const int nWords = 120;
    const PdfContent pdf = PrintAndRead({"before", Words(0, nWords), "after"});
    ASSERT_EQ(pdf.PageCount(), 1);
    const QStringList rows = pdf.RowsOfPage(1);
    ASSERT_GE(rows.size(), 5);
    EXPECT_EQ(rows.first(), "before");
    EXPECT_EQ(rows[rows.size() - 2], "after");
    // Every word whole and in order, rows of whole words only.
    const QStringList wrapped = rows.mid(1, rows.size() - 3);
    EXPECT_GE(wrapped.size(), 3);
    EXPECT_EQ(wrapped.join(' '), QString::fromStdString(Words(0, nWords)));
    // The rows follow each other one row height apart, and "after" comes below all of them.
    const PdfWord* pBefore = pdf.Find("before");
    const PdfWord* pAfter = pdf.Find("after");
    ASSERT_TRUE(pBefore && pAfter);
    const double nRows = static_cast<double>(wrapped.size()) + 1;
    EXPECT_NEAR(pAfter->rc.top() - pBefore->rc.top(), nRows * ExpectedRowHeight(), 0.1 * nRows);
}

TEST_F(PrintLayoutTest, AWordWiderThanTheTextAreaBreaksInsideRatherThanBeingCutOff) {
    const std::string word(600, 'w');
    const PdfContent pdf = PrintAndRead({word + "END"});
    const QStringList rows = pdf.RowsOfPage(1);
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows.mid(0, rows.size() - 1).join(QString()), QString::fromStdString(word + "END"));
}

TEST_F(PrintLayoutTest, TabsPrintAsBlanksUpToTheNextMultipleOfFourColumns) {
    const PdfContent pdf = PrintAndRead({"a\tb", "abcde\tf", "\tx", "0123456789"});
    const PdfWord* pDigits = pdf.Find("0123456789");
    ASSERT_NE(pDigits, nullptr);
    const double fColumn = pDigits->rc.width() / 10;
    const double xText = pDigits->rc.left();
    auto column = [&](const char* pszWord) {
        const PdfWord* pWord = pdf.Find(pszWord);
        return pWord ? (pWord->rc.left() - xText) / fColumn : -1.0;
    };
    EXPECT_NEAR(column("a"), 0, 0.05);
    EXPECT_NEAR(column("b"), 4, 0.05);
    EXPECT_NEAR(column("abcde"), 0, 0.05);
    EXPECT_NEAR(column("f"), 8, 0.05);
    EXPECT_NEAR(column("x"), 4, 0.05);
}

TEST_F(PrintLayoutTest, BytesPrintAsTheWindows1252CharactersOrTheBoxesTheScreenShows) {
    const PdfContent pdf = PrintAndRead({std::string("a\0b\x01"
                                                     "c\x7f"
                                                     "d\x80"
                                                     "e\x81"
                                                     "f\x99"
                                                     "g\x9D"
                                                     "h\xE9",
                                                     16)});
    EXPECT_EQ(pdf.RowsOfPage(1).first(), QString::fromUtf8("a\u25A1b\u25A1c\u25A1d\u20AC"
                                                           "e\u25A1f\u2122g\u25A1h\u00E9"));
}

TEST_F(PrintLayoutTest, MarginsThatLeaveNoRoomForTextPrintNothing) {
    const QString strPdf = TempPath("wide.pdf");
    // 150 + 100 mm of side margins on a sheet 210 mm wide.
    SetMargins(15000, 10000, 1000, 1000);
    PrintResult result = PrintLines({"a", "b", "c"}, strPdf);
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strError,
              "The page margins leave no room for text. Make them smaller in Page Setup.");
    EXPECT_FALSE(QFile::exists(strPdf));

    // 292 mm of top and bottom margins on a sheet 297 mm high leave less than the footer band
    // (3.4 mm) and one row (2.2 mm).
    SetMargins(1000, 1000, 14500, 14700);
    result = PrintLines({"a", "b", "c"}, strPdf);
    EXPECT_FALSE(result.bOk);
    EXPECT_FALSE(QFile::exists(strPdf));

    // Room for a single row still prints, a page per row.
    SetMargins(1000, 1000, 14500, 14560);
    result = PrintLines({"a", "b", "c"}, strPdf);
    ASSERT_TRUE(result.bOk) << result.strError.toStdString();
    const PdfContent pdf = ReadPdf(strPdf);
    ASSERT_EQ(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(2), QStringList({"b", "Page 2/3"}));
}

TEST_F(PrintLayoutTest, StoredMarginsThatMakeNoSenseAreReadAsSafeValues) {
    QSettings settings;
    settings.setValue("TextEdit/PageSetup/LeftMargin", "wide");
    settings.setValue("TextEdit/PageSetup/RightMargin", 2147483647);
    settings.setValue("TextEdit/PageSetup/TopMargin", -2000);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1000, 100000, 0, 1000}));
}

TEST_F(PrintLayoutTest, NegativeMarginsInTheSettingsCountAsNone) {
    SetMargins(-500, 1000, -2000, 1000);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{0, 1000, 0, 1000}));
    const PdfContent pdf = PrintAndRead({"edge"});
    const PdfWord* pEdge = pdf.Find("edge");
    ASSERT_NE(pEdge, nullptr);
    EXPECT_NEAR(pEdge->rc.left(), 0, 0.5);
    EXPECT_NEAR(pEdge->rc.top(), 0, BOX_SLACK);
}

} // namespace
