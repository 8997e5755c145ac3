// CTextView: painting. Each row is composed in the one-row bitmap and copied to the window in
// one piece, so the window never shows a half-drawn line.
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "view/MarginIcons.h"
#include "view/TabMapping.h"
#include "view/TextView.h"

#include <algorithm>
#include <cstdio>

#include <QPaintEvent>
#include <QPainter>

void CTextView::paintEvent(QPaintEvent* pEvent) {
    QPainter dc(viewport());
    OnDraw(dc, pEvent->region());
    if (!m_rcPendingPaint.isNull())
        m_rcPendingPaint = (QRegion(m_rcPendingPaint) - pEvent->region()).boundingRect();
}

void CTextView::OnDraw(QPainter& dc, const QRegion& rgnUpdate) {
    const QRect rcClient = viewport()->rect();
    const int nLines = GetLineCount();
    const int h = GetLineHeight();
    if (rcClient.isEmpty())
        return;

    if (!m_pLineBitmap) {
        const qreal fRatio = viewport()->devicePixelRatioF();
        m_pLineBitmap = std::make_unique<QPixmap>(QSize(rcClient.width(), h) * fRatio);
        m_pLineBitmap->setDevicePixelRatio(fRatio);
    }
    const int cxNumbers = GetLineNumberWidth();
    const QRect rcNumbers(0, 0, cxNumbers, h);
    const QRect rcMargin(cxNumbers, 0, MARGIN_WIDTH, h);
    const QRect rcText(GetMarginWidth(), 0, rcClient.width() - GetMarginWidth(), h);

    // Rows outside the region to repaint would be clipped away entirely: they are skipped.
    int nLine = m_nFirstVisibleLine;
    for (int y = rcClient.top(); y < rcClient.bottom() + 1; y += h, ++nLine) {
        if (!rgnUpdate.intersects(QRect(0, y, rcClient.width(), h)))
            continue;
        {
            QPainter dcRow(m_pLineBitmap.get());
            const int nRowLine = nLine < nLines ? nLine : -1;
            if (cxNumbers > 0)
                PaintLineNumber(dcRow, rcNumbers, nRowLine);
            PaintMargin(dcRow, rcMargin, nRowLine);
            PaintLine(dcRow, rcText, nRowLine);
        }
        dc.drawPixmap(0, y, *m_pLineBitmap);
    }
    PaintCaret(dc, rgnUpdate);
}

void CTextView::PaintCaret(QPainter& dc, const QRegion& rgnUpdate) {
    if (m_rcCaret.isEmpty() || !m_bCaretBlinkOn || !rgnUpdate.intersects(m_rcCaret))
        return;
    // Inverting what lies under it keeps the caret visible on any background, selected or not.
    dc.save();
    dc.setCompositionMode(QPainter::CompositionMode_Difference);
    dc.fillRect(m_rcCaret, Qt::white);
    dc.restore();
}

void CTextView::PaintMargin(QPainter& dc, const QRect& rc, int nLine) {
    dc.fillRect(rc, GetColorValue(CI_MARGIN));
    if (nLine < 0)
        return;
    const int nCell = MarginIconForFlags(GetLineFlags(nLine));
    if (nCell < 0)
        return;
    if (!m_pMarginImages)
        m_pMarginImages = std::make_unique<QPixmap>(LoadResBitmap(IDB_MARGIN_ICONS));
    // A cell beyond the bitmap draws nothing.
    const QRect rcCell(nCell * MARGIN_ICON_SIZE, 0, MARGIN_ICON_SIZE, MARGIN_ICON_SIZE);
    if (!m_pMarginImages->rect().contains(rcCell))
        return;
    const QPoint ptIcon(rc.left() + 2, rc.top() + (rc.height() - MARGIN_ICON_SIZE) / 2);
    dc.drawPixmap(ptIcon, *m_pMarginImages, rcCell);
}

