// The Zarn line parser: one pass over the line, no allocation.
#include "language/ZarnParser.h"

#include "language/ByteRuns.h"
#include "language/ZarnWords.h"

#include <array>
#include <cassert>
#include <cstring>

namespace {

constexpr uint32_t PARSE_ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;
constexpr uint32_t PARSE_QUOTED = PARSE_STRING | PARSE_CHAR;

// What a byte means in the normal state. Every byte that is not named here, including all
// bytes from 128 up and NUL, is a separator. The bytes that change the state come last.
enum : uint8_t { CH_SEPARATOR, CH_WORD, CH_DQUOTE, CH_SQUOTE, CH_SEMICOLON };

constexpr std::array<uint8_t, 256> MakeCharClasses() {
    std::array<uint8_t, 256> aClass{};
    for (int c = 0; c < 256; ++c) {
        const bool bWord = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '.';
        aClass[static_cast<size_t>(c)] = bWord ? CH_WORD : CH_SEPARATOR;
    }
    aClass['"'] = CH_DQUOTE;
    aClass['\''] = CH_SQUOTE;
    aClass[';'] = CH_SEMICOLON;
    return aClass;
}

constexpr std::array<uint8_t, 256> s_aCharClass = MakeCharClasses();

uint8_t CharClass(char c) {
    return s_aCharClass[static_cast<unsigned char>(c)];
}

// The colour of text in the given state.
int StateColor(uint32_t dwState) {
    if (dwState & PARSE_COMMENT)
        return CI_COMMENT;
    if (dwState & PARSE_QUOTED)
        return CI_STRING;
    return CI_NORMALTEXT;
}

// A string takes precedence over a literal; both are only open at once when the incoming
// state was not made by this parser.
uint32_t OpenQuoteBit(uint32_t dwState) {
    return (dwState & PARSE_STRING) ? PARSE_STRING : PARSE_CHAR;
}

// The index of the first chQuote at or after nFrom that is not directly preceded by a
// backslash (a quote at index 0 always counts); nLength when there is none.
int FindClosingQuote(const char* pText, int nFrom, int nLength, char chQuote) {
    for (int i = nFrom; i < nLength; ++i) {
        const void* pHit = std::memchr(pText + i, chQuote, static_cast<size_t>(nLength - i));
        if (!pHit)
            return nLength;
        i = static_cast<int>(static_cast<const char*>(pHit) - pText);
        if (i == 0 || pText[i - 1] != '\\')
            return i;
    }
    return nLength;
}

// The first quote or semicolon at or after nFrom and before nTo; nTo when there is none.
// Eight bytes at a time, as these bytes are sparse in most text.
int FindStateByte(const char* pText, int nFrom, int nTo) {
    constexpr uint64_t ONES = 0x0101010101010101ull;
    constexpr uint64_t HIGHS = 0x8080808080808080ull;
    auto hasZeroByte = [](uint64_t v) { return (v - ONES) & ~v & HIGHS; };
    int i = nFrom;
    for (; nTo - i >= 8; i += 8) {
        uint64_t v;
        std::memcpy(&v, pText + i, sizeof v);
        if (hasZeroByte(v ^ (ONES * '"')) | hasZeroByte(v ^ (ONES * '\'')) |
            hasZeroByte(v ^ (ONES * ';')))
            break;
    }
    for (; i < nTo; ++i) {
        if (CharClass(pText[i]) > CH_WORD)
            return i;
    }
    return nTo;
}

// The state-only pass: words do not matter, and the result is 0 unless the line ends in a
// backslash, so most lines cost one comparison.
uint32_t ParseZarnState(uint32_t dwState, const char* pText, int nLength) {
    if (pText[nLength - 1] != '\\')
        return 0;
    int i = 0;
    while (i < nLength && !(dwState & PARSE_COMMENT)) {
        if (dwState & PARSE_QUOTED) {
            const uint32_t dwQuote = OpenQuoteBit(dwState);
            i = FindClosingQuote(pText, i, nLength, dwQuote == PARSE_STRING ? '"' : '\'');
            if (i < nLength)
                dwState &= ~dwQuote;
        } else {
            i = FindStateByte(pText, i, nLength);
            if (i < nLength) {
                const uint8_t nClass = CharClass(pText[i]);
                dwState |= nClass == CH_DQUOTE   ? PARSE_STRING
                           : nClass == CH_SQUOTE ? PARSE_CHAR
                                                 : PARSE_COMMENT;
            }
        }
        ++i;
    }
    return dwState;
}

// Appends blocks so that they never go backwards: a block before the last one is dropped, one
// at the same position follows it and decides that position's colour.
class CBlockList {
public:
    CBlockList(ColorBlock* pBlocks, int& nBlocks) : m_pBlocks(pBlocks), m_nBlocks(nBlocks) {}

