// How a document is split into pages: by the measured height of every line, wrapped rows
// counted, a page range asked for, and the loop that stops after the last page.
#include "tests/printing/PrintTestSupport.h"

#include <QFile>
#include <QPrinter>

namespace {

using PrintPaginationTest = CPrintTest;

// The rows of every page without their footers, in order.
QStringList BodyRows(const PdfContent& pdf) {
    QStringList rows;
    for (int nPage = 1; nPage <= pdf.PageCount(); ++nPage) {
        QStringList pageRows = pdf.RowsOfPage(nPage);
        EXPECT_EQ(pageRows.takeLast(), QString("Page %1/%2").arg(nPage).arg(pdf.PageCount()));
        rows += pageRows;
    }
    return rows;
}

// How many short lines one page holds with the default margins.
int LinesPerPage(const PdfContent& pdf) {
    return static_cast<int>(pdf.RowsOfPage(1).size()) - 1;
}

TEST_F(PrintPaginationTest, ADocumentLongerThanAPageGoesOnOverPagesEachWithItsFooter) {
    const std::vector<std::string> lines = NumberedLines(300);
    const PdfContent pdf = PrintAndRead(lines);
    ASSERT_EQ(pdf.PageCount(), 3);
    QStringList expected;
    for (const std::string& line : lines)
        expected.append(QString::fromStdString(line));
    EXPECT_EQ(BodyRows(pdf), expected);
    EXPECT_EQ(pdf.RowsOfPage(3).last(), "Page 3/3");

    // A page is as full as it gets: one more row would pass the text area's bottom.
    const double yTextBottom = 842.0 - MillimetresToPoints(10) - 1.5 * ExpectedRowHeight();
    const std::vector<PdfWord> page1 = pdf.WordsOfPage(1);
    const PdfWord& lastRow = page1[page1.size() - 3]; // before the footer's two words
    const double yLastRowBottom = lastRow.rc.top() + ExpectedRowHeight();
    EXPECT_LE(yLastRowBottom, yTextBottom + 0.5);
    EXPECT_GT(yLastRowBottom + ExpectedRowHeight(), yTextBottom - 0.5);
}

TEST_F(PrintPaginationTest, EmptyLinesTakeTheHeightOfARow) {
    std::vector<std::string> lines = NumberedLines(300);
    for (size_t i = 0; i < lines.size(); i += 2)
        lines[i].clear();
    const PdfContent pdf = PrintAndRead(lines);
    ASSERT_EQ(pdf.PageCount(), 3);
    const PdfWord* pLine1 = pdf.Find("line1");
    const PdfWord* pLine3 = pdf.Find("line3");
    ASSERT_TRUE(pLine1 && pLine3);
    EXPECT_NEAR(pLine3->rc.top() - pLine1->rc.top(), 2 * ExpectedRowHeight(), 0.3);
}

TEST_F(PrintPaginationTest, AWrappedLineCountsWithItsFullHeightAndMovesToTheNextPageWhole) {
    const int nPerPage = LinesPerPage(PrintAndRead(NumberedLines(300)));
    ASSERT_GT(nPerPage, 10);
    // The page has room for two more rows when the long line, of more than two, comes.
    std::vector<std::string> lines = NumberedLines(nPerPage - 2);
    lines.push_back(Words(0, 80));
    lines.push_back("after");
    const PdfContent pdf = PrintAndRead(lines);
    ASSERT_EQ(pdf.PageCount(), 2);
    const QStringList page1 = pdf.RowsOfPage(1);
    EXPECT_EQ(page1[page1.size() - 2], QString("line%1").arg(nPerPage - 3));
    const QStringList page2 = pdf.RowsOfPage(2);
    ASSERT_GE(page2.size(), 4);
    EXPECT_TRUE(page2.first().startsWith("word1000 word1001")) << page2.first().toStdString();
    EXPECT_EQ(page2[page2.size() - 2], "after");
}

TEST_F(PrintPaginationTest, ALineTallerThanAPageStartsAPageAndGoesOnOverTheNext) {
    const int nWords = 5000;
    const PdfContent pdf = PrintAndRead({"before", Words(0, nWords), "after"});
    ASSERT_GE(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(1),
              QStringList({"before", QString("Page 1/%1").arg(pdf.PageCount())}));
    const QStringList rows = BodyRows(pdf);
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows.first(), "before");
    EXPECT_EQ(rows.last(), "after");
    // No row is lost or printed twice where the line crosses from page to page.
    EXPECT_EQ(rows.mid(1, rows.size() - 2).join(' '), QString::fromStdString(Words(0, nWords)));
}

TEST_F(PrintPaginationTest, APageRangePrintsOnlyItsPagesWithTheirOwnNumbers) {
    const std::vector<std::string> lines = NumberedLines(300);
    const PdfContent all = PrintAndRead(lines);
    ASSERT_EQ(all.PageCount(), 3);

    const QString strPdf = TempPath("range.pdf");
    PrintResult result = PrintLines(lines, strPdf, 2, 2);
    ASSERT_TRUE(result.bOk) << result.strError.toStdString();
    PdfContent pdf = ReadPdf(strPdf);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1), all.RowsOfPage(2));

    // A range reaching past the end prints up to the last page.
    result = PrintLines(lines, strPdf, 3, 9);
    ASSERT_TRUE(result.bOk) << result.strError.toStdString();
    pdf = ReadPdf(strPdf);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1).last(), "Page 3/3");

    // A range past the end prints nothing at all, not an empty sheet.
    const QString strNone = TempPath("none.pdf");
    result = PrintLines(lines, strNone, 5, 6);
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strError, "Nothing to print: the document has only 3 pages.");
    EXPECT_FALSE(QFile::exists(strNone));
}

TEST_F(PrintPaginationTest, PreparingAPageAfterTheLastStopsTheLoop) {
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
    // Before the table exists every page is worth a try.
    info.m_nCurPage = 3;
    view.OnPrepareDC(info);
    EXPECT_TRUE(info.m_bContinuePrinting);

    ASSERT_TRUE(view.PaginateDocument(info));
    ASSERT_EQ(view.GetPrintPageCount(), 2);
    info.m_nCurPage = 2;
    view.OnPrepareDC(info);
    EXPECT_TRUE(info.m_bContinuePrinting);
    info.m_nCurPage = 3;
    view.OnPrepareDC(info);
    EXPECT_FALSE(info.m_bContinuePrinting);

    view.OnEndPrinting();
    EXPECT_EQ(view.GetPrintPageCount(), 0);
}

} // namespace