void CTextView::PaintLineNumber(QPainter& dc, const QRect& rc, int nLine) {
    const QColor crBack = GetColorValue(CI_MARGIN);
    if (nLine < 0) {
        dc.fillRect(rc, crBack);
        return;
    }
    const QColor crNumber = GetColorValue(CI_LINENUMBER);
    const std::pair<QRgb, QRgb> rgbColours(crBack.rgba(), crNumber.rgba());
    if (rc.size() != m_sizeNumberCell || rgbColours != m_rgbNumberColours) {
        m_mapNumberCells.clear();
        m_sizeNumberCell = rc.size();
        m_rgbNumberColours = rgbColours;
    }
    // The cells of lines long scrolled away are dropped now and then, all at once.
    if (m_mapNumberCells.size() > static_cast<size_t>(4 * GetVisibleLineCount() + 64))
        m_mapNumberCells.clear();
    auto it = m_mapNumberCells.find(nLine);
    if (it == m_mapNumberCells.end()) {
        const qreal fRatio = m_pLineBitmap ? m_pLineBitmap->devicePixelRatio() : 1.0;
        QPixmap cell(rc.size() * fRatio);
        cell.setDevicePixelRatio(fRatio);
        cell.fill(crBack);
        char szNumber[16];
        const int nLength = std::snprintf(szNumber, sizeof szNumber, "%d", nLine + 1);
        // Right-aligned, half a cell of padding after it.
        const int cx = GetCharWidth();
        QPainter dcCell(&cell);
        GetStyleFont(false, false)
            .DrawCells(dcCell, QPoint(rc.width() - cx / 2 - nLength * cx, 0), szNumber, nLength, cx,
                       crNumber);
        it = m_mapNumberCells.emplace(nLine, std::move(cell)).first;
    }
    dc.drawPixmap(rc.topLeft(), it->second);
}

void CTextView::SetHighlightCurrentLine(bool bHighlight) {
    m_bHighlightCurrentLine = bHighlight;
    UpdateCurrentLineTint();
}

bool CTextView::IsCurrentLineTinted(int nLine) const {
    return m_bHighlightCurrentLine && m_bHasFocus && nLine == m_ptCaret.y &&
           m_ptSelFrom == m_ptSelTo;
}

void CTextView::UpdateCurrentLineTint() {
    const int nTinted = IsCurrentLineTinted(m_ptCaret.y) ? m_ptCaret.y : -1;
    if (nTinted == m_nTintedLine)
        return;
    if (m_nTintedLine >= 0)
        InvalidateLineRange(m_nTintedLine, m_nTintedLine);
    if (nTinted >= 0)
        InvalidateLineRange(nTinted, nTinted);
    m_nTintedLine = nTinted;
}

