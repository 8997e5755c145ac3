// Drawing bytes on the character grid through a raw font's glyphs.
#include "view/GlyphFont.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

CGlyphFont::CGlyphFont(const QFont& font) : m_font(font), m_rawFont(QRawFont::fromFont(font)) {
    const QFontMetrics metrics(font);
    m_nAscent = metrics.ascent();
    m_nCapHeight = std::max(metrics.capHeight(), 1);
    if (!m_rawFont.isValid())
        return;
    std::array<QChar, 256> chars;
    for (int i = 0; i < 256; ++i) {
        const auto ch = static_cast<unsigned char>(i);
        chars[ch] =
            IsControlByte(ch) ? QChar(u' ') : QChar(static_cast<char16_t>(Cp1252ToUnicode(ch)));
    }
    int nGlyphs = 256;
    if (!m_rawFont.glyphIndexesForChars(chars.data(), 256, m_arrGlyphs.data(), &nGlyphs) ||
        nGlyphs != 256)
        m_rawFont = QRawFont();
}

void CGlyphFont::DrawCells(QPainter& dc, QPoint ptCell, const char* pText, int nCount,
                           int nCellWidth, const QColor& cr) {
    if (nCount <= 0)
        return;
    const int yBaseline = ptCell.y() + m_nAscent;
    if (m_rawFont.isValid()) {
        m_arrRunGlyphs.resize(static_cast<size_t>(nCount));
        m_arrRunPositions.resize(static_cast<size_t>(nCount));
        for (int i = 0; i < nCount; ++i) {
            m_arrRunGlyphs[static_cast<size_t>(i)] =
                m_arrGlyphs[static_cast<unsigned char>(pText[i])];
            m_arrRunPositions[static_cast<size_t>(i)] = QPointF(i * nCellWidth, 0);
        }
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setRawData(m_arrRunGlyphs.data(), m_arrRunPositions.data(), nCount);
        dc.setPen(cr);
        dc.drawGlyphRun(QPointF(ptCell.x(), yBaseline), run);
    } else {
        dc.setPen(cr);
        dc.setFont(m_font);
        for (int i = 0; i < nCount; ++i) {
            const auto ch = static_cast<unsigned char>(pText[i]);
            if (!IsControlByte(ch))
                dc.drawText(QPoint(ptCell.x() + i * nCellWidth, yBaseline),
                            QString(QChar(static_cast<char16_t>(Cp1252ToUnicode(ch)))));
        }
    }
    for (int i = 0; i < nCount; ++i) {
        if (IsControlByte(static_cast<unsigned char>(pText[i])))
            DrawPlaceholder(dc, ptCell.x() + i * nCellWidth, yBaseline - m_nCapHeight, nCellWidth,
                            cr);
    }
}

void CGlyphFont::DrawPlaceholder(QPainter& dc, int x, int yTop, int nCellWidth,
                                 const QColor& cr) const {
    // A hollow box of the height of a capital letter, inset by a pixel on either side.
    const QRect rcBox(x + 1, yTop, std::max(nCellWidth - 2, 1), m_nCapHeight);
    dc.fillRect(QRect(rcBox.left(), rcBox.top(), rcBox.width(), 1), cr);
    dc.fillRect(QRect(rcBox.left(), rcBox.bottom(), rcBox.width(), 1), cr);
    dc.fillRect(QRect(rcBox.left(), rcBox.top(), 1, rcBox.height()), cr);
    dc.fillRect(QRect(rcBox.right(), rcBox.top(), 1, rcBox.height()), cr);
}
