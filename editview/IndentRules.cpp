// Indentation rules on one line. Bytes 128 and above are never whitespace.
#include "editview/IndentRules.h"

#include "view/TabMapping.h"

int IndentationLength(const char* pText, int nLength) {
    int n = 0;
    while (n < nLength && (pText[n] == ' ' || (pText[n] >= '\t' && pText[n] <= '\f')))
        ++n;
    return n;
}

int UnindentCount(const char* pText, int nLength, int nTabWidth) {
    int nCount = 0;
    while (nCount < nLength) {
        const char ch = pText[nCount];
        if (ch == '\t')
            return nCount + 1;
        if (ch != ' ')
            break;
        ++nCount;
        if (nCount >= nTabWidth)
            break;
    }
    return nCount;
}

int PreviousTabStopIndex(const char* pText, int nLength, int x, int nTabWidth) {
    const int nColumn = CharToColumn(pText, x, nTabWidth);
    int nTarget = nTabWidth * (nColumn / nTabWidth);
    if (nTarget == nColumn && nTarget > 0)
        nTarget -= nTabWidth;
    // Tabs end on tab stops, so the character covering the stop's column is the one starting
    // there.
    return CharAtColumn(pText, nLength, nTarget, nTabWidth);
}

int NextTabStopIndex(const char* pText, int nLength, int x, int nTabWidth) {
    const int nColumn = CharToColumn(pText, x, nTabWidth);
    const int nSteps = nTabWidth - nColumn % nTabWidth;
    for (int i = 0; i < nSteps && x < nLength; ++i) {
        if (pText[x++] == '\t')
            break;
    }
    return x;
}
