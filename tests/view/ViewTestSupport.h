// Helpers of the view tests: probe views that expose their state, buffers from line lists,
// sizing a view to a number of character cells, rendering and reading pixels.
#pragma once

#include "app/SampleView.h"
#include "buffer/TextBuffer.h"
#include "view/TextView.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QImage>

// A view whose protected state the tests read and set.
template <typename TView>
class TProbe : public TView {
public:
    using TView::m_bDragPending;
    using TView::m_bDragSourceActive;
    using TView::m_bHorzScrollFrozen;
    using TView::m_bSelectLines;
    using TView::m_bSelectWords;
    using TView::m_bShowSelectionInactive;
    using TView::m_cyLine;
    using TView::m_LineColumns;
    using TView::m_LineStates;
    using TView::m_nMaxLineColumns;
    using TView::m_nStickyColumn;
    using TView::m_pLineBitmap;
    using TView::m_ptCaret;
    using TView::m_ptDraggedFrom;
    using TView::m_ptDraggedTo;
    using TView::m_ptSelAnchor;
    using TView::m_rcPendingPaint;
};

using CProbeView = TProbe<CTextView>;
using CProbeSampleView = TProbe<CSampleView>;

// A buffer holding exactly these lines; one of n lines "line 0", "line 1", ...
std::unique_ptr<CTextBuffer> MakeBuffer(const std::vector<std::string>& lines);
std::unique_ptr<CTextBuffer> MakeBuffer(std::initializer_list<std::string_view> lines);
std::unique_ptr<CTextBuffer> MakeNumberedBuffer(int nLines);
// Edits as typing and deleting make them, without a view that made them.
void BufferInsert(CTextBuffer& buffer, int nLine, int nChar, std::string_view text);
void BufferDelete(CTextBuffer& buffer, TextPos from, TextPos to);
// Whether the view's update handlers enable command nId.
bool IsCommandEnabled(CTextView& view, unsigned nId);
// Caret, selection (unless it is empty at the caret) and scroll position in one line, e.g.
// "caret 2,23 sel 2,14-2,23 top 18 left 3" (left only when not 0).
std::string Where(const CTextView& view);
// Tab mapping as a plain walk, tabs of four: the end column of every character of a line; from
// those, the column where a character starts, the character nearest to a column (before a
// character when the column lies at least half a tab before its end) and the one covering it.
std::vector<int> EndColumns(std::string_view line);
int ModelColumn(const std::vector<int>& ends, int nChar);
int ModelNearestChar(const std::vector<int>& ends, int nColumn);
int ModelCoveringChar(const std::vector<int>& ends, int nColumn);

// The document font, so that cells have a known, fixed size; a client area of exactly nColumns
// by nLines cells beside the margin; both with the buffer attached.
void UseDocumentFont(CTextView& view);
void ShowWithCells(CTextView& view, int nColumns, int nLines);
void SetUpView(CTextView& view, CTextBuffer* pBuffer, int nColumns, int nLines);

// A shown view of nColumns by nLines cells on a buffer of its own.
template <typename TView>
struct TShownView {
    explicit TShownView(std::unique_ptr<CTextBuffer> pText, int nColumns = 20, int nLines = 10)
        : pBuffer(std::move(pText)) {
        SetUpView(view, pBuffer.get(), nColumns, nLines);
    }
    std::unique_ptr<CTextBuffer> pBuffer;
    TView view; // after the buffer: destroyed first, so it detaches from a live buffer
};
using CShownView = TShownView<CProbeView>;

// The view's focus handling, without depending on the window system's activation.
void GiveFocus(CTextView& view);
void TakeFocus(CTextView& view);
// The client area as painted now; the rectangle of screen cell (column, row) of the text area,
// and of a row's margin.
QImage Render(CTextView& view);
QRect CellRect(CTextView& view, int nColumn, int nRow);
QRect MarginRect(CTextView& view, int nRow);
// Pixels of `rc` in `image` whose colour is within `nTolerance` of `cr` in every channel;
// whether every pixel of `rc` has colour `cr`.
int CountPixels(const QImage& image, const QRect& rc, const QColor& cr, int nTolerance = 0);
bool IsFilled(const QImage& image, const QRect& rc, const QColor& cr);
