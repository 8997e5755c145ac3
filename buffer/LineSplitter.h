// Line-end styles, their detection, and the splitting of file bytes into lines.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

constexpr int EOL_AUTO = -1; // detect when loading, use the buffer's style when saving
constexpr int EOL_CRLF = 0;
constexpr int EOL_LFCR = 1;
constexpr int EOL_LF = 2;

// The line-end string of a concrete style.
std::string_view EolString(int nStyle);

// The style of a file: its first line feed decides, however far in it lies; with none at
// all, CR LF.
int DetectEolStyle(const char* pData, size_t nSize);

// The number of bytes that could end a line in `nStyle` (its separator's last byte): an
// upper bound of the line ends, exact for LF files. Used to size the line array.
int CountLineEndCandidates(const char* pData, size_t nSize, int nStyle);

// Calls onMatch(index) for every byte equal to `c`, in order. Sixteen bytes are compared
// at a time, so that many short lines cost little more than a few long ones.
template <typename OnMatch>
void ForEachByte(const char* pData, size_t nSize, char c, OnMatch&& onMatch) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    for (; i + 16 <= nSize; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pData + i));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, needle)));
        while (mask != 0) {
            onMatch(i + static_cast<size_t>(__builtin_ctz(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < nSize; ++i) {
        if (pData[i] == c)
            onMatch(i);
    }
}

// Calls onLine(begin, length) for each line of `data` split at the separator of `nStyle`,
// the last line included (empty when the data ends with a separator, or is empty).
//
// A separator is matched byte by byte with a counter into it, and a byte that breaks a
// partial match is not tried again as the separator's first byte. So with CR LF, the
// bytes CR CR LF hold no line end, and in general a separator's last byte ends a line
// exactly when an odd run of its first byte stands right before it. Bytes that do not
// form the separator stay in the lines.
template <typename OnLine>
void SplitLines(const char* pData, size_t nSize, int nStyle, OnLine&& onLine) {
    const std::string_view sep = EolString(nStyle);
    size_t nLineStart = 0;
    ForEachByte(pData, nSize, sep.back(), [&](size_t nHit) {
        if (sep.size() == 1) {
            onLine(pData + nLineStart, nHit - nLineStart);
            nLineStart = nHit + 1;
            return;
        }
        size_t nRun = nHit;
        while (nRun > nLineStart && pData[nRun - 1] == sep[0])
            --nRun;
        if ((nHit - nRun) % 2 == 1) {
            onLine(pData + nLineStart, nHit - 1 - nLineStart);
            nLineStart = nHit + 1;
        }
    });
    onLine(pData + nLineStart, nSize - nLineStart);
}

// The most a buffer indexed by int holds: the longest line whose storage, rounded up as
// LineCapacityFor does, still has an int size, and as many lines as an int counts.
struct LineLimits {
    size_t nMaxLength;
    size_t nMaxCount;
};
constexpr LineLimits kBufferLineLimits = {(INT_MAX / 16 - 1) * 16 + 15, INT_MAX};

constexpr char REASON_LINE_TOO_LONG[] = "a line is longer than the editor can hold";
constexpr char REASON_TOO_MANY_LINES[] = "it has more lines than the editor can hold";

// SplitLines within limits: stops passing lines on at the first line longer than
// limits.nMaxLength, or at the line beyond limits.nMaxCount, and returns why; nullptr when
// every line was passed on.
template <typename OnLine>
const char* SplitLinesWithin(const char* pData, size_t nSize, int nStyle, const LineLimits& limits,
                             OnLine&& onLine) {
    const char* pszRefusal = nullptr;
    size_t nLines = 0;
    SplitLines(pData, nSize, nStyle, [&](const char* pLine, size_t nLength) {
        if (pszRefusal)
            return;
        if (nLength > limits.nMaxLength)
            pszRefusal = REASON_LINE_TOO_LONG;
        else if (++nLines > limits.nMaxCount)
            pszRefusal = REASON_TOO_MANY_LINES;
        else
            onLine(pLine, nLength);
    });
    return pszRefusal;
}
