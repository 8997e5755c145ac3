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
            Reallocate(n, m_nGapStart);
    }

    void Insert(int i, const T& value) { InsertCopies(i, 1, value); }

    // Inserts `count` copies of value before index i, moving the entries behind them only
    // once however many they are. Answers the first new entry; the new entries lie next to
    // each other there until the next change of the array.
    T* InsertCopies(int i, int count, const T& value) {
        assert(i >= 0 && i <= m_nSize && count >= 0);
        OpenGapAt(i, count);
        T* pFirst = m_pData + m_nGapStart;
        std::fill(pFirst, pFirst + count, value);
        m_nGapStart += count;
        m_nSize += count;
        return pFirst;
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

    // Puts the gap at index i with room for at least n entries.
    void OpenGapAt(int i, int n) {
        if (GapLength() >= n) {
            MoveGapTo(i);
            return;
        }
        int nNewCapacity = m_nCapacity + GrowthStep();
        if (nNewCapacity < m_nSize + n)
            nNewCapacity = m_nSize + n + GrowthStep();
        Reallocate(nNewCapacity, i);
    }

    // The block grows in place where it can, and the gap moves to index i on the way: each
    // entry moves at most once.
    void Reallocate(int nNewCapacity, int i) {
        const int nOldGap = GapLength();
        m_pData = static_cast<T*>(BigRealloc(m_pData, Bytes(m_nCapacity), Bytes(nNewCapacity)));
        const int nNewGap = nNewCapacity - m_nSize;
        if (i > m_nGapStart) // entries between the old gap and i close up to its start
            std::memmove(m_pData + m_nGapStart, m_pData + m_nGapStart + nOldGap,
                         Bytes(i - m_nGapStart));
        const int nFirstBehind = std::max(i, m_nGapStart); // the first entry still behind
        if (nFirstBehind < m_nSize)
            std::memmove(m_pData + nFirstBehind + nNewGap, m_pData + nFirstBehind + nOldGap,
                         Bytes(m_nSize - nFirstBehind));
        if (i < m_nGapStart) // entries between i and the old gap go behind the new one
            std::memmove(m_pData + i + nNewGap, m_pData + i, Bytes(m_nGapStart - i));
        m_nGapStart = i;
        m_nCapacity = nNewCapacity;
    }

    T* m_pData = nullptr;
    int m_nSize = 0;
    int m_nCapacity = 0;
    int m_nGapStart = 0; // the gap occupies [m_nGapStart, m_nGapStart + GapLength())
    int m_nGrowBy = 0;
};
