// CTextView: the search engine over the view's own lines, selecting a match, and the Find,
// Find Next and Find Previous commands with the last search each view remembers.
#include "view/FindDialog.h"
#include "view/TextTransfer.h"
#include "view/TextView.h"

#include <QSettings>

namespace {

// The profile group of the Find dialog and its values; the direction is not stored.
// clang-format off
constexpr char PROFILE_FIND_SECTION[]    = "TextEdit/Find";
constexpr char PROFILE_FIND_MATCHCASE[]  = "MatchCase";
constexpr char PROFILE_FIND_WHOLEWORD[]  = "WholeWord";
constexpr char PROFILE_FIND_FINDWHAT[]   = "FindWhat";
// clang-format on

// The view's lines as the engine reads them, in place.
class CViewLines final : public CLineSource {
public:
    explicit CViewLines(const CTextView& view) : m_view(view) {}

    int GetLineCount() const override { return m_view.GetLineCount(); }
    std::string_view GetLine(int nLine) const override {
        const char* pChars = m_view.GetLineText(nLine);
        if (!pChars)
            return {};
        return {pChars, static_cast<size_t>(m_view.GetLineLength(nLine))};
    }

private:
    const CTextView& m_view;
};

} // namespace

bool CTextView::FindInRange(std::string_view pattern, TextPos ptStart, TextPos ptBegin,
                            TextPos ptEnd, uint32_t dwFlags, bool bWrap, TextPos& ptFound) const {
    return ::FindInRange(CViewLines(*this), pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap,
                         ptFound);
}

bool CTextView::FindInDocument(std::string_view pattern, TextPos ptStart, uint32_t dwFlags,
                               bool bWrap, TextPos& ptFound) const {
    return ::FindInDocument(CViewLines(*this), pattern, ptStart, dwFlags, bWrap, ptFound);
}

bool CTextView::SelectFoundText(TextPos ptStart, int nLength) {
    // The sticky column stays: a match is no vertical move.
    m_ptCaret = {ptStart.x + nLength, ptStart.y};
    m_ptSelAnchor = m_ptCaret;
    SetSelectionRange(ptStart, m_ptCaret);
    RefreshCaret();
    ScrollCaretIntoView(m_ptCaret);
    return true;
}

TextPos CTextView::GetUpwardSearchStart() {
    TextPos ptLow, ptHigh;
    GetOrderedSelection(ptLow, ptHigh);
    return ptLow != ptHigh ? ptLow : m_ptCaret;
}

void CTextView::ShowSelectionInactive(bool bShow) {
    m_bShowSelectionInactive = bShow;
    if (!m_bHasFocus && m_ptSelFrom != m_ptSelTo)
        InvalidateLineRange(m_ptSelFrom.y, m_ptSelTo.y);
}

void CTextView::OnEditFind(unsigned) {
    CFindDialog dlg(this);
    if (m_bHaveLastSearch) {
        dlg.m_bMatchCase = (m_dwLastFindFlags & SEARCH_MATCHCASE) != 0;
        dlg.m_bWholeWord = (m_dwLastFindFlags & SEARCH_WHOLEWORD) != 0;
        dlg.m_nDirection = (m_dwLastFindFlags & SEARCH_UPWARD) ? 0 : 1;
        dlg.m_sFindWhat = BytesToText(m_strLastSearchText);
    } else {
        QSettings settings;
        settings.beginGroup(QLatin1String(PROFILE_FIND_SECTION));
        dlg.m_bMatchCase = settings.value(QLatin1String(PROFILE_FIND_MATCHCASE), 0).toInt() != 0;
        dlg.m_bWholeWord = settings.value(QLatin1String(PROFILE_FIND_WHOLEWORD), 0).toInt() != 0;
        dlg.m_nDirection = 1;
        dlg.m_sFindWhat = settings.value(QLatin1String(PROFILE_FIND_FINDWHAT)).toString();
    }
    // A selection within one line is what the user wants to find.
    TextPos ptLow, ptHigh;
    GetOrderedSelection(ptLow, ptHigh);
    if (ptLow != ptHigh && ptLow.y == ptHigh.y) {
        dlg.m_sFindWhat = BytesToText(std::string_view(GetLineText(ptLow.y) + ptLow.x,
                                                       static_cast<size_t>(ptHigh.x - ptLow.x)));
    }
    dlg.m_ptStartPos = m_ptCaret;
    dlg.m_ptUpStartPos = GetUpwardSearchStart();

    ShowSelectionInactive(true);
    dlg.DoModal();
    ShowSelectionInactive(false);

    // However the dialog closed, what it showed last becomes the last search; a text with a
    // character the document cannot hold leaves nothing to repeat, and only the profile keeps it
    // for the next dialog.
    const ConvertedText pattern = TextToBytes(dlg.m_sFindWhat);
    m_bHaveLastSearch = pattern.IsComplete();
    m_strLastSearchText = pattern.IsComplete() ? pattern.bytes : std::string();
    m_dwLastFindFlags = MakeSearchFlags(dlg.m_bMatchCase, dlg.m_bWholeWord, dlg.m_nDirection == 0);

    QSettings settings;
    settings.beginGroup(QLatin1String(PROFILE_FIND_SECTION));
    settings.setValue(QLatin1String(PROFILE_FIND_MATCHCASE), dlg.m_bMatchCase ? 1 : 0);
    settings.setValue(QLatin1String(PROFILE_FIND_WHOLEWORD), dlg.m_bWholeWord ? 1 : 0);
    settings.setValue(QLatin1String(PROFILE_FIND_FINDWHAT), dlg.m_sFindWhat);
}

void CTextView::OnEditRepeat(unsigned) {
    if (!m_bHaveLastSearch)
        return;
    // Upward the search starts before the selection, as the caret sits at the end of the
    // match just found: each repeat moves on to the one before.
    const TextPos ptStart =
        (m_dwLastFindFlags & SEARCH_UPWARD) ? GetUpwardSearchStart() : m_ptCaret;
    TextPos ptFound;
    if (FindInDocument(m_strLastSearchText, ptStart, m_dwLastFindFlags, true, ptFound)) {
        SelectFoundText(ptFound, static_cast<int>(m_strLastSearchText.size()));
        return;
    }
    ShowCannotFindString(BytesToText(m_strLastSearchText));
}

void CTextView::OnFindPrevious(unsigned nId) {
    const uint32_t dwFlags = m_dwLastFindFlags;
    m_dwLastFindFlags ^= SEARCH_UPWARD;
    OnEditRepeat(nId);
    m_dwLastFindFlags = dwFlags;
}

void CTextView::OnUpdateEditRepeat(CCmdUI& cmdUI) {
    cmdUI.Enable(m_bHaveLastSearch);
}
