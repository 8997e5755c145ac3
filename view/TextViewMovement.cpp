// CTextView: the keyboard's caret movement with and without Shift, scrolling by one line or
// column, and Select All.
#include "resources/CommandIds.h"
#include "view/MovementRules.h"
#include "view/TextView.h"

#include <algorithm>

namespace {

struct MoveCommand {
    unsigned nId;
    void (CTextView::*pfnMove)(bool bExtend);
    bool bExtend;
};

// clang-format off
constexpr MoveCommand kMoveCommands[] = {
    {ID_MOVE_CHAR_LEFT,       &CTextView::MoveCharLeft,    false},
    {ID_MOVE_CHAR_LEFT_EXT,   &CTextView::MoveCharLeft,    true},
    {ID_MOVE_CHAR_RIGHT,      &CTextView::MoveCharRight,   false},
    {ID_MOVE_CHAR_RIGHT_EXT,  &CTextView::MoveCharRight,   true},
    {ID_MOVE_WORD_LEFT,       &CTextView::MoveByWordLeft,  false},
    {ID_MOVE_WORD_LEFT_EXT,   &CTextView::MoveByWordLeft,  true},
    {ID_MOVE_WORD_RIGHT,      &CTextView::MoveByWordRight, false},
    {ID_MOVE_WORD_RIGHT_EXT,  &CTextView::MoveByWordRight, true},
    {ID_MOVE_LINE_UP,         &CTextView::MoveLineUp,      false},
    {ID_MOVE_LINE_UP_EXT,     &CTextView::MoveLineUp,      true},
    {ID_MOVE_LINE_DOWN,       &CTextView::MoveLineDown,    false},
    {ID_MOVE_LINE_DOWN_EXT,   &CTextView::MoveLineDown,    true},
    {ID_MOVE_PAGE_UP,         &CTextView::MovePageUp,      false},
    {ID_MOVE_PAGE_UP_EXT,     &CTextView::MovePageUp,      true},
    {ID_MOVE_PAGE_DOWN,       &CTextView::MovePageDown,    false},
    {ID_MOVE_PAGE_DOWN_EXT,   &CTextView::MovePageDown,    true},
    {ID_MOVE_LINE_END,        &CTextView::MoveToLineEnd,   false},
    {ID_MOVE_LINE_END_EXT,    &CTextView::MoveToLineEnd,   true},
    {ID_MOVE_LINE_START,      &CTextView::MoveToLineStart, false},
    {ID_MOVE_LINE_START_EXT,  &CTextView::MoveToLineStart, true},
    {ID_MOVE_DOC_START,       &CTextView::MoveToDocStart,  false},
    {ID_MOVE_DOC_START_EXT,   &CTextView::MoveToDocStart,  true},
    {ID_MOVE_DOC_END,         &CTextView::MoveToDocEnd,    false},
    {ID_MOVE_DOC_END_EXT,     &CTextView::MoveToDocEnd,    true},
};
// clang-format on

} // namespace

void CTextView::OnMoveCommand(unsigned nId) {
    for (const MoveCommand& move : kMoveCommands) {
        if (move.nId == nId) {
            (this->*move.pfnMove)(move.bExtend);
            return;
        }
    }
}

void CTextView::OnScrollCommand(unsigned nId) {
    if (nId == ID_SCROLL_LINE_UP)
        ScrollLineUp();
    else
        ScrollLineDown();
}

void CTextView::OnEditSelectAll(unsigned) {
    SelectAllText();
}

void CTextView::FinishMove(bool bExtend, bool bSetStickyColumn) {
    if (bSetStickyColumn)
        m_nStickyColumn = CharToColumn(m_ptCaret.y, m_ptCaret.x);
    ScrollCaretIntoView(m_ptCaret);
    RefreshCaret();
    if (!bExtend)
        m_ptSelAnchor = m_ptCaret;
    SetSelectionRange(m_ptSelAnchor, m_ptCaret);
}

bool CTextView::CollapseSelection(bool bExtend, bool bToHigh) {
    const auto [ptLow, ptHigh] = std::minmax(m_ptSelFrom, m_ptSelTo);
    if (ptLow == ptHigh || bExtend)
        return false;
    m_ptCaret = bToHigh ? ptHigh : ptLow;
    return true;
}

TextPos CTextView::PositionAfterLine(int nLine) const {
    if (nLine < GetLineCount() - 1)
        return {0, nLine + 1};
    return {GetLineLength(nLine), nLine};
}

void CTextView::MoveCharLeft(bool bExtend) {
    if (!CollapseSelection(bExtend, false)) {
        if (m_ptCaret.x > 0)
            --m_ptCaret.x;
        else if (m_ptCaret.y > 0)
            m_ptCaret = {GetLineLength(m_ptCaret.y - 1), m_ptCaret.y - 1};
    }
    FinishMove(bExtend);
}

void CTextView::MoveCharRight(bool bExtend) {
    if (!CollapseSelection(bExtend, true)) {
        if (m_ptCaret.x < GetLineLength(m_ptCaret.y))
            ++m_ptCaret.x;
        else if (m_ptCaret.y < GetLineCount() - 1)
            m_ptCaret = {0, m_ptCaret.y + 1};
    }
    FinishMove(bExtend);
}

void CTextView::MoveByWordLeft(bool bExtend) {
    if (m_ptSelFrom != m_ptSelTo && !bExtend) {
        MoveCharLeft(false);
        return;
    }
    if (m_ptCaret == TextPos{0, 0})
        return;
    if (m_ptCaret.x == 0)
        m_ptCaret = {GetLineLength(m_ptCaret.y - 1), m_ptCaret.y - 1};
    m_ptCaret.x = WordLeftIndex(GetLineText(m_ptCaret.y), GetLineLength(m_ptCaret.y), m_ptCaret.x);
    FinishMove(bExtend);
}

