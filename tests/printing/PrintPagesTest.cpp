// What printed pages look like, read back from real PDF files: the margins, the footer, the
// font's size, wrapped long lines, tabs and control bytes, and how a document is split into
// pages by the measured height of every line, a page range asked for, and where the loop stops.
#include "tests/printing/PrintTestSupport.h"

#include <algorithm>

#include <QFile>
#include <QPrinter>
#include <QSettings>

namespace {

using PrintPagesTest = CPrintTest;

constexpr double A4_WIDTH = 595.0; // points
constexpr double A4_HEIGHT = 842.0;
// pdftotext's boxes come from the font's own ascent and descent, not the row's: a little slack.
constexpr double BOX_SLACK = 1.5;

// The rows of every page without their footers, in order; each page ends with its footer.
QStringList BodyRows(const PdfContent& pdf) {
    QStringList rows;
    for (int nPage = 1; nPage <= pdf.PageCount(); ++nPage) {
        QStringList pageRows = pdf.RowsOfPage(nPage);
        EXPECT_EQ(pageRows.takeLast(), QString("Page %1/%2").arg(nPage).arg(pdf.PageCount()));
        rows += pageRows;
    }
    return rows;
}

TEST_F(PrintPagesTest, TheTextLiesWithinTheMarginsAndTheFooterCentredAboveTheBottomOne) {
    struct Case {
        PageMargins margins; // stored, in hundredths of a millimetre; negative ones count as 0
        double fLeft, fRight, fTop, fBottom; // millimetres; without stored margins 10 each
    };
    const Case cases[] = {{{}, 10, 10, 10, 10},
                          {{2500, 3000, 4000, 2000}, 25, 30, 40, 20},
                          {{-500, 1000, -2000, 1000}, 0, 10, 0, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fLeft);
        if (c.fLeft != 10)
            WritePageMargins(c.margins);
        EXPECT_EQ(ReadPageMargins(), (PageMargins{std::max(c.margins.nLeft, 0), c.margins.nRight,
                                                  std::max(c.margins.nTop, 0), c.margins.nBottom}));
        const PdfContent pdf = PrintAndRead({"first second", Words(0, 200)});
        ASSERT_EQ(pdf.PageCount(), 1);
        EXPECT_NEAR(pdf.sizes[0].width(), A4_WIDTH, 1.0);
        EXPECT_NEAR(pdf.sizes[0].height(), A4_HEIGHT, 1.0);
        const QRectF rcFirst = pdf.Box("first");
        EXPECT_NEAR(rcFirst.left(), MillimetresToPoints(c.fLeft), 0.5);
        EXPECT_NEAR(rcFirst.top(), MillimetresToPoints(c.fTop), BOX_SLACK);
        // The wrapped line stays between the left and the right margin.
        double xRightmost = 0;
        for (const PdfWord& word : pdf.pages[0]) {
            EXPECT_GE(word.rc.left(), MillimetresToPoints(c.fLeft) - 0.5);
            xRightmost = std::max(xRightmost, word.rc.right());
        }
        EXPECT_LE(xRightmost, A4_WIDTH - MillimetresToPoints(c.fRight) + 0.5);
        EXPECT_GT(xRightmost, A4_WIDTH - MillimetresToPoints(c.fRight) - 30);
        // The footer's band ends at the bottom margin, and its text sits on that line.
        const QRectF rcNumbers = pdf.Box("1/1");
        EXPECT_NEAR(rcNumbers.bottom(), A4_HEIGHT - MillimetresToPoints(c.fBottom), BOX_SLACK);
        if (c.fLeft == c.fRight) {
            EXPECT_NEAR((pdf.Box("Page").left() + rcNumbers.right()) / 2, A4_WIDTH / 2, 1.0);
        }
    }
    // Stored margins that make no sense are read as safe values.
    QSettings settings;
    settings.setValue("TextEdit/PageSetup/LeftMargin", "wide");
    settings.setValue("TextEdit/PageSetup/RightMargin", 2147483647);
    settings.setValue("TextEdit/PageSetup/TopMargin", -2000);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1000, 100000, 0, 1000}));
}

