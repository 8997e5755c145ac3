// The Zarn line parser: one pass over the line, no allocation.
#include "language/ZarnParser.h"

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
            while (i < nLength && CharClass(pText[i]) <= CH_WORD)
                ++i;
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

    int LastPos() const { return m_nBlocks == 0 ? 0 : m_pBlocks[m_nBlocks - 1].nCharPos; }

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

// Colours the word from nStart up to nEnd. A word that a quote or a semicolon ran into already
// has a later block, which would drop this one, so it is not even looked up.
void AddWordBlock(CBlockList& blocks, const char* pText, int nStart, int nEnd) {
    if (blocks.LastPos() > nStart)
        return;
    const int nColor = WordColor(pText + nStart, nEnd - nStart);
    if (nColor >= 0)
        blocks.Add(nStart, nColor);
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
    int nPending = 0;    // where the colour of the current state starts again, or -1
    int nWordStart = -1; // start of the open word, or -1
    int i = 0;
    for (;;) {
        if (nPending >= 0) {
            blocks.Add(nPending, StateColor(dwState));
            nPending = -1;
        }
        if (i == nLength)
            break;
        if (dwState & PARSE_COMMENT) {
            blocks.Add(i, CI_COMMENT);
            break;
        }
        if (dwState & PARSE_QUOTED) {
            const uint32_t dwQuote = OpenQuoteBit(dwState);
            i = FindClosingQuote(pText, i, nLength, dwQuote == PARSE_STRING ? '"' : '\'');
            if (i < nLength) {
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
            if (nWordStart < 0)
                nWordStart = i;
            while (i + 1 < nLength && CharClass(pText[i + 1]) == CH_WORD)
                ++i;
            break;
        default:
            // A separator ends the open word; the separator itself is drawn in the state's
            // colour again.
            if (nWordStart >= 0) {
                AddWordBlock(blocks, pText, nWordStart, i);
                nWordStart = -1;
                nPending = i;
            }
            break;
        }
        ++i;
    }
    // A word that ends the line is classified like one inside it.
    if (nWordStart >= 0)
        AddWordBlock(blocks, pText, nWordStart, i);
    return pText[nLength - 1] == '\\' ? dwState : 0;
}