void CTextView::MoveByWordRight(bool bExtend) {
    if (m_ptSelFrom != m_ptSelTo && !bExtend) {
        MoveCharRight(false);
        return;
    }
    const int nLast = GetLineCount() - 1;
    if (m_ptCaret.y == nLast && m_ptCaret.x == GetLineLength(nLast))
        return;
    if (m_ptCaret.x == GetLineLength(m_ptCaret.y))
        m_ptCaret = {0, m_ptCaret.y + 1};
    const int nLength = GetLineLength(m_ptCaret.y);
    if (nLength == 0) {
        MoveCharRight(bExtend);
        return;
    }
    m_ptCaret.x = WordRightIndex(GetLineText(m_ptCaret.y), nLength, m_ptCaret.x);
    FinishMove(bExtend);
}

void CTextView::MoveLineUp(bool bExtend) {
    CollapseSelection(bExtend, false);
    if (m_ptCaret.y > 0) {
        if (m_nStickyColumn == -1)
            m_nStickyColumn = CharToColumn(m_ptCaret.y, m_ptCaret.x);
        --m_ptCaret.y;
        m_ptCaret.x = ColumnToChar(m_ptCaret.y, m_nStickyColumn);
    }
    FinishMove(bExtend, false);
}

void CTextView::MoveLineDown(bool bExtend) {
    CollapseSelection(bExtend, true);
    if (m_ptCaret.y < GetLineCount() - 1) {
        if (m_nStickyColumn == -1)
            m_nStickyColumn = CharToColumn(m_ptCaret.y, m_ptCaret.x);
        ++m_ptCaret.y;
        m_ptCaret.x = ColumnToChar(m_ptCaret.y, m_nStickyColumn);
    }
    FinishMove(bExtend, false);
}

// A page keeps one line of the old page in view. A window lower than two lines still moves by
// one line, in the direction asked for.
void CTextView::MovePageUp(bool bExtend) {
    const int nStep = std::max(GetVisibleLineCount() - 1, 1);
    const int nTop = std::max(m_nFirstVisibleLine - nStep, 0);
    if (nTop != m_nFirstVisibleLine)
        ScrollPanesToLine(nTop);
    m_ptCaret.y = std::max(m_ptCaret.y - nStep, 0);
    m_ptCaret.x = std::min(m_ptCaret.x, GetLineLength(m_ptCaret.y));
    FinishMove(bExtend);
}

void CTextView::MovePageDown(bool bExtend) {
    const int nStep = std::max(GetVisibleLineCount() - 1, 1);
    const int nLast = GetLineCount() - 1;
    const int nTop = std::min(m_nFirstVisibleLine + nStep, nLast);
    if (nTop != m_nFirstVisibleLine)
        ScrollPanesToLine(nTop);
    m_ptCaret.y = std::min(m_ptCaret.y + nStep, nLast);
    m_ptCaret.x = std::min(m_ptCaret.x, GetLineLength(m_ptCaret.y));
    FinishMove(bExtend);
}

void CTextView::MoveToLineStart(bool bExtend) {
    m_ptCaret.x = SmartHomeIndex(GetLineText(m_ptCaret.y), GetLineLength(m_ptCaret.y), m_ptCaret.x);
    FinishMove(bExtend);
}

void CTextView::MoveToLineEnd(bool bExtend) {
    m_ptCaret.x = GetLineLength(m_ptCaret.y);
    FinishMove(bExtend);
}

void CTextView::MoveToDocStart(bool bExtend) {
    m_ptCaret = {0, 0};
    FinishMove(bExtend);
}

void CTextView::MoveToDocEnd(bool bExtend) {
    const int nLast = GetLineCount() - 1;
    m_ptCaret = {GetLineLength(nLast), nLast};
    FinishMove(bExtend);
}

void CTextView::ScrollLineUp() {
    if (m_nFirstVisibleLine > 0)
        ScrollPanesToLine(m_nFirstVisibleLine - 1);
}

void CTextView::ScrollLineDown() {
    if (m_nFirstVisibleLine < GetLineCount() - 1)
        ScrollPanesToLine(m_nFirstVisibleLine + 1);
}

// The panes of one column share the horizontal position, so they follow.
void CTextView::ScrollColumnLeft() {
    if (m_nFirstVisibleColumn > 0)
        ScrollPanesToColumn(m_nFirstVisibleColumn - 1);
}

void CTextView::ScrollColumnRight() {
    if (m_nFirstVisibleColumn < GetMaxLineColumns() - 1)
        ScrollPanesToColumn(m_nFirstVisibleColumn + 1);
}

void CTextView::SelectAllText() {
    const int nLast = GetLineCount() - 1;
    m_ptCaret = {GetLineLength(nLast), nLast};
    SetSelectionRange({0, 0}, m_ptCaret);
    RefreshCaret();
}

TextPos CTextView::WordStartAt(TextPos pos) const {
    return {WordStartIndex(GetLineText(pos.y), GetLineLength(pos.y), pos.x), pos.y};
}

TextPos CTextView::WordEndAt(TextPos pos) const {
    return {WordEndIndex(GetLineText(pos.y), GetLineLength(pos.y), pos.x), pos.y};
}

void CTextView::PutCaretAt(TextPos pos) {
    SetSelAnchor(pos);
    SetSelectionRange(pos, pos);
    PlaceCaret(pos);
    ScrollCaretIntoView(pos);
}