void CTextView::PaintLine(QPainter& dc, const QRect& rc, int nLine) {
    if (nLine == -1) {
        dc.fillRect(rc, GetColorValue(CI_EMPTYAREA));
        return;
    }
    const int n = GetLineLength(nLine);
    const int cx = GetCharWidth();
    // The caret line's tint lies under the text, in place of both backgrounds.
    const bool bTinted = IsCurrentLineTinted(nLine);
    const QColor crEmpty = GetColorValue(bTinted ? CI_CURRENTLINE : CI_EMPTYAREA);
    if (n == 0) {
        QRect r = rc;
        if (IsSelectionVisible() && IsInOrderedSelection({0, nLine})) {
            dc.fillRect(QRect(r.left(), r.top(), cx, r.height()), GetColorValue(CI_SELBACK));
            r.setLeft(r.left() + cx);
        }
        dc.fillRect(r, crEmpty);
        return;
    }

    // Only the characters that reach the row are parsed and drawn: from the one that covers
    // the first visible column to the one after the last, partly visible, column.
    const char* pText = GetLineText(nLine);
    const int nCells = rc.width() / cx + 2;
    int nFrom = 0;
    int nTo = n;
    if (m_nFirstVisibleColumn > 0 || n > nCells) {
        nFrom = CharAtColumn(nLine, m_nFirstVisibleColumn);
        nTo = std::min(CharAtColumn(nLine, m_nFirstVisibleColumn + nCells) + 1, n);
    }
    int nPenColumn = nFrom > 0 ? CharToColumn(nLine, nFrom) : 0;

    // A long line is coloured by its window, from the parser's point at the window's start;
    // others are parsed whole, which also keeps the state their end hands on.
    int nBlocks = 0;
    ParsePoint point;
    if (CLongLineIndex::IsLong(n) && FindParsePoint(nLine, nFrom, point)) {
        m_arrBlocks.resize(static_cast<size_t>(nTo - nFrom) * 3 + 3);
        ParseLineWindow(nLine, point, nTo, m_arrBlocks.data(), nBlocks);
    } else {
        m_arrBlocks.resize(static_cast<size_t>(n) * 3);
        const uint32_t dwState =
            ParseLine(GetLineEndState(nLine - 1), nLine, m_arrBlocks.data(), nBlocks);
        m_LineStates.Store(nLine, dwState);
    }

    QPoint ptPen(rc.left() + cx * (nPenColumn - m_nFirstVisibleColumn), rc.top());
    dc.setBackground(GetColorValue(bTinted ? CI_CURRENTLINE : CI_TEXTBACK));
    // One piece per block, characters before the first block in the normal text colour. A
    // block's start is clamped to the window, so a parser's stray position cannot reach past
    // the line.
    auto paintPiece = [&](int nColorIndex, int nPieceFrom, int nPieceTo) {
        nPieceFrom = std::clamp(nPieceFrom, nFrom, nTo);
        nPieceTo = std::clamp(nPieceTo, nFrom, nTo);
        if (nPieceFrom >= nPieceTo)
            return;
        dc.setPen(GetColorValue(nColorIndex));
        m_pRowFont = &GetStyleFont(IsColorItalic(nColorIndex), IsColorBold(nColorIndex));
        PaintTextRunSel(dc, ptPen, nPenColumn, rc, pText, nPieceFrom, nPieceTo - nPieceFrom,
                        {nPieceFrom, nLine});
    };
    if (nBlocks == 0) {
        paintPiece(CI_NORMALTEXT, 0, n);
    } else {
        paintPiece(CI_NORMALTEXT, 0, m_arrBlocks[0].nCharPos);
        for (int i = 0; i < nBlocks; ++i) {
            const int nEnd = i + 1 < nBlocks ? m_arrBlocks[static_cast<size_t>(i) + 1].nCharPos : n;
            paintPiece(m_arrBlocks[static_cast<size_t>(i)].nColorIndex,
                       m_arrBlocks[static_cast<size_t>(i)].nCharPos, nEnd);
        }
    }
    // A parser that is given whole long lines needs a list as long as the line: it is not kept.
    if (m_arrBlocks.capacity() > static_cast<size_t>(CLongLineIndex::MIN_LENGTH) * 3)
        std::vector<ColorBlock>().swap(m_arrBlocks);

    QRect r = rc;
    if (ptPen.x() > r.left())
        r.setLeft(ptPen.x());
    if (r.left() < rc.right() + 1) {
        if (IsSelectionVisible() && IsInOrderedSelection({n, nLine})) {
            dc.fillRect(QRect(r.left(), r.top(), cx, r.height()), GetColorValue(CI_SELBACK));
            r.setLeft(r.left() + cx);
        }
        if (r.left() < rc.right() + 1)
            dc.fillRect(r, crEmpty);
    }
}

