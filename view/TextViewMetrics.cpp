// CTextView: line access, fonts and measuring, the display-width cache and the mapping
// between character indices, screen columns and client points.
#include "buffer/TextBuffer.h"
#include "view/FontZoom.h"
#include "view/TabMapping.h"
#include "view/TextView.h"
#include "view/ViewGutter.h"

#include <algorithm>

#include <QFontMetrics>

int CTextView::GetLineCount() const {
    return m_pBuffer ? m_pBuffer->GetLineCount() : 1;
}

int CTextView::GetLineLength(int nLine) const {
    return m_pBuffer ? m_pBuffer->GetLineLength(nLine) : 0;
}

const char* CTextView::GetLineText(int nLine) const {
    return m_pBuffer ? m_pBuffer->GetLineText(nLine) : nullptr;
}

uint32_t CTextView::GetLineFlags(int nLine) const {
    return m_pBuffer ? m_pBuffer->GetLineFlags(nLine) : 0;
}

void CTextView::GetTextRange(TextPos ptFrom, TextPos ptTo, std::string& text) const {
    text.clear();
    if (m_pBuffer)
        m_pBuffer->CopyRange(ptFrom.y, ptFrom.x, ptTo.y, ptTo.x, text);
}

int CTextView::GetLineDisplayWidth(int nLine) {
    if (!m_pBuffer)
        return 0;
    if (!m_LineColumns.Exists())
        m_LineColumns.Create(GetLineCount());
    // Lines added behind the view's back have no entry: they are measured every time.
    const bool bCached = nLine < m_LineColumns.Size();
    if (bCached) {
        const int nWidth = m_LineColumns.Get(nLine);
        if (nWidth >= 0)
            return nWidth;
    }
    const int nWidth = CharToColumn(nLine, GetLineLength(nLine));
    if (bCached)
        m_LineColumns.Set(nLine, nWidth);
    return nWidth;
}

int CTextView::GetMaxLineColumns() {
    if (m_nMaxLineColumns >= 0)
        return m_nMaxLineColumns;
    // The cache counts its lines per width: once every entry is known, the widest is at hand.
    if (!m_LineColumns.Exists() || m_LineColumns.UnsetCount() > 0 ||
        m_LineColumns.Size() != GetLineCount()) {
        int nMax = 0;
        const int nLines = GetLineCount();
        for (int i = 0; i < nLines; ++i)
            nMax = std::max(nMax, GetLineDisplayWidth(i));
        m_nMaxLineColumns = nMax;
    } else {
        m_nMaxLineColumns = m_LineColumns.MaxWidth();
    }
    return m_nMaxLineColumns;
}

CGlyphFont& CTextView::GetStyleFont(bool bItalic, bool bBold) {
    std::unique_ptr<CGlyphFont>& pSlot = m_apStyleFonts[(bBold ? 1 : 0) + (bItalic ? 2 : 0)];
    if (!pSlot) {
        m_logFont.bItalic = bItalic;
        m_logFont.nWeight = bBold ? FW_BOLD : FW_NORMAL;
        pSlot = std::make_unique<CGlyphFont>(
            MakeFont(ZoomFont(m_logFont, m_nZoomSteps, std::max(logicalDpiY(), 1))));
    }
    return *pSlot;
}

void CTextView::DestroyStyleFonts() {
    for (std::unique_ptr<CGlyphFont>& pFont : m_apStyleFonts)
        pFont.reset();
    m_pRowFont = nullptr;
}

void CTextView::MeasureFont() {
    const QFontMetrics metrics(GetStyleFont(false, false).Font());
    // A zero height or width would make every division by them fail. Some fonts draw the
    // underscore below their descent (DejaVu Sans Mono at most sizes): the row covers it, or
    // the next row would paint over it.
    const int cyUnderscore = metrics.ascent() + metrics.boundingRect(QLatin1Char('_')).bottom() + 1;
    m_cyLine = std::max({metrics.height(), cyUnderscore, 1});
    m_cxChar = std::max(metrics.horizontalAdvance(QLatin1Char('X')), 1);
}

int CTextView::GetLineHeight() {
    if (m_cyLine == -1)
        MeasureFont();
    return m_cyLine;
}

int CTextView::GetCharWidth() {
    if (m_cxChar == -1)
        MeasureFont();
    return m_cxChar;
}

int CTextView::GetVisibleLineCount() {
    if (m_nVisibleLines == -1)
        m_nVisibleLines = viewport()->height() / GetLineHeight();
    return m_nVisibleLines;
}

int CTextView::GetVisibleColumnCount() {
    if (m_nVisibleColumns == -1)
        m_nVisibleColumns = std::max(viewport()->width() - GetMarginWidth(), 0) / GetCharWidth();
    return m_nVisibleColumns;
}

void CTextView::SetBaseFont(const LogFont& lf) {
    m_logFont = lf;
    OnFontChanged();
}

