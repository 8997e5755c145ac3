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
// and a run of blanks that hangs at a row's end stops where an item ends. A piece in which a
// run of blanks crosses the end of one of the line's items therefore starts where that item
// starts, so that its items end where the line's do.
constexpr int SHAPING_ITEM_LENGTH = 4096;

QTextOption WrapOption(QTextOption::WrapMode mode = QTextOption::WrapAtWordBoundaryOrAnywhere) {
    QTextOption option;
    option.setWrapMode(mode);
    return option;
}

// Text of ASCII letters and digits only, which offers no break between words.
bool IsOneWord(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar ch) { return ch.unicode() < 128 && ch.isLetterOrNumber(); });
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
    // Looking for the end of the word before breaking it anywhere, the line breaker would pass
    // over the rest of a piece that is one word for every row: it breaks anywhere at once,
    // where it would break all the same.
    pLayout->setTextOption(WrapOption(IsOneWord(text) ? QTextOption::WrapAnywhere
                                                      : QTextOption::WrapAtWordBoundaryOrAnywhere));
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

// Whether a run of blanks in text, which starts at index nStart of the line, crosses the end of
// one of the line's shaping items.
bool BlankRunCrossesItemEnd(const QString& text, int nStart) {
    for (int nEnd = (nStart / SHAPING_ITEM_LENGTH + 1) * SHAPING_ITEM_LENGTH;
         nEnd - nStart < text.size(); nEnd += SHAPING_ITEM_LENGTH) {
        if (text[nEnd - nStart - 1].isSpace() && text[nEnd - nStart].isSpace())
            return true;
    }
    return false;
}

} // namespace

void WalkPrintedRows(const PrintedTextSource& textOf, int nLength, const QFont& font,
                     const QPaintDevice* pDevice, int nWidth, PrintedRowStart from,
                     const PrintedRowVisitor& onRow, int nPieceLength) {
    int nPiece = nPieceLength;
    while (from.nIndex < nLength) {
        // A piece holds a little of the text before the row. Where a run of blanks crosses the
        // end of one of the line's shaping items, it starts at the start of that item instead,
        // and reaches over the next one. A piece is laid out again with less text before the
        // row, or none, when the line breaker cannot be made to start a row exactly there.
        int nContext = std::min(CONTEXT_LENGTH, from.nIndex);
        int nEnd = std::min(nLength, from.nIndex - nContext + nPiece);
        QString text = textOf(from.nIndex - nContext, nEnd);
        if (BlankRunCrossesItemEnd(text, from.nIndex - nContext)) {
            nContext = from.nIndex % SHAPING_ITEM_LENGTH;
            if (nContext < CONTEXT_LENGTH && from.nIndex >= SHAPING_ITEM_LENGTH)
                nContext += SHAPING_ITEM_LENGTH;
            nEnd = std::min(nLength, from.nIndex - nContext + 2 * SHAPING_ITEM_LENGTH);
            text = textOf(from.nIndex - nContext, nEnd);
        }
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
            const int nSafeEnd = nEnd - nStart - LOOKAHEAD_LENGTH - nLongest;
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
