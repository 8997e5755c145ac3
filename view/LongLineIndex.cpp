// The places of long lines and how edits move them.
#include "view/LongLineIndex.h"

#include <algorithm>

namespace {

// The last place at or before nChar; places are ordered by character and start at 0.
size_t PlaceIndexAtChar(const std::vector<TabWalk>& arrPlaces, int nChar) {
    const auto it = std::upper_bound(arrPlaces.begin(), arrPlaces.end(), nChar,
                                     [](int n, const TabWalk& place) { return n < place.nChar; });
    return static_cast<size_t>(it - arrPlaces.begin()) - 1;
}

} // namespace

CLongLineIndex::LineIndex* CLongLineIndex::Find(int nLine) {
    const auto it = std::lower_bound(m_arrLines.begin(), m_arrLines.end(), nLine,
                                     [](const LineIndex& index, int n) { return index.nLine < n; });
    return it != m_arrLines.end() && it->nLine == nLine ? &*it : nullptr;
}

CLongLineIndex::LineIndex& CLongLineIndex::Get(int nLine, int nLength) {
    auto it = std::lower_bound(m_arrLines.begin(), m_arrLines.end(), nLine,
                               [](const LineIndex& index, int n) { return index.nLine < n; });
    if (it == m_arrLines.end() || it->nLine != nLine)
        it = m_arrLines.insert(it, LineIndex{nLine, -1, {}, 0, {}});
    // A line changed without a notification that says how is measured anew.
    if (it->nLength != nLength) {
        it->nLength = nLength;
        it->arrPlaces.assign(1, TabWalk());
        it->arrParse.clear();
    }
    return *it;
}

TabWalk CLongLineIndex::PlaceAt(LineIndex& index, const char* pText, int nChar) {
    std::vector<TabWalk>& arrPlaces = index.arrPlaces;
    const size_t k = PlaceIndexAtChar(arrPlaces, nChar);
    TabWalk walk = arrPlaces[k];
    if (nChar - walk.nChar > SPACING) {
        std::vector<TabWalk> arrNew;
        while (nChar - walk.nChar > SPACING) {
            WalkToChar(pText, walk, walk.nChar + SPACING, m_nTabWidth);
            arrNew.push_back(walk);
        }
        arrPlaces.insert(arrPlaces.begin() + static_cast<std::ptrdiff_t>(k) + 1, arrNew.begin(),
                         arrNew.end());
    }
    WalkToChar(pText, walk, nChar, m_nTabWidth);
    return walk;
}

void CLongLineIndex::CoverLine(LineIndex& index, const char* pText) {
    if (index.nLength - index.arrPlaces.back().nChar > SPACING)
        PlaceAt(index, pText, index.nLength);
}

int CLongLineIndex::CharToColumn(int nLine, const char* pText, int nLength, int nChar) {
    LineIndex& index = Get(nLine, nLength);
    return PlaceAt(index, pText, std::clamp(nChar, 0, nLength)).nColumn;
}

int CLongLineIndex::ColumnToChar(int nLine, const char* pText, int nLength, int nColumn) {
    if (nColumn <= 0)
        return 0;
    LineIndex& index = Get(nLine, nLength);
    CoverLine(index, pText);
    // The last place before the column: every character before it ends left of the column.
    const auto it = std::lower_bound(index.arrPlaces.begin(), index.arrPlaces.end(), nColumn,
                                     [](const TabWalk& place, int n) { return place.nColumn < n; });
    return ColumnToCharFrom(pText, nLength, *(it - 1), nColumn, m_nTabWidth);
}

int CLongLineIndex::CharAtColumn(int nLine, const char* pText, int nLength, int nColumn) {
    nColumn = std::max(nColumn, 0);
    LineIndex& index = Get(nLine, nLength);
    CoverLine(index, pText);
    // The last place at or before the column: no character before it covers the column.
    const auto it = std::upper_bound(index.arrPlaces.begin(), index.arrPlaces.end(), nColumn,
                                     [](int n, const TabWalk& place) { return n < place.nColumn; });
    return CharAtColumnFrom(pText, nLength, *(it - 1), nColumn, m_nTabWidth);
}

ParsePoint CLongLineIndex::ParsePointBefore(int nLine, int nLength, uint32_t dwLineState,
                                            int nPos) {
    LineIndex& index = Get(nLine, nLength);
    if (index.dwParseState != dwLineState) {
        index.arrParse.clear();
        index.dwParseState = dwLineState;
    }
    const size_t k =
        std::min(static_cast<size_t>(std::max(nPos, 0) / SPACING), index.arrParse.size());
    return k == 0 ? ParsePoint{0, dwLineState, 0} : index.arrParse[k - 1];
}

