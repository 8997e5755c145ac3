// The rows a printed line wraps into, laid out a piece at a time, so that a row costs the same
// wherever it lies in its line, however long the line is.
#pragma once

#include <functional>

#include <QString>
#include <QtGlobal>

class QFont;
class QPaintDevice;
class QTextLine;

// Where a row starts: the index of its first character in the printed text of the line, and
// its top relative to the line's top. The first row starts at {0, 0}.
struct PrintedRowStart {
    int nIndex = 0;
    qreal fTop = 0;
};

// The printed text of a line from index nFrom up to nTo.
using PrintedTextSource = std::function<QString(int nFrom, int nTo)>;
// Called for each row, with the row and where it starts; false stops the walk.
using PrintedRowVisitor = std::function<bool(const QTextLine& row, const PrintedRowStart& start)>;

// Rows break between words, and a word wider than a row breaks inside, as one layout of the
// whole text of nLength characters would break them into rows nWidth wide. A piece starts at a
// row's start with a little of the text before it, which the line breaker looks back at, and of
// its rows only those are visited whose breaks the text beyond the piece cannot move. Laying
// text out costs Qt more per character the longer the text, so pieces are short.
constexpr int PRINTED_PIECE_LENGTH = 4096;
void WalkPrintedRows(const PrintedTextSource& textOf, int nLength, const QFont& font,
                     const QPaintDevice* pDevice, int nWidth, PrintedRowStart from,
                     const PrintedRowVisitor& onRow, int nPieceLength = PRINTED_PIECE_LENGTH);
