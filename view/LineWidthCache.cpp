// The width cache with its count of lines per width.
#include "view/LineWidthCache.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr int kNarrowWidths = 4096;

} // namespace

CLineWidthCache::CLineWidthCache() : m_arrNarrowCounts(kNarrowWidths, 0) {}

void CLineWidthCache::Create(int nLines) {
    m_arrWidths.Clear(false);
    m_arrWidths.InsertCopies(0, nLines, WIDTH_UNSET);
    m_nUnset = nLines;
    std::fill(m_arrNarrowCounts.begin(), m_arrNarrowCounts.end(), 0);
    m_mapWideCounts.clear();
    m_nNarrowMax = 0;
    m_bExists = true;
}

void CLineWidthCache::Free() {
    m_arrWidths.Clear(true);
    m_nUnset = 0;
    std::fill(m_arrNarrowCounts.begin(), m_arrNarrowCounts.end(), 0);
    m_mapWideCounts.clear();
    m_nNarrowMax = 0;
    m_bExists = false;
}

void CLineWidthCache::Count(int nWidth, int nDelta) {
    if (nWidth < kNarrowWidths) {
        m_arrNarrowCounts[static_cast<size_t>(nWidth)] += nDelta;
        if (nDelta > 0 && nWidth > m_nNarrowMax)
            m_nNarrowMax = nWidth;
        return;
    }
    auto it = m_mapWideCounts.try_emplace(nWidth, 0).first;
    it->second += nDelta;
    if (it->second == 0)
        m_mapWideCounts.erase(it);
}

void CLineWidthCache::Set(int nLine, int nWidth) {
    assert(nWidth >= 0);
    int& entry = m_arrWidths[nLine];
    if (entry == WIDTH_UNSET)
        --m_nUnset;
    else
        Count(entry, -1);
    entry = nWidth;
    Count(nWidth, +1);
}

void CLineWidthCache::Clear(int nLine) {
    int& entry = m_arrWidths[nLine];
    if (entry == WIDTH_UNSET)
        return;
    Count(entry, -1);
    entry = WIDTH_UNSET;
    ++m_nUnset;
}

void CLineWidthCache::ClearFrom(int nLine) {
    for (int i = nLine; i < Size(); ++i)
        Clear(i);
}

void CLineWidthCache::InsertUnset(int nAt, int nCount) {
    m_arrWidths.InsertCopies(nAt, nCount, WIDTH_UNSET);
    m_nUnset += nCount;
}

void CLineWidthCache::Erase(int nAt, int nCount) {
    for (int i = nAt; i < nAt + nCount; ++i)
        Clear(i);
    m_arrWidths.Erase(nAt, nCount);
    m_nUnset -= nCount;
}

int CLineWidthCache::MaxWidth() const {
    if (!m_mapWideCounts.empty())
        return m_mapWideCounts.rbegin()->first;
    while (m_nNarrowMax > 0 && m_arrNarrowCounts[static_cast<size_t>(m_nNarrowMax)] == 0)
        --m_nNarrowMax;
    return m_nNarrowMax;
}
