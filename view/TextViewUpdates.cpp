// CTextView: life cycle and buffer notifications: construction, reset, attaching to a buffer,
// and keeping caret, selection, caches and scroll bars right after every change.
#include "buffer/TextBuffer.h"
#include "resources/KeyTables.h"
#include "view/TextView.h"
#include "view/ViewGutter.h"

#include <algorithm>

#include <QEvent>
#include <QScrollBar>

CTextView::CTextView(QWidget* pParent) : QAbstractScrollArea(pParent) {
    // Every pixel of the client area is painted by the rows: no background is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    // A bar that cannot scroll is shown disabled, not hidden.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int nAction) { OnScrollBarAction(Qt::Vertical, nAction); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int nAction) { OnScrollBarAction(Qt::Horizontal, nAction); });

    m_logFont.strFaceName = QStringLiteral("FixedSys");
    m_accelTable = GetViewKeyTable();
    ResetViewState();
}

CTextView::~CTextView() {
    DetachBuffer();
    m_accelTable = {};
}

void CTextView::ResetViewState() {
    m_nFirstVisibleLine = 0;
    m_nFirstVisibleColumn = 0;
    DestroyStyleFonts();
    m_cyLine = -1;
    m_cxChar = -1;
    m_nVisibleLines = -1;
    m_nVisibleColumns = -1;
    m_nMaxLineColumns = -1;
    m_LineColumns.Free();
    m_LineStates.Free();
    m_LongLines.Clear();
    m_ptCaret = {};
    m_nStickyColumn = -1;
    m_ptSelAnchor = {};
    m_ptSelFrom = {};
    m_ptSelTo = {};
    m_bShowSelectionInactive = false;
    m_bHaveLastSearch = false;
    m_bHorzScrollFrozen = false;
    m_pMarginImages.reset();
    EndMouseSelection();
    m_bDragPending = false;
    m_bHasAnonBookmarks = false;
    m_nTintedLine = -1;
    // The content may be entirely new: nothing of the old picture stays.
    InvalidateAll();
    RefreshCaret();
}

CTextBuffer* CTextView::LocateBuffer() {
    return nullptr;
}

void CTextView::AttachBuffer(CTextBuffer* pBuf) {
    if (m_pBuffer)
        m_pBuffer->DetachView(this);
    if (!pBuf)
        pBuf = LocateBuffer();
    m_pBuffer = pBuf;
    if (m_pBuffer)
        m_pBuffer->AttachView(this);
    ResetViewState();
    UpdateVertScrollBar(false);
    UpdateHorzScrollBar(false);
}

void CTextView::DetachBuffer() {
    if (!m_pBuffer)
        return;
    m_pBuffer->DetachView(this);
    m_pBuffer = nullptr;
    ResetViewState();
}

void CTextView::OnInitialUpdate() {
    AttachBuffer(nullptr);
    // Panes of one column share the horizontal position, panes of one row the vertical one.
    int nRow = 0, nCol = 0;
    if (!GetPanePosition(nRow, nCol))
        return;
    if (nRow > 0) {
        if (CTextView* pAbove = GetSplitterSibling(0, nCol); pAbove && pAbove != this)
            m_nFirstVisibleColumn = pAbove->m_nFirstVisibleColumn;
    }
    if (nCol > 0) {
        if (CTextView* pLeft = GetSplitterSibling(nRow, 0); pLeft && pLeft != this)
            m_nFirstVisibleLine = pLeft->m_nFirstVisibleLine;
    }
    InvalidateAll();
    RefreshCaret();
}

bool CTextView::UpdateOneLineCaches(int nLine) {
    if (m_LineColumns.Exists() && nLine < m_LineColumns.Size()) {
        m_LineColumns.Clear(nLine);
        GetLineDisplayWidth(nLine);
    }
    // A change inside one line may change the state of every line after it. When the line
    // still ends in the state it ended in before, the lines after it start and colour as they
    // did: their states stay, and their rows need no repaint.
    if (!m_LineStates.Exists())
        return false;
    if (nLine >= m_LineStates.ComputedCount()) {
        m_LineStates.InvalidateFrom(nLine);
        return false;
    }
    const uint32_t dwOld = m_LineStates.Get(nLine);
    int nScratch = 0;
    const uint32_t dwNew = ParseLine(GetLineEndState(nLine - 1), nLine, nullptr, nScratch);
    if (dwNew == dwOld)
        return true;
    m_LineStates.InvalidateFrom(nLine);
    return false;
}

