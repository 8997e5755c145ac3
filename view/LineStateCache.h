// The per-line cache of parser states: entry k is the state at the end of line k.
#pragma once

#include <cstdint>
#include <vector>

// States are computed forwards from line 0 and invalidated from a line to the end, so the
// computed entries always form a prefix: the cache keeps that prefix and its logical size,
// and every entry past the prefix is LINESTATE_UNSET. Changes of the line count and
// invalidation are therefore O(1), however long the document.
class CLineStateCache {
public:
    // The cache exists from its first use until Free.
    bool Exists() const { return m_bExists; }
    void Create(int nLines);
    void Free();

    // One entry per line at the time of creation or the last resize.
    int Size() const { return m_nSize; }
    // Entries 0 .. ComputedCount() - 1 hold computed states.
    int ComputedCount() const { return static_cast<int>(m_arrStates.size()); }

    // The entry of nLine, or LINESTATE_UNSET.
    uint32_t Get(int nLine) const;
    // Stores the state of a line within the prefix or right after it; the state of a later
    // line cannot be known without those before it and is not kept.
    void Store(int nLine, uint32_t dwState);
    // Entries from nLine to the end become unset.
    void InvalidateFrom(int nLine);
    // A new size; entries before the first changed line are kept by InvalidateFrom.
    void Resize(int nLines);

private:
    std::vector<uint32_t> m_arrStates; // the computed prefix
    int m_nSize = 0;
    bool m_bExists = false;
};
