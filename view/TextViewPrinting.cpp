// CTextView: printing: the printer font, pagination by measured line heights, the pages with
// their footers, and the job that runs them on a QPrinter (print, preview, command line).
#include "view/Cp1252.h"
#include "view/GlyphFont.h"
#include "view/PageSetupDlg.h"
#include "view/TabMapping.h"
#include "view/TextView.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextLine>

namespace {

constexpr int HIMETRIC_PER_INCH = 2540; // margins are kept in 1/100 mm
// A control byte prints as the box the screen shows for it, so that it is not lost unseen.
constexpr char16_t CONTROL_BYTE_PLACEHOLDER = u'\u25A1';

// a * b / c rounded to the nearest integer, as the font and margin conversions want it.
int MulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

QString PrintableText(const std::string& expanded) {
    QString strText(static_cast<qsizetype>(expanded.size()), Qt::Uninitialized);
    for (size_t i = 0; i < expanded.size(); ++i) {
        const auto ch = static_cast<unsigned char>(expanded[i]);
        strText[static_cast<qsizetype>(i)] =
            CGlyphFont::IsControlByte(ch) ? QChar(CONTROL_BYTE_PLACEHOLDER)
                                          : QChar(static_cast<char16_t>(Cp1252ToUnicode(ch)));
    }
    return strText;
}

// The top of a row, or the bottom of the last, rounded: rounding each boundary the same way
// makes the rows of a line split over two pages add up to the height its pagination counted.
int RowBoundary(qreal fTop) {
    return static_cast<int>(std::lround(fTop));
}

QString PagesText(int nPages) {
    return nPages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(nPages);
}

QString CannotPrintText(const QPrinter& printer) {
    const QString strFile = printer.outputFileName();
    return QStringLiteral("Cannot print to %1.")
        .arg(strFile.isEmpty() ? printer.printerName() : strFile);
}

} // namespace

void CTextView::OnBeginPrinting(QPrinter& printer) {
    // The plain style's description at half the size the screen font would have on the
    // printer: the factor is printer / (2 x screen) resolution. Height 0 stays the default.
    LogFont lf = m_logFont;
    lf.bItalic = false;
    lf.nWeight = FW_NORMAL;
    lf.nHeight = MulDiv(lf.nHeight, printer.logicalDpiY(), 2 * std::max(logicalDpiY(), 1));
    m_pPrinterFont = std::make_unique<QFont>(MakeFont(lf));
    m_pPrintDevice = &printer;
}

bool CTextView::LayOutPrintArea(const CPrintInfo& info) {
    Q_ASSERT(m_pPrinterFont && m_pPrintDevice);
    m_rcPage = info.m_rectDraw.normalized();
    const QFontMetricsF metrics(*m_pPrinterFont, m_pPrintDevice);
    // Rounded as a laid-out row is, so that an empty line is exactly as high as a row of text.
    m_cyPrintLine = static_cast<int>(std::lround(metrics.height()));

    const PageMargins margins = ReadPageMargins();
    const int nDpiX = m_pPrintDevice->logicalDpiX();
    const int nDpiY = m_pPrintDevice->logicalDpiY();
    const int nLeft = m_rcPage.left() + MulDiv(margins.nLeft, nDpiX, HIMETRIC_PER_INCH);
    const int nTop = m_rcPage.top() + MulDiv(margins.nTop, nDpiY, HIMETRIC_PER_INCH);
    const int nRight =
        m_rcPage.left() + m_rcPage.width() - MulDiv(margins.nRight, nDpiX, HIMETRIC_PER_INCH);
    const int nBottom = m_rcPage.top() + m_rcPage.height() -
                        MulDiv(margins.nBottom, nDpiY, HIMETRIC_PER_INCH) -
                        (m_cyPrintLine + m_cyPrintLine / 2);
    m_rcPageText = QRect(nLeft, nTop, nRight - nLeft, nBottom - nTop);
    // Less than one character by one row: every line would start a page of its own and show
    // nothing on it.
    return m_rcPageText.width() >= metrics.horizontalAdvance(QLatin1Char('X')) &&
           m_rcPageText.height() >= m_cyPrintLine;
}

bool CTextView::PaginateDocument(const CPrintInfo& info) {
    if (!LayOutPrintArea(info)) {
        m_pnPageFirstLine.clear();
        m_pnPageFirstRow.clear();
        m_arrPageFirstRowStart.clear();
        return false;
    }
    PaginateLines();
    return true;
}

