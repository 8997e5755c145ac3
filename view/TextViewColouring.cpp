// CTextView: the colouring framework: line-end states on demand, colours and styles per index.
#include "view/TextView.h"

#include <algorithm>

#include <QPalette>

uint32_t CTextView::ParseLine(uint32_t, int, ColorBlock*, int&) {
    return 0;
}

bool CTextView::AdvanceParsePoint(int, ParsePoint&, int) {
    return false;
}

void CTextView::ParseLineWindow(int, const ParsePoint&, int, ColorBlock*, int&) {
    // Like ParseLine, the base colours nothing.
}

bool CTextView::FindParsePoint(int nLine, int nPos, ParsePoint& point) {
    const uint32_t dwLineState = GetLineEndState(nLine - 1);
    point = m_LongLines.ParsePointBefore(nLine, GetLineLength(nLine), dwLineState, nPos);
    // On to nPos, keeping a point at every stop on the way for the next time.
    do {
        const int nTo = std::min(CLongLineIndex::NextParseStop(point.nPos), nPos);
        if (!AdvanceParsePoint(nLine, point, nTo))
            return false;
        m_LongLines.StoreParsePoint(nLine, dwLineState, point);
    } while (point.nPos < nPos);
    return true;
}

uint32_t CTextView::GetLineEndState(int nLine) {
    if (!m_LineStates.Exists())
        m_LineStates.Create(GetLineCount());
    if (nLine < 0)
        return 0;
    const uint32_t dwCached = m_LineStates.Get(nLine);
    if (dwCached != LINESTATE_UNSET)
        return dwCached;
    // Computed states form a prefix: continue from its end, storing each state on the way.
    const int nFirst = m_LineStates.ComputedCount();
    uint32_t dwState = nFirst > 0 ? m_LineStates.Get(nFirst - 1) : 0;
    int nScratch = 0;
    for (int k = nFirst; k <= nLine; ++k) {
        dwState = ParseLine(dwState, k, nullptr, nScratch);
        m_LineStates.Store(k, dwState);
    }
    return dwState;
}

QColor CTextView::GetColorValue(int nColorIndex) const {
    // System colours come from the palette at every call, so they follow its changes.
    switch (nColorIndex) {
    case CI_EMPTYAREA:
    case CI_TEXTBACK:
        return palette().color(QPalette::Base);
    case CI_NORMALTEXT:
        return palette().color(QPalette::Text);
    case CI_MARGIN:
        return palette().color(QPalette::Button);
    case CI_SELBACK:
        return QColor(0, 0, 0);
    case CI_SELTEXT:
        return QColor(255, 255, 255);
    case CI_KEYWORD:
        return QColor(0, 128, 0);
    case CI_COMMENT:
        return QColor(128, 128, 128);
    case CI_NUMBER:
        return QColor(255, 0, 255);
    case 9:
        return QColor(0, 0, 0);
    case CI_STRING:
        return QColor(255, 0, 0);
    case 11:
        return QColor(0, 128, 192);
    case CI_STRUCTATOM:
        return QColor(128, 0, 128);
    case CI_ATTRATOM:
        return QColor(0, 0, 255);
    case CI_CURRENTLINE: {
        // A faint shade of the window's background towards the highlight colour, light enough
        // for every text colour to read on it.
        const QColor crBase = palette().color(QPalette::Base);
        const QColor crTowards = palette().color(QPalette::Highlight);
        auto mix = [](int a, int b) { return (a * 90 + b * 10) / 100; };
        return QColor(mix(crBase.red(), crTowards.red()), mix(crBase.green(), crTowards.green()),
                      mix(crBase.blue(), crTowards.blue()));
    }
    case CI_LINENUMBER: {
        // Half way from the margin's background to its text: present, but quieter than text.
        const QColor crBack = palette().color(QPalette::Button);
        const QColor crText = palette().color(QPalette::ButtonText);
        return QColor((crBack.red() + crText.red()) / 2, (crBack.green() + crText.green()) / 2,
                      (crBack.blue() + crText.blue()) / 2);
    }
    default: // 12 to 17 and every index outside the table
        return QColor(255, 0, 0);
    }
}

bool CTextView::IsColorItalic(int) const {
    return false;
}

bool CTextView::IsColorBold(int) const {
    return false;
}
