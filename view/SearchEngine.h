// The search engine: a line-by-line substring search over any text that can hand out its
// lines, with ASCII case folding, whole words, both directions, a range and wrap-around.
#pragma once

#include "buffer/TextPos.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Search flags.
// clang-format off
constexpr uint32_t SEARCH_MATCHCASE = 0x0001; // compare with case; else ASCII letters fold
constexpr uint32_t SEARCH_WHOLEWORD = 0x0002; // only occurrences that are whole words
constexpr uint32_t SEARCH_UPWARD    = 0x0010; // towards the start of the text
// clang-format on

// The flags of a search dialog's choices.
inline uint32_t MakeSearchFlags(bool bMatchCase, bool bWholeWord, bool bDirectionUp) {
    return (bMatchCase ? SEARCH_MATCHCASE : 0) | (bWholeWord ? SEARCH_WHOLEWORD : 0) |
           (bDirectionUp ? SEARCH_UPWARD : 0);
}

// The lines a search reads. A match never spans lines.
class CLineSource {
public:
    virtual int GetLineCount() const = 0;
    // The characters of line nLine, not terminated; valid until the text changes.
    virtual std::string_view GetLine(int nLine) const = 0;

protected:
    ~CLineSource() = default;
};

// A pattern prepared once for many lines: folded when case does not matter, with what its
// scans need: the bytes that pick candidates forward and the shift table of a Horspool scan
// backward. Lines are compared in place, never copied. Bytes 128 to 255 are neither letters
// nor word characters and never fold.
class CSearchPattern {
public:
    CSearchPattern(std::string_view pattern, uint32_t dwFlags);

    int GetLength() const { return static_cast<int>(m_strPattern.size()); }

    // The first acceptable occurrence in `line` that begins at or after nFrom, as an offset
    // from the line's start, or -1. The examined text starts at nFrom, and that start counts as
    // a word boundary; its end is the line's end.
    int FindForward(std::string_view line, int nFrom) const;
    // The last acceptable occurrence that begins before nBefore, or -1. The whole line is
    // examined, so a match may run on past nBefore. An empty pattern does not match at the
    // line's end.
    int FindBackward(std::string_view line, int nBefore) const;

private:
    // Occurrences without the word rule: the first one at or after nFrom, the last one that
    // begins at or before nLast.
    int NextOccurrence(std::string_view line, int nFrom) const;
    int PrevOccurrence(std::string_view line, int nLast) const;
    // The same scans once the fast ones stop paying off on a repetitive text: linear whatever
    // the text and pattern.
    int NextOccurrenceLinear(std::string_view line, int nFrom) const;
    int PrevOccurrenceLinear(std::string_view line, int nLast) const;
    // Whether the pattern's bytes follow at pText, which holds at least as many.
    bool MatchesAt(const unsigned char* pText) const;

    std::string m_strPattern; // upper-cased unless case matters
    bool m_bMatchCase;
    bool m_bWholeWord;
    const unsigned char* m_pFold;   // byte -> compared byte
    unsigned char m_chFirstBit = 0; // 0x20 for a letter that folds, else 0
    unsigned char m_chFirstKey = 0; // the first byte with that bit set
    unsigned char m_chLastBit = 0;
    unsigned char m_chLastKey = 0;
    std::array<int, 256> m_anShiftBackward;
    std::vector<int> m_anBorderForward;  // longest border of each prefix of the pattern
    std::vector<int> m_anBorderBackward; // the same for the reversed pattern
};

// The first acceptable occurrence of `pattern` in `text`, compared with case; -1 when none.
int FindInString(std::string_view text, std::string_view pattern, bool bWholeWord);

// Searches the lines from ptStart within the range ptBegin to ptEnd. Only the first character
// of a match is held against the range: a match that begins before ptEnd may run past it.
// Downward the first match at or after the start is found, the start counting as a word
// boundary; upward the nearest match that begins before the start. With bWrap the search goes
// round the range once. An empty range finds nothing.
bool FindInRange(const CLineSource& lines, std::string_view pattern, TextPos ptStart,
                 TextPos ptBegin, TextPos ptEnd, uint32_t dwFlags, bool bWrap, TextPos& ptFound);
// FindInRange over the whole text.
bool FindInDocument(const CLineSource& lines, std::string_view pattern, TextPos ptStart,
                    uint32_t dwFlags, bool bWrap, TextPos& ptFound);
