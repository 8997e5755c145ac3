// Helpers of the printing tests: printing lines to a PDF file in a temporary directory and
// reading the PDF back as words with their boxes.
#pragma once

#include "app/SampleView.h"
#include "tests/support/PrintQString.h"
#include "tests/view/ViewTestSupport.h"
#include "view/PageSetupDlg.h"

#include <string>
#include <vector>

#include <QRectF>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// One word of a printed page as pdftotext finds it, in points from the page's top-left corner.
struct PdfWord {
    QRectF rc;
    QString strText;
};

// What a PDF file holds: the size of each page, and its words row by row, left to right, as
// they lie on the sheet.
struct PdfContent {
    std::vector<QSizeF> sizes;
    std::vector<std::vector<PdfWord>> pages;

    int PageCount() const { return static_cast<int>(pages.size()); }
    // The text rows of page nPage, from 1: the words of about the same top, one blank apart.
    QStringList RowsOfPage(int nPage) const;
    // The box of the first word with this text; fails the test when there is none.
    QRectF Box(const QString& strText) const;
};

// The PDF read back through pdftotext; fails the test when it cannot be read.
PdfContent ReadPdf(const QString& strPath);

constexpr double MillimetresToPoints(double fMillimetres) {
    return fMillimetres * 72.0 / 25.4;
}

// n lines "line0", "line1", ...
std::vector<std::string> NumberedLines(int nLines);
// nCount words "word1000", "word1001", ... from word nFirst, one blank between them.
std::string Words(int nFirst, int nCount);

// Starts and ends without stored page margins.
class CPrintTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Prints lines as the editor's view prints them, on an A4 PDF printer at printer
    // resolution. nFromPage > 0 asks for the range nFromPage .. nToPage.
    PrintResult PrintLines(const std::vector<std::string>& lines, const QString& strPdf,
                           int nFromPage = 0, int nToPage = 0);
    // The same, read back.
    PdfContent PrintAndRead(const std::vector<std::string>& lines);

    QString TempPath(const QString& strName) const { return m_dir.filePath(strName); }

    // The height of a printed row in points: the screen font's cell (17 pixels) at half its
    // size on the printer.
    double ExpectedRowHeight() const;

    QTemporaryDir m_dir;
    int m_nScreenDpi = 96;
};
