// Helpers of the view tests.
#include "ViewTestSupport.h"

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QFocusEvent>

std::unique_ptr<CTextBuffer> MakeBuffer(const std::vector<std::string>& lines) {
    auto pBuffer = std::make_unique<CTextBuffer>();
    pBuffer->InitEmpty(EOL_CRLF);
    std::string text;
    for (const std::string& line : lines)
        text += (&line == &lines.front() ? "" : "\r\n") + line;
    int nEndLine = 0, nEndChar = 0;
    pBuffer->RawInsertText(nullptr, 0, 0, text, nEndLine, nEndChar);
    return pBuffer;
}

std::unique_ptr<CTextBuffer> MakeBuffer(std::initializer_list<std::string_view> lines) {
    return MakeBuffer(std::vector<std::string>(lines.begin(), lines.end()));
}

std::unique_ptr<CTextBuffer> MakeNumberedBuffer(int nLines) {
    std::vector<std::string> lines;
    for (int i = 0; i < nLines; ++i)
        lines.push_back("line " + std::to_string(i));
    return MakeBuffer(lines);
}

void BufferInsert(CTextBuffer& buffer, int nLine, int nChar, std::string_view text) {
    int nEndLine = 0, nEndChar = 0;
    buffer.InsertTextAt(nullptr, nLine, nChar, text, nEndLine, nEndChar, EDITACT_TYPING);
}

void BufferDelete(CTextBuffer& buffer, TextPos from, TextPos to) {
    buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE);
}

bool IsCommandEnabled(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI.IsEnabled();
}

std::string Where(const CTextView& view) {
    auto pos = [](TextPos pt) { return std::to_string(pt.x) + "," + std::to_string(pt.y); };
    TextPos ptLow, ptHigh;
    view.GetOrderedSelection(ptLow, ptHigh);
    std::string out = "caret " + pos(view.GetCaretTextPos());
    if (ptLow != view.GetCaretTextPos() || ptHigh != view.GetCaretTextPos())
        out += " sel " + pos(ptLow) + "-" + pos(ptHigh);
    out += " top " + std::to_string(view.GetFirstVisibleLine());
    if (view.GetFirstVisibleColumn() != 0)
        out += " left " + std::to_string(view.GetFirstVisibleColumn());
    return out;
}

std::vector<int> EndColumns(std::string_view line) {
    std::vector<int> ends;
    int c = 0;
    for (const char ch : line) {
        c = ch == '\t' ? c + 4 - c % 4 : c + 1;
        ends.push_back(c);
    }
    return ends;
}

int ModelColumn(const std::vector<int>& ends, int nChar) {
    return nChar == 0 ? 0 : ends[static_cast<size_t>(nChar) - 1];
}

int ModelNearestChar(const std::vector<int>& ends, int nColumn) {
    if (nColumn <= 0)
        return 0;
    const auto it = std::lower_bound(ends.begin(), ends.end(), nColumn);
    if (it == ends.end())
        return static_cast<int>(ends.size());
    return static_cast<int>(it - ends.begin()) + (nColumn <= *it - 2 ? 0 : 1);
}

int ModelCoveringChar(const std::vector<int>& ends, int nColumn) {
    return static_cast<int>(std::upper_bound(ends.begin(), ends.end(), std::max(nColumn, 0)) -
                            ends.begin());
}

void UseDocumentFont(CTextView& view) {
    view.SetBaseFont(CSampleView::DocumentFont());
}

void ShowWithCells(CTextView& view, int nColumns, int nLines) {
    const QSize want(view.GetMarginWidth() + nColumns * view.GetCharWidth(),
                     nLines * view.GetLineHeight());
    view.resize(want + QSize(40, 40));
    view.show();
    QApplication::processEvents();
    // The frame and the bars take what they take: grow the window by what the client lacks.
    const QSize have = view.viewport()->size();
    view.resize(view.size() + (want - have));
    QApplication::processEvents();
    // Focus is the tests' to give, whatever the window system did when the window appeared.
    view.clearFocus();
    TakeFocus(view);
}

void SetUpView(CTextView& view, CTextBuffer* pBuffer, int nColumns, int nLines) {
    view.AttachBuffer(pBuffer);
    UseDocumentFont(view);
    ShowWithCells(view, nColumns, nLines);
}

void GiveFocus(CTextView& view) {
    QFocusEvent event(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(&view, &event);
}

void TakeFocus(CTextView& view) {
    QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&view, &event);
}

QImage Render(CTextView& view) {
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect CellRect(CTextView& view, int nColumn, int nRow) {
    return QRect(view.GetMarginWidth() + nColumn * view.GetCharWidth(), nRow * view.GetLineHeight(),
                 view.GetCharWidth(), view.GetLineHeight());
}

QRect MarginRect(CTextView& view, int nRow) {
    return QRect(0, nRow * view.GetLineHeight(), view.GetMarginWidth(), view.GetLineHeight());
}

int CountPixels(const QImage& image, const QRect& rc, const QColor& cr, int nTolerance) {
    int nCount = 0;
    const QRect rcIn = rc & image.rect();
    for (int y = rcIn.top(); y <= rcIn.bottom(); ++y) {
        for (int x = rcIn.left(); x <= rcIn.right(); ++x) {
            const QColor px = image.pixelColor(x, y);
            nCount += std::abs(px.red() - cr.red()) <= nTolerance &&
                      std::abs(px.green() - cr.green()) <= nTolerance &&
                      std::abs(px.blue() - cr.blue()) <= nTolerance;
        }
    }
    return nCount;
}

bool IsFilled(const QImage& image, const QRect& rc, const QColor& cr) {
    return !rc.isEmpty() && image.rect().contains(rc) &&
           CountPixels(image, rc, cr) == rc.width() * rc.height();
}
