// Tab expansion. Stretches without tabs, by far the most common, are passed with one memchr.
#include "view/TabMapping.h"

#include <algorithm>
#include <cstring>

namespace {

const char* FindTab(const char* p, const char* pEnd) {
    return static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(pEnd - p)));
}

// The column after a tab that starts at column c.
int NextTabStop(int c, int nTabWidth) {
    return c + nTabWidth - c % nTabWidth;
}

// Where tabs come closer together than this, one plain loop over the next DENSE_STRETCH
// characters costs less than a memchr call per tab.
constexpr int DENSE_GAP = 16;
constexpr int DENSE_STRETCH = 256;

} // namespace

void WalkToChar(const char* pText, TabWalk& walk, int nTo, int nTabWidth) {
    int i = walk.nChar;
    int c = walk.nColumn;
    int nLastTab = walk.nLastTab;
    while (i < nTo) {
        const char* pTab = FindTab(pText + i, pText + nTo);
        if (!pTab) {
            c += nTo - i;
            i = nTo;
            break;
        }
        const int k = static_cast<int>(pTab - pText);
        const bool bDense = k - i < DENSE_GAP;
        c = NextTabStop(c + k - i, nTabWidth);
        nLastTab = k;
        i = k + 1;
        if (!bDense)
            continue;
        for (const int nEnd = std::min(nTo, i + DENSE_STRETCH); i < nEnd; ++i) {
            if (pText[i] == '\t') {
                c = NextTabStop(c, nTabWidth);
                nLastTab = i;
            } else {
                ++c;
            }
        }
    }
    walk = {i, c, nLastTab};
}

int CharToColumn(const char* pText, int nChar, int nTabWidth) {
    if (nChar <= 0)
        return 0;
    TabWalk walk;
    WalkToChar(pText, walk, nChar, nTabWidth);
    return walk.nColumn;
}

int ColumnToChar(const char* pText, int nLength, int nColumn, int nTabWidth) {
    return ColumnToCharFrom(pText, nLength, TabWalk(), nColumn, nTabWidth);
}

int ColumnToCharFrom(const char* pText, int nLength, TabWalk from, int nColumn, int nTabWidth) {
    if (nColumn <= 0)
        return 0;
    int i = from.nChar;
    int c = from.nColumn;
    while (i < nLength) {
        // Without a tab, the character nNeed - 1 further on is the first to reach nColumn.
        const int nNeed = nColumn - c;
        const int nSpan = std::min(nLength - i, nNeed);
        const char* pTab = FindTab(pText + i, pText + i + nSpan);
        int k;
        if (pTab) {
            k = static_cast<int>(pTab - pText);
            c = NextTabStop(c + k - i, nTabWidth);
            if (c < nColumn) {
                i = k + 1;
                continue;
            }
        } else if (nSpan == nNeed) {
            k = i + nNeed - 1;
            c = nColumn;
        } else {
            break;
        }
        // The same threshold for every character: a column at least half a tab before the end
        // of the character's span snaps before it.
        return nColumn <= c - nTabWidth / 2 ? k : k + 1;
    }
    return nLength;
}

int CharAtColumn(const char* pText, int nLength, int nColumn, int nTabWidth) {
    return CharAtColumnFrom(pText, nLength, TabWalk(), nColumn, nTabWidth);
}

int CharAtColumnFrom(const char* pText, int nLength, TabWalk from, int nColumn, int nTabWidth) {
    nColumn = std::max(nColumn, 0);
    int i = from.nChar;
    int c = from.nColumn;
    while (i < nLength) {
        // Without a tab, the character nNeed - 1 further on is the first to end beyond nColumn.
        const int nNeed = nColumn - c + 1;
        const int nSpan = std::min(nLength - i, nNeed);
        const char* pTab = FindTab(pText + i, pText + i + nSpan);
        if (!pTab)
            return nSpan == nNeed ? i + nNeed - 1 : nLength;
        const int k = static_cast<int>(pTab - pText);
        c = NextTabStop(c + k - i, nTabWidth);
        if (c > nColumn)
            return k;
        i = k + 1;
    }
    return nLength;
}

void ExpandTabs(const char* pChars, int nOffset, int nCount, int nTabWidth, std::string& out) {
    const char* const pRun = pChars + nOffset;
    // Where a run starts matters only to its tabs.
    if (nCount <= 0 || !FindTab(pRun, pRun + nCount)) {
        out.assign(pRun, static_cast<size_t>(std::max(nCount, 0)));
        return;
    }
    ExpandTabsAt(pRun, nCount, CharToColumn(pChars, nOffset, nTabWidth), nTabWidth, out);
}

void ExpandTabsAt(const char* pRun, int nCount, int nStartColumn, int nTabWidth, std::string& out) {
    out.clear();
    if (nCount <= 0)
        return;
    const char* const pEnd = pRun + nCount;
    const char* p = pRun;
    while (const char* pTab = FindTab(p, pEnd)) {
        out.append(p, pTab);
        const int nColumn = nStartColumn + static_cast<int>(out.size());
        out.append(static_cast<size_t>(nTabWidth - nColumn % nTabWidth), ' ');
        p = pTab + 1;
    }
    out.append(p, pEnd);
}