    void Add(int nPos, int nColorIndex) {
        if (m_nBlocks == 0 || m_pBlocks[m_nBlocks - 1].nCharPos <= nPos)
            m_pBlocks[m_nBlocks++] = {nPos, nColorIndex};
    }

private:
    ColorBlock* m_pBlocks;
    int& m_nBlocks;
};

// The colour of a word, or -1 when it falls into no class. Value words come first, then
// attribute atoms, structure atoms and numbers.
int WordColor(const char* pText, int nLength) {
    switch (FindZarnWord(pText, nLength)) {
    case WORDTABLE_VALUE:
        return CI_KEYWORD;
    case WORDTABLE_ATTRIBUTE:
        return CI_ATTRATOM;
    case WORDTABLE_STRUCTURE:
        return CI_STRUCTATOM;
    case WORDTABLE_NONE:
        break;
    }
    return IsZarnNumber(pText, nLength) ? CI_NUMBER : -1;
}

// The word open at a point, as ParsePoint::nData holds it: none, one that a quote or a
// semicolon ran into (its block would start before theirs, so it is never coloured), or the
// start of an open word plus one.
constexpr int WORD_NONE = 0;
constexpr int WORD_SPOILT = -1;

int OpenWordData(int nStart) {
    return nStart + 1;
}

int OpenWordStart(int nData) {
    return nData - 1;
}

// Colours the word from nStart up to nEnd, its block not before nFloor (the window's start).
void AddWordBlock(CBlockList& blocks, const char* pText, int nStart, int nEnd, int nFloor) {
    const int nColor = WordColor(pText + nStart, nEnd - nStart);
    if (nColor >= 0)
        blocks.Add(nStart > nFloor ? nStart : nFloor, nColor);
}

// The block pass from character i, in dwState with the open word nWord, up to nStop. A whole
// line runs from 0 to its length; a window stops at its end and then only finishes the word
// that reaches over it, whose colour the window's last characters take.
template <bool bWindow>
uint32_t ColourFrom(uint32_t dwState, int nWord, int i, int nStop, const char* pText, int nLength,
                    CBlockList& blocks) {
    const int nFloor = i;
    int nPending = i; // where the colour of the current state starts again, or -1
    for (;;) {
        if (nPending >= 0) {
            blocks.Add(nPending, StateColor(dwState));
            nPending = -1;
        }
        if (i >= nStop)
            break;
        if (dwState & PARSE_COMMENT) {
            blocks.Add(i, CI_COMMENT);
            break;
        }
        if (dwState & PARSE_QUOTED) {
            const uint32_t dwQuote = OpenQuoteBit(dwState);
            i = FindClosingQuote(pText, i, nStop, dwQuote == PARSE_STRING ? '"' : '\'');
            if (i < nStop) {
                dwState &= ~dwQuote;
                nPending = ++i;
            }
            continue;
        }
        switch (CharClass(pText[i])) {
        case CH_DQUOTE:
            blocks.Add(i, CI_STRING);
            dwState |= PARSE_STRING;
            break;
        case CH_SQUOTE:
            blocks.Add(i, CI_STRING);
            dwState |= PARSE_CHAR;
            break;
        case CH_SEMICOLON:
            blocks.Add(i, CI_COMMENT);
            dwState |= PARSE_COMMENT;
            break;
        case CH_WORD:
            if (nWord == WORD_NONE)
                nWord = OpenWordData(i);
            i = byteruns::RunEnd(pText, i + 1, nLength, byteruns::WordBytes()) - 1;
            break;
        default:
            // A separator ends the open word; the separator itself is drawn in the state's
            // colour again.
            if (nWord != WORD_NONE) {
                if (nWord != WORD_SPOILT)
                    AddWordBlock(blocks, pText, OpenWordStart(nWord), i, nFloor);
                nWord = WORD_NONE;
                nPending = i;
            }
            break;
        }
        // None of the three ends an open word, but its block would come before theirs.
        if (nWord > 0 && (dwState & PARSE_ALL))
            nWord = WORD_SPOILT;
        ++i;
    }
    // A word that ends the line is classified like one inside it. A window stopped at the end
    // of a word; the byte after it tells whether the word ends there or runs into a quote.
    if (nWord > 0 && !(bWindow && i < nLength && CharClass(pText[i]) != CH_SEPARATOR))
        AddWordBlock(blocks, pText, OpenWordStart(nWord), i, nFloor);
    return dwState;
}

// The open word before character k, when no quote or semicolon lies between r and k and nWord
// was the open word before r.
int OpenWordBefore(const char* pText, int r, int k, int nWord) {
    if (k == r)
        return nWord;
    if (CharClass(pText[k - 1]) != CH_WORD)
        return WORD_NONE;
    // A word is mostly short; one that may fill the whole stretch is looked at forwards, eight
    // bytes at a time, its start after the last byte that is not a word character.
    int s = k - 1;
    while (s > r && s > k - 64 && CharClass(pText[s - 1]) == CH_WORD)
        --s;
    if (s > r && CharClass(pText[s - 1]) != CH_WORD)
        return OpenWordData(s);
    for (s = r; s < k;) {
        const int nEnd = byteruns::RunEnd(pText, s, k, byteruns::WordBytes());
        if (nEnd == k)
            break;
        s = nEnd + 1;
    }
    if (s > r)
        return OpenWordData(s);
    return nWord != WORD_NONE ? nWord : OpenWordData(r);
}

} // namespace