TEST_F(PrintPagesTest, LongLinesWrapAtWordsOrInsideOnesWiderThanTheTextArea) {
    const std::string strLong(600, 'w');
    const PdfContent pdf = PrintAndRead({"before", Words(0, 120), "after", strLong + "END"});
    ASSERT_EQ(pdf.PageCount(), 1);
    QStringList rows = BodyRows(pdf);
    const qsizetype nAfter = rows.indexOf("after");
    ASSERT_GE(nAfter, 4);
    EXPECT_EQ(rows.first(), "before");
    // Every word whole and in order, rows of whole words only.
    EXPECT_EQ(rows.mid(1, nAfter - 1).join(' '), QString::fromStdString(Words(0, 120)));
    // The rows follow each other one row height apart; the printer font is half the screen's.
    const double nRows = static_cast<double>(nAfter);
    EXPECT_NEAR(pdf.Box("after").top() - pdf.Box("before").top(), nRows * ExpectedRowHeight(),
                0.1 * nRows);
    ASSERT_GE(rows.size() - nAfter, 3);
    EXPECT_EQ(rows.mid(nAfter + 1).join(QString()), QString::fromStdString(strLong + "END"));
}

TEST_F(PrintPagesTest, TabsAndBytesPrintAsTheScreenShowsThem) {
    const PdfContent pdf = PrintAndRead({"a\tb", "abcde\tf", "\tx", "0123456789",
                                         std::string("a\0b\x01"
                                                     "c\x7f"
                                                     "d\x80"
                                                     "e\x81"
                                                     "f\x99"
                                                     "g\x9D"
                                                     "h\xE9",
                                                     16)});
    // Tabs as blanks up to the next multiple of four columns.
    const QRectF rcDigits = pdf.Box("0123456789");
    for (const auto& [pszWord, nColumn] :
         {std::pair{"a", 0}, {"b", 4}, {"abcde", 0}, {"f", 8}, {"x", 4}})
        EXPECT_NEAR((pdf.Box(pszWord).left() - rcDigits.left()) / (rcDigits.width() / 10), nColumn,
                    0.05)
            << pszWord;
    // Bytes as their Windows-1252 characters, or the boxes the screen shows.
    EXPECT_EQ(pdf.RowsOfPage(1)[4], QString::fromUtf8("a\u25A1b\u25A1c\u25A1d\u20AC"
                                                      "e\u25A1f\u2122g\u25A1h\u00E9"));
}

TEST_F(PrintPagesTest, MarginsThatLeaveNoRoomForTextPrintNothing) {
    const QString strPdf = TempPath("margins.pdf");
    // 150 + 100 mm of side margins on a sheet 210 mm wide; 292 mm of top and bottom margins
    // on one 297 mm high leave less than the footer band (3.4 mm) and one row (2.2 mm).
    for (const PageMargins& margins :
         {PageMargins{15000, 10000, 1000, 1000}, PageMargins{1000, 1000, 14500, 14700}}) {
        WritePageMargins(margins);
        const PrintResult result = PrintLines({"a", "b", "c"}, strPdf);
        EXPECT_FALSE(result.bOk);
        EXPECT_EQ(result.strError,
                  "The page margins leave no room for text. Make them smaller in Page Setup.");
        EXPECT_FALSE(QFile::exists(strPdf));
    }
    // Room for a single row still prints, a page per row.
    WritePageMargins({1000, 1000, 14500, 14560});
    const PdfContent pdf = PrintAndRead({"a", "b", "c"});
    ASSERT_EQ(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(2), QStringList({"b", "Page 2/3"}));
    // A document of one empty line prints one page with its footer.
    WritePageMargins({});
    EXPECT_EQ(PrintAndRead({""}).RowsOfPage(1), QStringList({"Page 1/1"}));
}

TEST_F(PrintPagesTest, PagesAreFilledToTheBottomEmptyLinesIncluded) {
    for (const bool bEmptyLines : {false, true}) {
        std::vector<std::string> lines = NumberedLines(300);
        for (size_t i = 0; bEmptyLines && i < lines.size(); i += 2)
            lines[i].clear();
        const PdfContent pdf = PrintAndRead(lines);
        ASSERT_EQ(pdf.PageCount(), 3);
        QStringList expected;
        for (const std::string& line : lines) {
            if (!line.empty())
                expected.append(QString::fromStdString(line));
        }
        EXPECT_EQ(BodyRows(pdf), expected);
        // One more row would pass the text area's bottom.
        const double yTextBottom = A4_HEIGHT - MillimetresToPoints(10) - 1.5 * ExpectedRowHeight();
        const std::vector<PdfWord>& page1 = pdf.pages[0];
        const double yLastRowBottom = page1[page1.size() - 3].rc.top() + ExpectedRowHeight();
        const double yTextLines = bEmptyLines ? 2 * ExpectedRowHeight() : ExpectedRowHeight();
        EXPECT_LE(yLastRowBottom, yTextBottom + 0.5);
        EXPECT_GT(yLastRowBottom + yTextLines, yTextBottom - 0.5);
        EXPECT_NEAR(pdf.Box("line3").top() - pdf.Box("line1").top(), 2 * ExpectedRowHeight(), 0.3);
    }
}