void CLongLineIndex::StoreParsePoint(int nLine, uint32_t dwLineState, const ParsePoint& point) {
    LineIndex* pIndex = Find(nLine);
    if (!pIndex || pIndex->dwParseState != dwLineState)
        return;
    if (point.nPos == static_cast<int>(pIndex->arrParse.size() + 1) * SPACING)
        pIndex->arrParse.push_back(point);
}

void CLongLineIndex::OnTextReplaced(int nLine, int nPos, int nRemoved, int nInserted,
                                    const char* pText, int nLength) {
    LineIndex* pIndex = Find(nLine);
    if (!pIndex)
        return;
    if (!IsLong(nLength) || pIndex->nLength != nLength - nInserted + nRemoved) {
        Forget(nLine);
        return;
    }
    pIndex->nLength = nLength;
    // What the parser saw before nPos is unchanged; everything after may colour differently.
    pIndex->arrParse.resize(std::min(pIndex->arrParse.size(), static_cast<size_t>(nPos / SPACING)));

    // Places up to nPos stay; those in the removed text go; the inserted text gets new ones.
    std::vector<TabWalk>& arrPlaces = pIndex->arrPlaces;
    const int nOldEnd = nPos + nRemoved;
    const int nNewEnd = nPos + nInserted;
    const size_t k = PlaceIndexAtChar(arrPlaces, nPos);
    const size_t nFirstBehind = PlaceIndexAtChar(arrPlaces, nOldEnd) + 1;
    TabWalk walk = arrPlaces[k];
    std::vector<TabWalk> arrNew;
    while (nNewEnd - walk.nChar > SPACING) {
        WalkToChar(pText, walk, walk.nChar + SPACING, m_nTabWidth);
        arrNew.push_back(walk);
    }
    WalkToChar(pText, walk, nNewEnd, m_nTabWidth);
    const TabWalk after = walk; // where the text behind the edit starts now

    // A place behind the edit with no tab between the edit and itself keeps its distance from
    // the edit's end. Behind the first tab there, all columns shift by the same amount, as
    // that tab ends on a tab stop before and after the edit: one walk measures it.
    const int nShift = nInserted - nRemoved;
    TabWalk previous = after;
    bool bHaveTabShift = false;
    int nTabShift = 0;
    for (size_t i = nFirstBehind; i < arrPlaces.size(); ++i) {
        TabWalk& place = arrPlaces[i];
        const TabWalk old = place;
        place.nChar += nShift;
        if (old.nLastTab < nOldEnd) {
            place.nColumn = after.nColumn + (old.nChar - nOldEnd);
            place.nLastTab = after.nLastTab;
        } else {
            if (!bHaveTabShift) {
                TabWalk measured = previous;
                WalkToChar(pText, measured, place.nChar, m_nTabWidth);
                nTabShift = measured.nColumn - old.nColumn;
                bHaveTabShift = true;
            }
            place.nColumn = old.nColumn + nTabShift;
            place.nLastTab = old.nLastTab + nShift;
        }
        previous = place;
    }
    const auto itFirst = arrPlaces.begin() + static_cast<std::ptrdiff_t>(k) + 1;
    arrPlaces.erase(itFirst, arrPlaces.begin() + static_cast<std::ptrdiff_t>(nFirstBehind));
    arrPlaces.insert(arrPlaces.begin() + static_cast<std::ptrdiff_t>(k) + 1, arrNew.begin(),
                     arrNew.end());
}

void CLongLineIndex::Truncate(int nLine, int nPos, int nLength) {
    LineIndex* pIndex = Find(nLine);
    if (!pIndex)
        return;
    if (!IsLong(nLength)) {
        Forget(nLine);
        return;
    }
    pIndex->nLength = nLength;
    pIndex->arrParse.resize(std::min(pIndex->arrParse.size(), static_cast<size_t>(nPos / SPACING)));
    pIndex->arrPlaces.resize(PlaceIndexAtChar(pIndex->arrPlaces, nPos) + 1);
}

void CLongLineIndex::InsertLines(int nAt, int nCount) {
    for (LineIndex& index : m_arrLines) {
        if (index.nLine >= nAt)
            index.nLine += nCount;
    }
}

void CLongLineIndex::RemoveLines(int nAt, int nCount) {
    std::erase_if(m_arrLines, [nAt, nCount](const LineIndex& index) {
        return index.nLine >= nAt && index.nLine < nAt + nCount;
    });
    for (LineIndex& index : m_arrLines) {
        if (index.nLine >= nAt)
            index.nLine -= nCount;
    }
}

void CLongLineIndex::Forget(int nLine) {
    std::erase_if(m_arrLines, [nLine](const LineIndex& index) { return index.nLine == nLine; });
}

void CLongLineIndex::ForgetFrom(int nLine) {
    std::erase_if(m_arrLines, [nLine](const LineIndex& index) { return index.nLine >= nLine; });
}

void CLongLineIndex::Clear() {
    std::vector<LineIndex>().swap(m_arrLines);
}