uint32_t ParseZarnLine(uint32_t dwState, const char* pText, int nLength, ColorBlock* pBlocks,
                       int& nBlocks) {
    if (nLength <= 0)
        return 0;
    // Bits the parser never makes (LINESTATE_UNSET among them) must not be carried over.
    dwState &= PARSE_ALL;
    if (!pBlocks)
        return ParseZarnState(dwState, pText, nLength);
    assert(nBlocks >= 0);
    CBlockList blocks(pBlocks, nBlocks);
    dwState = ColourFrom<false>(dwState, WORD_NONE, 0, nLength, pText, nLength, blocks);
    return pText[nLength - 1] == '\\' ? dwState : 0;
}

void AdvanceZarnPoint(ParsePoint& point, const char* pText, int nLength, int nTo) {
    assert(point.nPos <= nTo && nTo <= nLength);
    uint32_t dwState = point.dwState & PARSE_ALL;
    int nWord = point.nData;
    int i = point.nPos;
    while (i < nTo && !(dwState & PARSE_COMMENT)) {
        if (dwState & PARSE_QUOTED) {
            const uint32_t dwQuote = OpenQuoteBit(dwState);
            i = FindClosingQuote(pText, i, nTo, dwQuote == PARSE_STRING ? '"' : '\'');
            if (i < nTo) {
                dwState &= ~dwQuote;
                ++i;
            }
            continue;
        }
        // In the normal state only a quote or a semicolon changes the state; the word open
        // before it matters only because it can no longer be coloured.
        const int k = FindStateByte(pText, i, nTo);
        nWord = OpenWordBefore(pText, i, k, nWord);
        if (k == nTo) {
            i = nTo;
            break;
        }
        if (nWord != WORD_NONE)
            nWord = WORD_SPOILT;
        const uint8_t nClass = CharClass(pText[k]);
        dwState |= nClass == CH_DQUOTE   ? PARSE_STRING
                   : nClass == CH_SQUOTE ? PARSE_CHAR
                                         : PARSE_COMMENT;
        i = k + 1;
    }
    point = {nTo, dwState, nWord};
}

void ParseZarnWindow(const ParsePoint& point, const char* pText, int nLength, int nTo,
                     ColorBlock* pBlocks, int& nBlocks) {
    assert(0 <= point.nPos && nTo <= nLength && nBlocks >= 0);
    if (point.nPos >= nTo)
        return;
    CBlockList blocks(pBlocks, nBlocks);
    ColourFrom<true>(point.dwState & PARSE_ALL, point.nData, point.nPos, nTo, pText, nLength,
                     blocks);
}