TEST_F(PrintPagesTest, ALongLineMovesToTheNextPageWholeOrStartsOneAndGoesOn) {
    const int nPerPage =
        static_cast<int>(PrintAndRead(NumberedLines(300)).RowsOfPage(1).size()) - 1;
    ASSERT_GT(nPerPage, 10);
    // The page has room for two more rows when the long line, of more than two, comes.
    std::vector<std::string> lines = NumberedLines(nPerPage - 2);
    lines.push_back(Words(0, 80));
    lines.push_back("after");
    PdfContent pdf = PrintAndRead(lines);
    ASSERT_EQ(pdf.PageCount(), 2);
    EXPECT_EQ(pdf.RowsOfPage(1).size(), nPerPage - 1);
    const QStringList page2 = pdf.RowsOfPage(2);
    ASSERT_GE(page2.size(), 4);
    EXPECT_TRUE(page2.first().startsWith("word1000 word1001")) << page2.first().toStdString();
    EXPECT_EQ(page2[page2.size() - 2], "after");

    // No row is lost or printed twice where a line taller than a page crosses pages.
    pdf = PrintAndRead({"before", Words(0, 5000), "after"});
    ASSERT_GE(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(1),
              QStringList({"before", QString("Page 1/%1").arg(pdf.PageCount())}));
    const QStringList rows = BodyRows(pdf);
    EXPECT_EQ(rows.last(), "after");
    EXPECT_EQ(rows.mid(1, rows.size() - 2).join(' '), QString::fromStdString(Words(0, 5000)));
}

TEST_F(PrintPagesTest, APageRangePrintsOnlyItsPagesWithTheirOwnNumbers) {
    const std::vector<std::string> lines = NumberedLines(300);
    const PdfContent all = PrintAndRead(lines);
    const QString strPdf = TempPath("range.pdf");
    struct Case {
        int nFrom, nTo;
        int nPage; // of the whole document, printed alone; 0: nothing
    };
    for (const Case& c : {Case{2, 2, 2}, Case{3, 9, 3}, Case{5, 6, 0}}) {
        QFile::remove(strPdf);
        const PrintResult result = PrintLines(lines, strPdf, c.nFrom, c.nTo);
        EXPECT_EQ(result.bOk, c.nPage > 0) << c.nFrom;
        if (c.nPage == 0) {
            EXPECT_EQ(result.strError, "Nothing to print: the document has only 3 pages.");
            EXPECT_FALSE(QFile::exists(strPdf));
            continue;
        }
        const PdfContent pdf = ReadPdf(strPdf);
        ASSERT_EQ(pdf.PageCount(), 1);
        EXPECT_EQ(pdf.RowsOfPage(1), all.RowsOfPage(c.nPage));
    }
}

TEST_F(PrintPagesTest, PreparingAPageAfterTheLastStopsTheLoop) {
    const std::unique_ptr<CTextBuffer> pBuffer = MakeBuffer(NumberedLines(200));
    CSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    view.OnBeginPrinting(printer);
    CPrintInfo info;
    info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
    auto continues = [&](int nPage) {
        info.m_nCurPage = nPage;
        view.OnPrepareDC(info);
        return info.m_bContinuePrinting;
    };
    // Before the table exists every page is worth a try.
    EXPECT_TRUE(continues(3));
    ASSERT_TRUE(view.PaginateDocument(info));
    ASSERT_EQ(view.GetPrintPageCount(), 2);
    EXPECT_TRUE(continues(2));
    EXPECT_FALSE(continues(3));
    view.OnEndPrinting();
    EXPECT_EQ(view.GetPrintPageCount(), 0);
}

} // namespace
