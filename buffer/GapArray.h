// A growable array with a movable gap: runs of insertions and removals at one place cost
// O(1) each after the first, however long the array is. Used for the line array.
#pragma once

#include "buffer/BigAlloc.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <type_traits>

template <typename T>
class GapArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memmove");

public:
    GapArray() = default;
    GapArray(const GapArray&) = delete;
    GapArray& operator=(const GapArray&) = delete;
    ~GapArray() { BigFree(m_pData, Bytes(m_nCapacity)); }

    int size() const { return m_nSize; }
    bool empty() const { return m_nSize == 0; }
    int capacity() const { return m_nCapacity; }

    T& operator[](int i) {
        assert(i >= 0 && i < m_nSize);
        return m_pData[i < m_nGapStart ? i : i + GapLength()];
    }
    const T& operator[](int i) const {
        assert(i >= 0 && i < m_nSize);
        return m_pData[i < m_nGapStart ? i : i + GapLength()];
    }

    // Entries added when the gap is full: a fixed step when one is set, otherwise an
    // eighth of the current size, at least 4 and at most 1024.
    void SetGrowBy(int nGrowBy) { m_nGrowBy = nGrowBy; }

    // Makes room for at least n entries in all; never shrinks.
    void Reserve(int n) {
        if (n > m_nCapacity)
            Reallocate(n);
    }

    void Insert(int i, const T& value) {
        assert(i >= 0 && i <= m_nSize);
        if (GapLength() == 0)
            Reallocate(m_nCapacity + GrowthStep());
        MoveGapTo(i);
        m_pData[m_nGapStart++] = value;
        ++m_nSize;
    }

    void PushBack(const T& value) { Insert(m_nSize, value); }

    // Removes `count` entries from index i on. The allocation stays.
    void Erase(int i, int count) {
        assert(i >= 0 && count >= 0 && i + count <= m_nSize);
        MoveGapTo(i);
        m_nSize -= count;
    }

    // Removes every entry; with `release` the allocation is freed too.
    void Clear(bool release) {
        m_nSize = 0;
        m_nGapStart = 0;
        if (release) {
            BigFree(m_pData, Bytes(m_nCapacity));
            m_pData = nullptr;
            m_nCapacity = 0;
        }
    }

private:
    int GapLength() const { return m_nCapacity - m_nSize; }

    int GrowthStep() const {
        if (m_nGrowBy > 0)
            return m_nGrowBy;
        return std::clamp(m_nSize / 8, 4, 1024);
    }

    // Moves the gap so that it starts at index i.
    void MoveGapTo(int i) {
        const int gap = GapLength();
        if (i < m_nGapStart) {
            std::memmove(m_pData + i + gap, m_pData + i, sizeof(T) * (m_nGapStart - i));
        } else if (i > m_nGapStart) {
            std::memmove(m_pData + m_nGapStart, m_pData + m_nGapStart + gap,
                         sizeof(T) * (i - m_nGapStart));
        }
        m_nGapStart = i;
    }

    static size_t Bytes(int n) { return sizeof(T) * static_cast<size_t>(n); }

    // The block grows in place where it can; the entries after the gap move to its end.
    void Reallocate(int nNewCapacity) {
        const int nAfter = m_nSize - m_nGapStart;
        const int nOldGap = GapLength();
        m_pData = static_cast<T*>(BigRealloc(m_pData, Bytes(m_nCapacity), Bytes(nNewCapacity)));
        if (nAfter > 0)
            std::memmove(m_pData + nNewCapacity - nAfter, m_pData + m_nGapStart + nOldGap,
                         Bytes(nAfter));
        m_nCapacity = nNewCapacity;
    }

    T* m_pData = nullptr;
    int m_nSize = 0;
    int m_nCapacity = 0;
    int m_nGapStart = 0; // the gap occupies [m_nGapStart, m_nGapStart + GapLength())
    int m_nGrowBy = 0;
};
