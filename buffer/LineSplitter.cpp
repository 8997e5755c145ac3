// Line-end strings and style detection.
#include "buffer/LineSplitter.h"

#include <algorithm>
#include <cstdint>

std::string_view EolString(int nStyle) {
    switch (nStyle) {
    case EOL_LFCR:
        return "\n\r";
    case EOL_LF:
        return "\n";
    default:
        return "\r\n";
    }
}

int DetectEolStyle(const char* pData, size_t nSize) {
    const char* lf = static_cast<const char*>(std::memchr(pData, '\n', nSize));
    if (!lf)
        return EOL_CRLF;
    if (lf > pData && lf[-1] == '\r')
        return EOL_CRLF;
    if (lf + 1 < pData + nSize && lf[1] == '\r')
        return EOL_LFCR;
    return EOL_LF;
}

int CountLineEndCandidates(const char* pData, size_t nSize, int nStyle) {
    const char last = EolString(nStyle).back();
    size_t n = 0;
    ForEachByte(pData, nSize, last, [&n](size_t) { ++n; });
    return static_cast<int>(std::min<size_t>(n, INT32_MAX));
}