void CTextView::PaginateLines() {
    m_pnPageFirstLine.clear();
    m_pnPageFirstRow.clear();
    m_arrPageFirstRowStart.clear();
    const int yTop = m_rcPageText.top();
    const int yBottom = yTop + m_rcPageText.height();
    auto startPage = [this](int nLine, int nRow, PrintedRowStart start) {
        m_pnPageFirstLine.push_back(nLine);
        m_pnPageFirstRow.push_back(nRow);
        m_arrPageFirstRowStart.push_back(start);
    };
    startPage(0, 0, {});
    // A line breaks to the next page when its bottom would pass the text area's (a line that
    // ends exactly on it still fits). A line taller than a whole page starts a page and goes
    // on over as many pages as its rows need.
    int y = yTop;
    const int nLines = GetLineCount();
    std::vector<PrintedRowStart> arrRows; // the rows of the line, then where its last ends
    for (int i = 0; i < nLines; ++i) {
        // Measured as MeasurePrintedLine does, keeping where the rows start for a line split
        // over pages.
        arrRows.clear();
        int h = m_cyPrintLine;
        if (GetLineLength(i) > 0) {
            WalkPrintedLine(i, {}, [&arrRows](const QTextLine& row, const PrintedRowStart& start) {
                arrRows.push_back(start);
                arrRows.push_back({-1, start.fTop + row.height()});
                return true;
            });
            h = RowBoundary(arrRows.back().fTop);
        }
        if (y + h <= yBottom) {
            y += h;
            continue;
        }
        if (h <= m_rcPageText.height()) {
            startPage(i, 0, {});
            y = yTop + h;
            continue;
        }
        // Taller than the text area, so not empty (an empty line is one row, and the area
        // holds at least one): its rows are at hand, each followed by its bottom.
        if (y > yTop) {
            startPage(i, 0, {});
            y = yTop;
        }
        for (size_t k = 0; k < arrRows.size(); k += 2) {
            const int hRow = RowBoundary(arrRows[k + 1].fTop) - RowBoundary(arrRows[k].fTop);
            if (y + hRow > yBottom && y > yTop) {
                startPage(i, static_cast<int>(k / 2), arrRows[k]);
                y = yTop;
            }
            y += hRow;
        }
    }
}

void CTextView::WalkPrintedLine(int nLine, PrintedRowStart from, const PrintedRowVisitor& onRow) {
    Q_ASSERT(m_pPrinterFont && m_pPrintDevice);
    // The printed text is the line with its tabs expanded, so its indices are screen columns.
    auto textOf = [this, nLine](int nFrom, int nTo) {
        const int nChar = CharAtColumn(nLine, nFrom);
        const int nColumn = CharToColumn(nLine, nChar);
        const int nEnd = std::min(CharAtColumn(nLine, nTo - 1) + 1, GetLineLength(nLine));
        std::string expanded;
        ExpandTabsAt(GetLineText(nLine) + nChar, nEnd - nChar, nColumn, TAB_WIDTH, expanded);
        return PrintableText(expanded.substr(static_cast<size_t>(nFrom - nColumn),
                                             static_cast<size_t>(nTo - nFrom)));
    };
    WalkPrintedRows(textOf, GetLineDisplayWidth(nLine), *m_pPrinterFont, m_pPrintDevice,
                    m_rcPageText.width(), from, onRow);
}

int CTextView::MeasurePrintedLine(int nLine) {
    if (GetLineLength(nLine) == 0)
        return m_cyPrintLine;
    qreal fBottom = 0;
    WalkPrintedLine(nLine, {}, [&fBottom](const QTextLine& row, const PrintedRowStart& start) {
        fBottom = start.fTop + row.height();
        return true;
    });
    return RowBoundary(fBottom);
}

void CTextView::OnPrepareDC(CPrintInfo& info) {
    // Before the first page is printed there is no table yet: page 1 always prints.
    info.m_bContinuePrinting = m_pnPageFirstLine.empty() || info.m_nCurPage <= GetPrintPageCount();
}

