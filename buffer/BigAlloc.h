// Storage for the few very large blocks of a buffer (the loaded file, the line array).
// Large blocks are mapped directly and asked for huge pages, which makes touching them
// for the first time far cheaper, and they grow by remapping instead of copying.
#pragma once

#include <cstddef>

// Like malloc, realloc and free, except that the caller passes the block's size back.
// All three throw std::bad_alloc instead of returning null.
void* BigAlloc(size_t nBytes);
void* BigRealloc(void* p, size_t nOldBytes, size_t nNewBytes);
void BigFree(void* p, size_t nBytes);

// An owned block of bytes from BigAlloc.
class CBigBlock {
public:
    CBigBlock() = default;
    explicit CBigBlock(size_t nBytes) : m_p(static_cast<char*>(BigAlloc(nBytes))), m_n(nBytes) {}
    CBigBlock(CBigBlock&& other) noexcept : m_p(other.m_p), m_n(other.m_n) {
        other.m_p = nullptr;
        other.m_n = 0;
    }
    CBigBlock& operator=(CBigBlock&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.m_p;
            m_n = other.m_n;
            other.m_p = nullptr;
            other.m_n = 0;
        }
        return *this;
    }
    ~CBigBlock() { Reset(); }

    char* data() const { return m_p; }
    size_t size() const { return m_n; }
    // Changes the size, keeping the contents up to the smaller of both sizes.
    void Resize(size_t nBytes) {
        m_p = static_cast<char*>(BigRealloc(m_p, m_n, nBytes));
        m_n = nBytes;
    }
    void Reset() {
        if (m_p)
            BigFree(m_p, m_n);
        m_p = nullptr;
        m_n = 0;
    }

private:
    char* m_p = nullptr;
    size_t m_n = 0;
};
