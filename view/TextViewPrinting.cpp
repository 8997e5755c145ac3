// CTextView: printing: the printer font, pagination by measured line heights, the pages with
// their footers, and the job that runs them on a QPrinter (print, preview, command line).
#include "view/Cp1252.h"
#include "view/GlyphFont.h"
#include "view/PageSetupDlg.h"
#include "view/TextView.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

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

// The top of wrapped row nRow of a laid-out line, relative to the line's top; nRow equal to
// the row count gives the line's height. Rounding each boundary the same way makes the rows of
// a line split over two pages add up to the height its pagination counted.
int RowTop(const QTextLayout& layout, int nRow) {
    if (nRow < layout.lineCount())
        return static_cast<int>(std::lround(layout.lineAt(nRow).y()));
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    return static_cast<int>(std::lround(last.y() + last.height()));
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
        return false;
    }
    PaginateLines();
    return true;
}

void CTextView::PaginateLines() {
    m_pnPageFirstLine.clear();
    m_pnPageFirstRow.clear();
    const int yTop = m_rcPageText.top();
    const int yBottom = yTop + m_rcPageText.height();
    auto startPage = [this](int nLine, int nRow) {
        m_pnPageFirstLine.push_back(nLine);
        m_pnPageFirstRow.push_back(nRow);
    };
    startPage(0, 0);
    // A line breaks to the next page when its bottom would pass the text area's (a line that
    // ends exactly on it still fits). A line taller than a whole page starts a page and goes
    // on over as many pages as its rows need.
    int y = yTop;
    const int nLines = GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        // Measured as MeasurePrintedLine does, keeping the layout for a line split over pages.
        const std::unique_ptr<QTextLayout> pLayout =
            GetLineLength(i) == 0 ? nullptr : LayoutPrintedLine(i);
        const int h = pLayout ? RowTop(*pLayout, pLayout->lineCount()) : m_cyPrintLine;
        if (y + h <= yBottom) {
            y += h;
            continue;
        }
        if (h <= m_rcPageText.height()) {
            startPage(i, 0);
            y = yTop + h;
            continue;
        }
        // Taller than the text area, so not empty (an empty line is one row, and the area
        // holds at least one): its layout is at hand.
        if (y > yTop) {
            startPage(i, 0);
            y = yTop;
        }
        for (int nRow = 0; nRow < pLayout->lineCount(); ++nRow) {
            const int hRow = RowTop(*pLayout, nRow + 1) - RowTop(*pLayout, nRow);
            if (y + hRow > yBottom && y > yTop) {
                startPage(i, nRow);
                y = yTop;
            }
            y += hRow;
        }
    }
}

std::unique_ptr<QTextLayout> CTextView::LayoutPrintedLine(int nLine) const {
    Q_ASSERT(m_pPrinterFont && m_pPrintDevice);
    std::string expanded;
    ExpandTabs(GetLineText(nLine), 0, GetLineLength(nLine), expanded);
    auto pLayout =
        std::make_unique<QTextLayout>(PrintableText(expanded), *m_pPrinterFont, m_pPrintDevice);
    // Rows break between words; a word wider than a row breaks inside, so none is cut off.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    pLayout->setTextOption(option);
    pLayout->beginLayout();
    qreal y = 0;
    for (QTextLine row = pLayout->createLine(); row.isValid(); row = pLayout->createLine()) {
        row.setLineWidth(m_rcPageText.width());
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    pLayout->endLayout();
    return pLayout;
}

int CTextView::MeasurePrintedLine(int nLine) {
    if (GetLineLength(nLine) == 0)
        return m_cyPrintLine;
    const std::unique_ptr<QTextLayout> pLayout = LayoutPrintedLine(nLine);
    return RowTop(*pLayout, pLayout->lineCount());
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
        const std::unique_ptr<QTextLayout> pLayout = LayoutPrintedLine(i);
        const int nFromRow = i == nFirstLine ? nFirstRow : 0;
        const int nToRow = i == nEndLine ? nEndRow : pLayout->lineCount();
        const int yFrom = RowTop(*pLayout, nFromRow);
        const int h = RowTop(*pLayout, nToRow) - yFrom;
        // Only this page's rows go into it. A row taller than the whole text area (a tiny
        // area) is cut off at its bottom; other rows keep every bit of ink.
        const bool bClip = y + h > yBottom;
        if (bClip) {
            dc.save();
            dc.setClipRect(QRect(m_rcPage.left(), y, m_rcPage.width(), yBottom - y));
        }
        for (int nRow = nFromRow; nRow < nToRow; ++nRow)
            pLayout->lineAt(nRow).draw(&dc, QPointF(m_rcPageText.left(), y - yFrom));
        if (bClip)
            dc.restore();
        y += h;
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