void CTextView::OnPrint(QPainter& dc, CPrintInfo& info) {
    if (m_pnPageFirstLine.empty() && !PaginateDocument(info))
        return;
    const int nPage = info.m_nCurPage;
    if (nPage < 1 || nPage > GetPrintPageCount())
        return;
    PrintPageFooter(dc, nPage);

    const auto nIndex = static_cast<size_t>(nPage - 1);
    const int nFirstLine = m_pnPageFirstLine[nIndex];
    const int nFirstRow = m_pnPageFirstRow[nIndex];
    const bool bLastPage = nPage == GetPrintPageCount();
    const int nEndLine = bLastPage ? GetLineCount() : m_pnPageFirstLine[nIndex + 1];
    const int nEndRow = bLastPage ? 0 : m_pnPageFirstRow[nIndex + 1];
    const int yBottom = m_rcPageText.top() + m_rcPageText.height();

    dc.setFont(*m_pPrinterFont);
    dc.setPen(Qt::black);
    int y = m_rcPageText.top();
    for (int i = nFirstLine; i < nEndLine || (i == nEndLine && nEndRow > 0); ++i) {
        if (GetLineLength(i) == 0) {
            y += m_cyPrintLine;
            continue;
        }
        // Only this page's rows are laid out and go into it. A row taller than the whole text
        // area (a tiny area) is cut off at its bottom; other rows keep every bit of ink.
        const PrintedRowStart from =
            i == nFirstLine ? m_arrPageFirstRowStart[nIndex] : PrintedRowStart();
        const int nToRow = i == nEndLine ? nEndRow - (i == nFirstLine ? nFirstRow : 0) : -1;
        const int yFrom = RowBoundary(from.fTop);
        const int yLine = y;
        int nRows = 0;
        qreal fBottom = from.fTop;
        WalkPrintedLine(i, from, [&](const QTextLine& row, const PrintedRowStart& start) {
            if (nRows == nToRow)
                return false;
            fBottom = start.fTop + row.height();
            const bool bClip = yLine + RowBoundary(fBottom) - yFrom > yBottom;
            if (bClip) {
                dc.save();
                dc.setClipRect(QRect(m_rcPage.left(), yLine, m_rcPage.width(), yBottom - yLine));
            }
            row.draw(&dc, QPointF(m_rcPageText.left(), yLine - yFrom));
            if (bClip)
                dc.restore();
            ++nRows;
            return true;
        });
        y += RowBoundary(fBottom) - yFrom;
    }
}

void CTextView::PrintPageFooter(QPainter& dc, int nPage) {
    const QRect rcBand(m_rcPageText.left(), m_rcPageText.top() + m_rcPageText.height(),
                       m_rcPageText.width(), m_cyPrintLine + m_cyPrintLine / 2);
    QString strText;
    GetPageFooterText(nPage, strText);
    if (strText.isEmpty())
        return;
    dc.setFont(*m_pPrinterFont);
    dc.setPen(Qt::black);
    dc.drawText(rcBand, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, strText);
}

void CTextView::GetPageFooterText(int nPage, QString& strText) {
    strText = QStringLiteral("Page %1/%2").arg(nPage).arg(GetPrintPageCount());
}

void CTextView::OnEndPrinting() {
    m_pPrinterFont.reset();
    m_pPrintDevice = nullptr;
    m_pnPageFirstLine.clear();
    m_pnPageFirstRow.clear();
    m_arrPageFirstRowStart.clear();
    m_cyPrintLine = 0;
}

PrintResult CTextView::BeginPrintJob(QPrinter& printer, CPrintInfo& info) {
    // A PDF file has no unprintable border: its margins count from the edges of the sheet.
    printer.setFullPage(printer.outputFormat() == QPrinter::PdfFormat);
    info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
    OnBeginPrinting(printer);
    if (LayOutPrintArea(info))
        return PrintResult::Success();
    OnEndPrinting();
    return PrintResult::Failure(
        QStringLiteral("The page margins leave no room for text. Make them smaller in Page "
                       "Setup."));
}

PrintResult CTextView::PrintDocument(QPrinter& printer) {
    CPrintInfo info;
    if (PrintResult result = BeginPrintJob(printer, info); !result)
        return result;
    // Paginated before anything goes to the printer, so that a range without pages prints
    // nothing at all rather than an empty sheet.
    PaginateLines();
    const int nPageCount = GetPrintPageCount();
    int nFrom = 1;
    int nTo = nPageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        nFrom = printer.fromPage();
        if (printer.toPage() > 0)
            nTo = std::min(printer.toPage(), nPageCount);
    }
    if (nFrom > nPageCount) {
        OnEndPrinting();
        return PrintResult::Failure(QStringLiteral("Nothing to print: the document has only %1.")
                                        .arg(PagesText(nPageCount)));
    }

    QPainter dc;
    if (!dc.begin(&printer)) {
        OnEndPrinting();
        return PrintResult::Failure(CannotPrintText(printer));
    }
    for (int nPage = nFrom; nPage <= nTo; ++nPage) {
        info.m_nCurPage = nPage;
        OnPrepareDC(info);
        if (!info.m_bContinuePrinting)
            break;
        if (nPage > nFrom)
            printer.newPage();
        OnPrint(dc, info);
    }
    const bool bEnded = dc.end();
    OnEndPrinting();
    return bEnded ? PrintResult::Success() : PrintResult::Failure(CannotPrintText(printer));
}
