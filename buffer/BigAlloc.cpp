// Directly mapped large blocks with huge pages where the system offers them.
#include "buffer/BigAlloc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// Below this, the ordinary heap serves better.
constexpr size_t kMapThreshold = 4u << 20;

bool IsMapped(size_t nBytes) {
    return nBytes >= kMapThreshold;
}

void* Map(size_t nBytes) {
    void* p = ::mmap(nullptr, nBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, nBytes, MADV_HUGEPAGE);
#endif
    return p;
}

} // namespace

void* BigAlloc(size_t nBytes) {
    if (IsMapped(nBytes))
        return Map(nBytes);
    void* p = std::malloc(std::max<size_t>(nBytes, 1));
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* BigRealloc(void* p, size_t nOldBytes, size_t nNewBytes) {
    if (!p)
        return BigAlloc(nNewBytes);
    if (IsMapped(nOldBytes) && IsMapped(nNewBytes)) {
        void* q = ::mremap(p, nOldBytes, nNewBytes, MREMAP_MAYMOVE);
        if (q == MAP_FAILED)
            throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        ::madvise(q, nNewBytes, MADV_HUGEPAGE);
#endif
        return q;
    }
    if (!IsMapped(nOldBytes) && !IsMapped(nNewBytes)) {
        void* q = std::realloc(p, std::max<size_t>(nNewBytes, 1));
        if (!q)
            throw std::bad_alloc();
        return q;
    }
    void* q = BigAlloc(nNewBytes);
    std::memcpy(q, p, std::min(nOldBytes, nNewBytes));
    BigFree(p, nOldBytes);
    return q;
}

void BigFree(void* p, size_t nBytes) {
    if (!p)
        return;
    if (IsMapped(nBytes))
        ::munmap(p, nBytes);
    else
        std::free(p);
}
