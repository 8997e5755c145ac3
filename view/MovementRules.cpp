// Character classes and word steps on one line. The C locale decides, byte by byte, so bytes
// 128 to 255 are neither blanks nor word characters.
#include "view/MovementRules.h"

CharClass ClassifyChar(char ch) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return CHARCLASS_SPACE;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
        return CHARCLASS_WORD;
    return CHARCLASS_OTHER;
}

int WordStartIndex(const char* pText, int, int x) {
    while (x > 0 && IsWordChar(pText[x - 1]))
        --x;
    return x;
}

int WordEndIndex(const char* pText, int nLength, int x) {
    while (x < nLength && IsWordChar(pText[x]))
        ++x;
    return x;
}

int WordLeftIndex(const char* pText, int, int x) {
    while (x > 0 && ClassifyChar(pText[x - 1]) == CHARCLASS_SPACE)
        --x;
    if (x == 0)
        return 0;
    const CharClass run = ClassifyChar(pText[x - 1]);
    while (x > 0 && ClassifyChar(pText[x - 1]) == run)
        --x;
    return x;
}

int WordRightIndex(const char* pText, int nLength, int x) {
    if (x < nLength) {
        const CharClass run = ClassifyChar(pText[x]);
        if (run != CHARCLASS_SPACE) {
            while (x < nLength && ClassifyChar(pText[x]) == run)
                ++x;
        }
    }
    while (x < nLength && ClassifyChar(pText[x]) == CHARCLASS_SPACE)
        ++x;
    return x;
}

int SmartHomeIndex(const char* pText, int nLength, int x) {
    int nBlanks = 0;
    while (nBlanks < nLength && ClassifyChar(pText[nBlanks]) == CHARCLASS_SPACE)
        ++nBlanks;
    if (nBlanks == nLength || x == nBlanks)
        return 0;
    return nBlanks;
}
