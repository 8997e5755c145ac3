// The per-line cache of display widths (in screen columns) and the widest of them.
#pragma once

#include "buffer/GapArray.h"

#include <map>
#include <vector>

// Entries are a width or WIDTH_UNSET. The entries live in a gap array, so lines inserted or
// removed in one place shift the others' widths in O(1) per line instead of clearing them.
// A count of entries per width gives the widest computed line without scanning the lines.
class CLineWidthCache {
public:
    static constexpr int WIDTH_UNSET = -1;

    CLineWidthCache();

    // The cache exists from its first use until Free.
    bool Exists() const { return m_bExists; }
    void Create(int nLines); // nLines entries, all unset
    void Free();

    int Size() const { return m_arrWidths.size(); }
    int Get(int nLine) const { return m_arrWidths[nLine]; }
    void Set(int nLine, int nWidth);
    void Clear(int nLine);
    void ClearFrom(int nLine);
    // nCount unset entries before index nAt; removal of nCount entries from nAt.
    void InsertUnset(int nAt, int nCount);
    void Erase(int nAt, int nCount);

    // How many entries are unset; the widest computed entry (0 when none is computed).
    int UnsetCount() const { return m_nUnset; }
    int MaxWidth() const;

private:
    void Count(int nWidth, int nDelta);

    GapArray<int> m_arrWidths;
    bool m_bExists = false;
    int m_nUnset = 0;
    // Entries per width: narrow widths in a table, the rare wide ones in a map.
    std::vector<int> m_arrNarrowCounts;
    std::map<int, int> m_mapWideCounts;
    mutable int m_nNarrowMax = 0; // no narrow width above it has a count
};