void CTextView::UpdateLineCountCaches(int nLine) {
    const int nFrom = std::max(nLine, 0);
    const int nLines = GetLineCount();
    if (m_LineStates.Exists()) {
        if (m_LineStates.Size() != nLines)
            m_LineStates.Resize(nLines);
        m_LineStates.InvalidateFrom(nFrom);
    }
    if (!m_LineColumns.Exists())
        return;
    // Lines were inserted after nLine, or removed after it, and nLine itself changed; the
    // lines behind them only moved and keep their widths.
    const int nDelta = nLines - m_LineColumns.Size();
    if (nLine < 0 || nFrom >= m_LineColumns.Size() || nDelta == 0) {
        m_LineColumns.ClearFrom(nFrom);
        if (nDelta > 0)
            m_LineColumns.InsertUnset(m_LineColumns.Size(), nDelta);
        else if (nDelta < 0)
            m_LineColumns.Erase(nLines, -nDelta);
        return;
    }
    if (nDelta > 0)
        m_LineColumns.InsertUnset(nFrom + 1, nDelta);
    else
        m_LineColumns.Erase(nFrom + 1, std::min(-nDelta, m_LineColumns.Size() - nFrom - 1));
    // The changed lines are measured at once, so that the widest line stays known.
    const int nLast = std::min(nFrom + std::max(nDelta, 0), m_LineColumns.Size() - 1);
    for (int i = nFrom; i <= nLast; ++i) {
        m_LineColumns.Clear(i);
        GetLineDisplayWidth(i);
    }
}

void CTextView::OnBufferUpdate(CTextBufferListener*, const CChangeExtent* pExtent, uint32_t dwHints,
                               int nLine) {
    if (dwHints & HINT_RESET) {
        m_nLineNumberDigits = LineNumberDigits(GetLineCount());
        ResetViewState();
        UpdateVertScrollBar(false);
        UpdateHorzScrollBar(false);
        return;
    }

    UpdateLongLines(pExtent, dwHints, nLine);
    if (dwHints & HINT_ONELINE) {
        const bool bLinesAfterKept = UpdateOneLineCaches(nLine);
        InvalidateLineRange(nLine, bLinesAfterKept ? nLine : -1);
    } else {
        UpdateLineCountCaches(nLine);
        InvalidateLineRange(std::max(nLine, 0), -1);
    }

    if (pExtent) {
        pExtent->FixPosition(m_ptCaret);
        pExtent->FixPosition(m_ptSelFrom);
        pExtent->FixPosition(m_ptSelTo);
        pExtent->FixPosition(m_ptSelAnchor);
        // The text being dragged out moves with edits made meanwhile (a drop before it).
        if (m_bDragSourceActive) {
            pExtent->FixPosition(m_ptDraggedFrom);
            pExtent->FixPosition(m_ptDraggedTo);
        }
        TextPos ptTop{0, m_nFirstVisibleLine};
        pExtent->FixPosition(ptTop);
        if (ptTop.y != m_nFirstVisibleLine) {
            m_nFirstVisibleLine = ptTop.y;
            InvalidateAll();
        }
        RefreshCaret();
    }
    if (dwHints & HINT_LINECOUNT)
        UpdateVertScrollBar(false);
    if (dwHints & HINT_WIDTH) {
        m_nMaxLineColumns = -1;
        if (!m_bHorzScrollFrozen)
            UpdateHorzScrollBar(false);
    }
    // A line count with another number of digits widens or narrows the line-number column.
    const int nDigits = LineNumberDigits(GetLineCount());
    if (nDigits != m_nLineNumberDigits) {
        m_nLineNumberDigits = nDigits;
        if (m_bShowLineNumbers)
            OnMarginWidthChanged();
    }
}

void CTextView::OnUndoGroupClosed(int, std::string_view) {
    // The text view does not edit; the edit view fills this in.
}

void CTextView::resizeEvent(QResizeEvent* pEvent) {
    QAbstractScrollArea::resizeEvent(pEvent);
    OnSize();
}

void CTextView::OnSize() {
    m_rcPendingPaint &= viewport()->rect();
    m_pLineBitmap.reset();
    m_mapNumberCells.clear();
    m_nVisibleLines = -1;
    m_nVisibleColumns = -1;
    UpdateVertScrollBar(false);
    UpdateHorzScrollBar(false);
}

void CTextView::changeEvent(QEvent* pEvent) {
    QAbstractScrollArea::changeEvent(pEvent);
    if (pEvent->type() == QEvent::PaletteChange || pEvent->type() == QEvent::StyleChange)
        InvalidateAll();
}
