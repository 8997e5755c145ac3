// Tab expansion. Lines without tabs, by far the most common, are answered with one memchr.
#include "view/TabMapping.h"

#include <cstring>

namespace {

const char* FindTab(const char* p, const char* pEnd) {
    return static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(pEnd - p)));
}

bool HasTab(const char* pText, int nLength) {
    return nLength > 0 && FindTab(pText, pText + nLength) != nullptr;
}

// The column after a character that starts at column c.
int Advance(int c, char ch, int nTabWidth) {
    return ch == '\t' ? c + nTabWidth - c % nTabWidth : c + 1;
}

} // namespace

int CharToColumn(const char* pText, int nChar, int nTabWidth) {
    if (nChar <= 0)
        return 0;
    int nColumn = 0;
    const char* p = pText;
    const char* const pEnd = pText + nChar;
    while (const char* pTab = FindTab(p, pEnd)) {
        nColumn += static_cast<int>(pTab - p);
        nColumn += nTabWidth - nColumn % nTabWidth;
        p = pTab + 1;
    }
    return nColumn + static_cast<int>(pEnd - p);
}

int ColumnToChar(const char* pText, int nLength, int nColumn, int nTabWidth) {
    if (nColumn <= 0)
        return 0;
    if (!HasTab(pText, nLength))
        return nColumn < nLength ? nColumn : nLength;
    int c = 0;
    for (int i = 0; i < nLength; ++i) {
        c = Advance(c, pText[i], nTabWidth);
        if (c >= nColumn)
            return nColumn <= c - nTabWidth / 2 ? i : i + 1;
    }
    return nLength;
}

int CharAtColumn(const char* pText, int nLength, int nColumn, int nTabWidth) {
    if (nColumn < 0)
        nColumn = 0;
    if (!HasTab(pText, nLength))
        return nColumn < nLength ? nColumn : nLength;
    int c = 0;
    for (int i = 0; i < nLength; ++i) {
        c = Advance(c, pText[i], nTabWidth);
        if (c > nColumn)
            return i;
    }
    return nLength;
}

void ExpandTabs(const char* pChars, int nOffset, int nCount, int nTabWidth, std::string& out) {
    out.clear();
    if (nCount <= 0)
        return;
    const char* const pRun = pChars + nOffset;
    if (!HasTab(pRun, nCount)) {
        out.assign(pRun, static_cast<size_t>(nCount));
        return;
    }
    const int nStart = CharToColumn(pChars, nOffset, nTabWidth);
    out.reserve(static_cast<size_t>(nCount) * 2);
    for (int i = 0; i < nCount; ++i) {
        const char ch = pRun[i];
        if (ch == '\t') {
            const int nColumn = nStart + static_cast<int>(out.size());
            out.append(static_cast<size_t>(nTabWidth - nColumn % nTabWidth), ' ');
        } else {
            out.push_back(ch);
        }
    }
}
