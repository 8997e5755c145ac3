// The printing tests' fixture and the PDF reader.
#include "tests/printing/PrintTestSupport.h"

#include <algorithm>
#include <cmath>

#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QXmlStreamReader>

QStringList PdfContent::RowsOfPage(int nPage) const {
    QStringList rows;
    double yRow = -1000;
    for (const PdfWord& word : pages.at(static_cast<size_t>(nPage - 1))) {
        if (std::abs(word.rc.top() - yRow) > 1.0) {
            rows.append(word.strText);
            yRow = word.rc.top();
        } else {
            rows.last() += QLatin1Char(' ') + word.strText;
        }
    }
    return rows;
}

QRectF PdfContent::Box(const QString& strText) const {
    for (const std::vector<PdfWord>& page : pages) {
        for (const PdfWord& word : page) {
            if (word.strText == strText)
                return word.rc;
        }
    }
    ADD_FAILURE() << "no word " << strText.toStdString() << " printed";
    return {};
}

PdfContent ReadPdf(const QString& strPath) {
    PdfContent content;
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), strPath, "-"});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext cannot read " << strPath.toStdString() << ": "
                      << process.readAllStandardError().toStdString();
        return content;
    }
    QXmlStreamReader xml(process.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        auto number = [&](const char* pszName) {
            return xml.attributes().value(QLatin1String(pszName)).toDouble();
        };
        if (xml.name() == QLatin1String("page")) {
            content.sizes.emplace_back(number("width"), number("height"));
            content.pages.emplace_back();
        } else if (xml.name() == QLatin1String("word")) {
            const QRectF rc(QPointF(number("xMin"), number("yMin")),
                            QPointF(number("xMax"), number("yMax")));
            content.pages.back().push_back({rc, xml.readElementText()});
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // pdftotext guesses a reading order; the tests want the rows as they lie on the sheet.
    for (std::vector<PdfWord>& page : content.pages) {
        std::stable_sort(page.begin(), page.end(), [](const PdfWord& a, const PdfWord& b) {
            if (std::abs(a.rc.top() - b.rc.top()) > 1.0)
                return a.rc.top() < b.rc.top();
            return a.rc.left() < b.rc.left();
        });
    }
    return content;
}

std::vector<std::string> NumberedLines(int nLines) {
    std::vector<std::string> lines;
    for (int i = 0; i < nLines; ++i)
        lines.push_back("line" + std::to_string(i));
    return lines;
}

std::string Words(int nFirst, int nCount) {
    std::string text;
    for (int i = nFirst; i < nFirst + nCount; ++i)
        text += (text.empty() ? "word" : " word") + std::to_string(1000 + i);
    return text;
}

void CPrintTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    QSettings().remove(QStringLiteral("TextEdit/PageSetup"));
}

void CPrintTest::TearDown() {
    QSettings().remove(QStringLiteral("TextEdit/PageSetup"));
}

PrintResult CPrintTest::PrintLines(const std::vector<std::string>& lines, const QString& strPdf,
                                   int nFromPage, int nToPage) {
    const std::unique_ptr<CTextBuffer> pBuffer = MakeBuffer(lines);
    CSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    m_nScreenDpi = view.logicalDpiY();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(strPdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    if (nFromPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(nFromPage, nToPage);
    }
    const PrintResult result = view.PrintDocument(printer);
    EXPECT_EQ(view.GetPrintPageCount(), 0) << "the job's state outlived the job";
    return result;
}

PdfContent CPrintTest::PrintAndRead(const std::vector<std::string>& lines) {
    const QString strPdf = TempPath(QStringLiteral("print.pdf"));
    const PrintResult result = PrintLines(lines, strPdf);
    EXPECT_TRUE(result.bOk) << result.strError.toStdString();
    return ReadPdf(strPdf);
}

double CPrintTest::ExpectedRowHeight() const {
    const double fPrinterPixels = std::round(17.0 * 1200 / (2.0 * m_nScreenDpi));
    return fPrinterPixels * 72.0 / 1200;
}
