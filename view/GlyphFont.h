// CGlyphFont: a style font of the view with what drawing on the character grid needs.
#pragma once

#include "view/Cp1252.h"

#include <array>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRawFont>

class QPainter;

// Text is drawn byte by byte as Windows-1252, each byte in its own cell of the grid, whatever the
// font's own advances: so columns stay exact with any font and any size. Control bytes (NUL
// among them) and the bytes the code page leaves undefined have no glyph of their own and are
// drawn as a small box, one cell wide.
class CGlyphFont {
public:
    explicit CGlyphFont(const QFont& font);

    const QFont& Font() const { return m_font; }

    // Draws the nCount bytes at pText in cells nCellWidth wide, the first cell's top-left
    // corner at ptCell, in colour cr. Backgrounds are the caller's.
    void DrawCells(QPainter& dc, QPoint ptCell, const char* pText, int nCount, int nCellWidth,
                   const QColor& cr);

    // The bytes drawn as the box: those whose character is a control character.
    static bool IsControlByte(unsigned char ch) {
        return ch < 0x20 || ch == 0x7F || !IsCp1252Defined(ch);
    }

private:
    void DrawPlaceholder(QPainter& dc, int x, int yTop, int nCellWidth, const QColor& cr) const;

    QFont m_font;
    QRawFont m_rawFont; // invalid when the font has no outline data to draw glyph by glyph
    std::array<quint32, 256> m_arrGlyphs{};
    int m_nAscent = 0;
    int m_nCapHeight = 0;
    std::vector<quint32> m_arrRunGlyphs;    // scratch of DrawCells
    std::vector<QPointF> m_arrRunPositions; // scratch of DrawCells
};