void CTextView::PaintTextRunSel(QPainter& dc, QPoint& ptPen, int& nPenColumn, const QRect& rcClip,
                                const char* pText, int nOffset, int nCount, TextPos ptRun) {
    if (nCount <= 0)
        return;
    if (!IsSelectionVisible()) {
        PaintTextRun(dc, ptPen, nPenColumn, rcClip, pText, nOffset, nCount);
        return;
    }
    auto cutAt = [&](TextPos ptEnd) {
        if (ptEnd.y > ptRun.y)
            return nCount;
        if (ptEnd.y == ptRun.y)
            return std::clamp(ptEnd.x - ptRun.x, 0, nCount);
        return 0;
    };
    const auto [ptLow, ptHigh] = std::minmax(m_ptSelFrom, m_ptSelTo);
    const int b = cutAt(ptLow);
    const int e = cutAt(ptHigh);
    if (b > 0)
        PaintTextRun(dc, ptPen, nPenColumn, rcClip, pText, nOffset, b);
    if (b < e) {
        const QBrush brOldBack = dc.background();
        const QPen penOld = dc.pen();
        dc.setBackground(GetColorValue(CI_SELBACK));
        dc.setPen(GetColorValue(CI_SELTEXT));
        PaintTextRun(dc, ptPen, nPenColumn, rcClip, pText, nOffset + b, e - b);
        dc.setBackground(brOldBack);
        dc.setPen(penOld);
    }
    if (e < nCount)
        PaintTextRun(dc, ptPen, nPenColumn, rcClip, pText, nOffset + e, nCount - e);
}

void CTextView::PaintTextRun(QPainter& dc, QPoint& ptPen, int& nPenColumn, const QRect& rcClip,
                             const char* pText, int nOffset, int nCount) {
    if (nCount <= 0)
        return;
    // Tab stops fall where they fall in the whole line: the run starts at the pen's column.
    ExpandTabsAt(pText + nOffset, nCount, nPenColumn, TAB_WIDTH, m_strExpanded);
    const int cx = GetCharWidth();
    const int nLength = static_cast<int>(m_strExpanded.size());
    const int nRoom = rcClip.right() + 1 - ptPen.x();
    if (nRoom > 0) {
        // Cells far right of the clip rectangle are not drawn; those left of it are skipped.
        const int k = std::min(nLength, nRoom / cx + 1);
        const int nSkip =
            ptPen.x() < rcClip.left() ? std::min((rcClip.left() - ptPen.x()) / cx, k) : 0;
        const QRect rcCells(ptPen.x() + nSkip * cx, rcClip.top(), (k - nSkip) * cx,
                            rcClip.height());
        dc.fillRect(rcCells & rcClip, dc.background());
        if (!m_pRowFont)
            m_pRowFont = &GetStyleFont(false, false);
        const bool bClip = rcCells.left() < rcClip.left();
        if (bClip) {
            dc.save();
            dc.setClipRect(rcClip);
        }
        m_pRowFont->DrawCells(dc, rcCells.topLeft(), m_strExpanded.data() + nSkip, k - nSkip, cx,
                              dc.pen().color());
        if (bClip)
            dc.restore();
    }
    ptPen.rx() += cx * nLength;
    nPenColumn += nLength;
}

void CTextView::InvalidateLineRange(int nFirst, int nLast) {
    const int h = GetLineHeight();
    const QRect rcClient = viewport()->rect();
    if (nLast == -1) {
        const int y = h * (nFirst - m_nFirstVisibleLine);
        InvalidateRect(QRect(0, y, rcClient.width(), std::max(rcClient.height() - y, 0)));
        return;
    }
    if (nFirst > nLast)
        std::swap(nFirst, nLast);
    const int yTop = h * (nFirst - m_nFirstVisibleLine);
    const int yBottom = h * (nLast - m_nFirstVisibleLine + 1);
    InvalidateRect(QRect(0, yTop, rcClient.width(), yBottom - yTop));
}

void CTextView::InvalidateRect(const QRect& rc) {
    const QRect rcVisible = rc & viewport()->rect();
    if (rcVisible.isEmpty())
        return;
    m_rcPendingPaint |= rcVisible;
    viewport()->update(rcVisible);
}

void CTextView::InvalidateAll() {
    InvalidateRect(viewport()->rect());
}