void CTextView::SetZoomSteps(int nSteps) {
    if (nSteps == m_nZoomSteps)
        return;
    m_nZoomSteps = nSteps;
    OnFontChanged();
}

void CTextView::OnFontChanged() {
    m_nVisibleLines = -1;
    m_nVisibleColumns = -1;
    m_cxChar = -1;
    m_cyLine = -1;
    m_pLineBitmap.reset();
    m_mapNumberCells.clear();
    DestroyStyleFonts();
    // The width and state caches are in columns and states: a font does not change them.
    UpdateVertScrollBar(false);
    UpdateHorzScrollBar(false);
    RefreshCaret();
    InvalidateAll();
}

int CTextView::GetLineNumberWidth() {
    return m_bShowLineNumbers ? LineNumberColumnWidth(GetLineCount(), GetCharWidth()) : 0;
}

void CTextView::SetShowLineNumbers(bool bShow) {
    if (bShow == m_bShowLineNumbers)
        return;
    m_bShowLineNumbers = bShow;
    m_nLineNumberDigits = LineNumberDigits(GetLineCount());
    OnMarginWidthChanged();
}

void CTextView::OnMarginWidthChanged() {
    m_nVisibleColumns = -1;
    UpdateHorzScrollBar(false);
    RefreshCaret();
    InvalidateAll();
}

int CTextView::CharToColumn(int nLine, int nChar) const {
    const int nLength = GetLineLength(nLine);
    nChar = std::min(nChar, nLength);
    if (CLongLineIndex::IsLong(nLength))
        return m_LongLines.CharToColumn(nLine, GetLineText(nLine), nLength, nChar);
    return ::CharToColumn(GetLineText(nLine), nChar, TAB_WIDTH);
}

int CTextView::ColumnToChar(int nLine, int nColumn) const {
    const int nLength = GetLineLength(nLine);
    if (CLongLineIndex::IsLong(nLength))
        return m_LongLines.ColumnToChar(nLine, GetLineText(nLine), nLength, nColumn);
    return ::ColumnToChar(GetLineText(nLine), nLength, nColumn, TAB_WIDTH);
}

int CTextView::CharAtColumn(int nLine, int nColumn) const {
    const int nLength = GetLineLength(nLine);
    if (CLongLineIndex::IsLong(nLength))
        return m_LongLines.CharAtColumn(nLine, GetLineText(nLine), nLength, nColumn);
    return ::CharAtColumn(GetLineText(nLine), nLength, nColumn, TAB_WIDTH);
}

void CTextView::UpdateLongLines(const CChangeExtent* pExtent, uint32_t dwHints, int nLine) {
    // Flags changed, or a reset that forgets everything anyway: the text is the same.
    if (!(dwHints & HINT_WIDTH))
        return;
    if (!pExtent) {
        if (dwHints & HINT_ONELINE)
            m_LongLines.Forget(nLine);
        else
            m_LongLines.ForgetFrom(std::max(nLine, 0));
        return;
    }
    const TextPos ptFrom = pExtent->ptFrom;
    const TextPos ptTo = pExtent->ptTo;
    const bool bInserted = dynamic_cast<const CInsertExtent*>(pExtent) != nullptr;
    if (ptFrom.y == ptTo.y) {
        const int nCount = ptTo.x - ptFrom.x;
        m_LongLines.OnTextReplaced(ptFrom.y, ptFrom.x, bInserted ? 0 : nCount,
                                   bInserted ? nCount : 0, GetLineText(ptFrom.y),
                                   GetLineLength(ptFrom.y));
        return;
    }
    // The first line kept its characters before the change; the lines after it moved.
    m_LongLines.Truncate(ptFrom.y, ptFrom.x, GetLineLength(ptFrom.y));
    if (bInserted)
        m_LongLines.InsertLines(ptFrom.y + 1, ptTo.y - ptFrom.y);
    else
        m_LongLines.RemoveLines(ptFrom.y + 1, ptTo.y - ptFrom.y);
}

TextPos CTextView::ClientToTextPos(QPoint pt) {
    int y = pt.y() / GetLineHeight() + m_nFirstVisibleLine;
    const int nLines = GetLineCount();
    if (y >= nLines)
        y = nLines - 1;
    if (y < 0)
        y = 0;
    int nColumn = (pt.x() - GetMarginWidth()) / GetCharWidth() + m_nFirstVisibleColumn;
    if (nColumn < 0)
        nColumn = 0;
    return {CharAtColumn(y, nColumn), y};
}

QPoint CTextView::TextPosToClient(TextPos pos) {
    return {GetCharWidth() * (CharToColumn(pos.y, pos.x) - m_nFirstVisibleColumn) +
                GetMarginWidth(),
            GetLineHeight() * (pos.y - m_nFirstVisibleLine)};
}

void CTextView::SnapToCharCenter(QPoint& pt) {
    pt.rx() += GetCharWidth() / 2;
}
