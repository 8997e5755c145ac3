// The parser-state cache as a computed prefix.
#include "view/LineStateCache.h"

#include "language/ColorBlock.h"

#include <algorithm>

void CLineStateCache::Create(int nLines) {
    m_arrStates.clear();
    m_nSize = std::max(nLines, 0);
    m_bExists = true;
}

void CLineStateCache::Free() {
    std::vector<uint32_t>().swap(m_arrStates);
    m_nSize = 0;
    m_bExists = false;
}

uint32_t CLineStateCache::Get(int nLine) const {
    if (nLine < 0 || nLine >= ComputedCount())
        return LINESTATE_UNSET;
    return m_arrStates[static_cast<size_t>(nLine)];
}

void CLineStateCache::Store(int nLine, uint32_t dwState) {
    if (nLine < 0 || nLine >= m_nSize)
        return;
    if (nLine < ComputedCount())
        m_arrStates[static_cast<size_t>(nLine)] = dwState;
    else if (nLine == ComputedCount())
        m_arrStates.push_back(dwState);
}

void CLineStateCache::InvalidateFrom(int nLine) {
    if (nLine < ComputedCount())
        m_arrStates.resize(static_cast<size_t>(std::max(nLine, 0)));
}

void CLineStateCache::Resize(int nLines) {
    m_nSize = std::max(nLines, 0);
    InvalidateFrom(m_nSize);
}
