// A printed line laid out piece by piece against one layout of the whole line: the same rows,
// from its start or from any row.
#include "view/PrintedRows.h"

#include <random>
#include <tuple>
#include <vector>

#include <QFont>
#include <QPrinter>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// A row: its first character's index, its length, its top and its height.
using Row = std::tuple<int, int, qreal, qreal>;

std::vector<Row> WholeLineRows(const QString& text, const QFont& font, const QPaintDevice* pDevice,
                               int nWidth) {
    QTextLayout layout(text, font, pDevice);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(nWidth);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout.endLayout();
    std::vector<Row> rows;
    for (int k = 0; k < layout.lineCount(); ++k) {
        const QTextLine row = layout.lineAt(k);
        rows.emplace_back(row.textStart(), row.textLength(), row.y(), row.height());
    }
    return rows;
}

std::vector<Row> RowsInPieces(const QString& text, const QFont& font, const QPaintDevice* pDevice,
                              int nWidth, PrintedRowStart from, int nPiece) {
    std::vector<Row> rows;
    WalkPrintedRows([&text](int nFrom, int nTo) { return text.mid(nFrom, nTo - nFrom); },
                    static_cast<int>(text.size()), font, pDevice, nWidth, from,
                    [&rows](const QTextLine& row, const PrintedRowStart& start) {
                        rows.emplace_back(start.nIndex, row.textLength(), start.fTop, row.height());
                        return true;
                    },
                    nPiece);
    return rows;
}

// Words long and short, runs of blanks, punctuation the line breaker treats apart, and now
// and then a character of another font.
QString RandomText(std::mt19937& rng, int nLength) {
    static const QString s_strPunctuation = QStringLiteral("()[]{}-/\"'!?.,;:%$+");
    QString text;
    while (text.size() < nLength) {
        switch (rng() % 5) {
        case 0:
            text += QString(1 + static_cast<int>(rng() % 300),
                            QChar(static_cast<char16_t>('a' + rng() % 26)));
            break;
        case 1:
            text += QString(1 + static_cast<int>(rng() % (rng() % 10 == 0 ? 400 : 3)), ' ');
            break;
        case 2:
            text += s_strPunctuation[static_cast<qsizetype>(rng() % s_strPunctuation.size())];
            break;
        case 3:
            text +=
                rng() % 20 == 0 ? QChar(0x25A1) : QChar(static_cast<char16_t>('0' + rng() % 10));
            break;
        default:
            text += QStringLiteral("word ");
            break;
        }
    }
    return text;
}

TEST(PrintedRows, PiecesBreakIntoTheRowsOfTheWholeLine) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFont font(QStringLiteral("Courier New"), 10);
    std::mt19937 rng(1701);
    for (int nCase = 0; nCase < 60; ++nCase) {
        QString text = RandomText(rng, 5000 + static_cast<int>(rng() % 4000));
        // Qt shapes text in items of 4096 characters: a run of blanks hangs across the end of
        // the first one, here and there.
        if (nCase % 2 == 0)
            text.replace(4096 - static_cast<int>(rng() % 300), 300, QString(300, ' '));
        const int nWidth = 300 + static_cast<int>(rng() % 4000);
        SCOPED_TRACE(testing::Message() << "case " << nCase << " width " << nWidth);
        const std::vector<Row> whole = WholeLineRows(text, font, &printer, nWidth);
        ASSERT_GT(whole.size(), 2u);
        const int nPiece =
            rng() % 3 == 0 ? PRINTED_PIECE_LENGTH : 100 + static_cast<int>(rng() % 900);
        EXPECT_EQ(RowsInPieces(text, font, &printer, nWidth, {}, nPiece), whole);
        // From a row in the middle, as a page that starts inside the line does.
        const size_t k = rng() % whole.size();
        EXPECT_EQ(RowsInPieces(text, font, &printer, nWidth,
                               {std::get<0>(whole[k]), std::get<2>(whole[k])}, nPiece),
                  std::vector<Row>(whole.begin() + static_cast<std::ptrdiff_t>(k), whole.end()));
        if (HasFailure())
            return;
    }
}

} // namespace
