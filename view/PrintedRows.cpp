// Laying out a printed line piece by piece.
#include "view/PrintedRows.h"

#include <algorithm>
#include <memory>

#include <QTextLayout>

namespace {

// Characters before a row's start that a piece holds for the line breaker to look back at, and
// after the rows it keeps for the line breaker to look ahead at.
constexpr int CONTEXT_LENGTH = 64;
constexpr int LOOKAHEAD_LENGTH = 64;
// Qt shapes a text in items of at most this many characters counted from the text's start,
// and a run of blanks that hangs at a row's end stops where an item ends. A piece therefore
// starts where an item of the whole line starts, so that its items end where the line's do.
constexpr int SHAPING_ITEM_LENGTH = 4096;

QTextOption WrapOption() {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// The narrowest line that holds all of text.
qreal NaturalWidth(const QString& text, const QFont& font, const QPaintDevice* pDevice) {
    QTextLayout layout(text, font, pDevice);
    layout.setTextOption(WrapOption());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    return line.naturalTextWidth();
}

// The layout of text from index nContext on in rows nWidth wide, the rows' tops from fTop on;
// the nContext characters before are lines of their own, one or two. Null when they cannot be
// made to end exactly where the rows start.
std::unique_ptr<QTextLayout> LayOutPiece(const QString& text, int nContext, const QFont& font,
                                         const QPaintDevice* pDevice, int nWidth, qreal fTop) {
    auto pLayout = std::make_unique<QTextLayout>(text, font, pDevice);
    pLayout->setTextOption(WrapOption());
    pLayout->beginLayout();
    // Lines as wide as the rest of the context's own text, until one ends where the rows
    // start: the first stops at the last break in the context, the next holds the rest of it,
    // which the line breaker can only break after its last character.
    for (int nPos = 0, nLeads = 0; nPos < nContext; ++nLeads) {
        QTextLine lead = pLayout->createLine();
        lead.setLineWidth(NaturalWidth(text.mid(nPos, nContext - nPos), font, pDevice));
        nPos = lead.textStart() + lead.textLength();
        if (nPos > nContext || (nLeads == 1 && nPos < nContext)) {
            pLayout->endLayout();
            return nullptr;
        }
    }
    qreal y = fTop;
    for (QTextLine row = pLayout->createLine(); row.isValid(); row = pLayout->createLine()) {
        row.setLineWidth(nWidth);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    pLayout->endLayout();
    return pLayout;
}

} // namespace

void WalkPrintedRows(const PrintedTextSource& textOf, int nLength, const QFont& font,
                     const QPaintDevice* pDevice, int nWidth, PrintedRowStart from,
                     const PrintedRowVisitor& onRow, int nPieceLength) {
    int nPiece = nPieceLength;
    while (from.nIndex < nLength) {
        // The text before the row: back to the start of its shaping item, else a little, else
        // none when the line breaker cannot be made to start a row exactly there.
        int nContext = from.nIndex % SHAPING_ITEM_LENGTH;
        if (nContext < CONTEXT_LENGTH && from.nIndex >= SHAPING_ITEM_LENGTH)
            nContext += SHAPING_ITEM_LENGTH;
        const int nEnd = nLength - from.nIndex > nPiece ? from.nIndex + nPiece : nLength;
        const QString text = textOf(from.nIndex - nContext, nEnd);
        std::unique_ptr<QTextLayout> pLayout;
        for (const int nTry : {nContext, std::min(CONTEXT_LENGTH, nContext), 0}) {
            pLayout =
                LayOutPiece(text.mid(nContext - nTry), nTry, font, pDevice, nWidth, from.fTop);
            if (pLayout) {
                nContext = nTry;
                break;
            }
        }
        const int nStart = from.nIndex - nContext;
        int nFirst = 0;
        while (nFirst < pLayout->lineCount() && pLayout->lineAt(nFirst).textStart() < nContext)
            ++nFirst;
        const int nRows = pLayout->lineCount();

        // Where a row breaks depends on the text after it as far as the line breaker looks: on
        // the word that no longer fitted, on what follows a run of blanks hanging at its end.
        // Of a piece that stops short of the line's end, only rows that end well before it are
        // kept; the others are laid out again at the start of the next piece.
        int nKept = nRows;
        if (nEnd < nLength) {
            int nLongest = 0;
            for (int k = nFirst; k < nRows; ++k)
                nLongest = std::max(nLongest, pLayout->lineAt(k).textLength());
            const int nSafeEnd = nEnd - nStart - LOOKAHEAD_LENGTH - 2 * nLongest;
            nKept = nFirst;
            while (nKept < nRows &&
                   pLayout->lineAt(nKept).textStart() + pLayout->lineAt(nKept).textLength() <=
                       nSafeEnd)
                ++nKept;
        }
        if (nKept <= nFirst) {
            // The piece is too short for the rows it holds (a long run of blanks hangs at a
            // row's end): a larger one is needed.
            nPiece *= 2;
            continue;
        }
        for (int k = nFirst; k < nKept; ++k) {
            const QTextLine row = pLayout->lineAt(k);
            if (!onRow(row, {nStart + row.textStart(), row.y()}))
                return;
        }
        if (nKept == nRows)
            return;
        const QTextLine next = pLayout->lineAt(nKept);
        from = {nStart + next.textStart(), next.y()};
        nPiece = nPieceLength;
    }
}
