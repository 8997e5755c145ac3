// Known places of long lines, so that mapping columns and colouring a window of such a line walk
// from a place near the one asked for instead of from the line's start.
#pragma once

#include "language/ColorBlock.h"
#include "view/TabMapping.h"

#include <cstdint>
#include <vector>

// For each long line a view has looked at: a tab walk place about every SPACING characters
// (made as walks pass, so the first walk over the line makes them all), and the parser's points
// at the multiples of SPACING that colouring has passed. An edit inside a line moves the
// places behind it with their text, their columns shifted by what the edit did before them,
// and drops the parser's points behind it, which may depend on everything before them. Lines
// that the view's buffer notifications say nothing precise about are forgotten.
class CLongLineIndex {
public:
    // Shorter lines are walked from their start: a few memchr calls cost less than an index.
    static constexpr int MIN_LENGTH = 8192;
    static constexpr int SPACING = 4096;

    explicit CLongLineIndex(int nTabWidth) : m_nTabWidth(nTabWidth) {}

    static bool IsLong(int nLength) { return nLength >= MIN_LENGTH; }

    // Mapping on a long line, with TabMapping's rules; pText and nLength are the line as it is.
    int CharToColumn(int nLine, const char* pText, int nLength, int nChar);
    int ColumnToChar(int nLine, const char* pText, int nLength, int nColumn);
    int CharAtColumn(int nLine, const char* pText, int nLength, int nColumn);

    // The stored parser point of nLine, a line that starts in dwLineState, nearest at or before
    // nPos; the line's start when there is none.
    ParsePoint ParsePointBefore(int nLine, int nLength, uint32_t dwLineState, int nPos);
    // The first position after nPos at which a parser point is kept.
    static int NextParseStop(int nPos) { return (nPos / SPACING + 1) * SPACING; }
    // Keeps point, reached from the start of nLine in dwLineState, if it lies at the next
    // parser stop after those already kept.
    void StoreParsePoint(int nLine, uint32_t dwLineState, const ParsePoint& point);

    // In nLine, nRemoved characters at nPos were replaced by nInserted others; pText and
    // nLength are the line after the change.
    void OnTextReplaced(int nLine, int nPos, int nRemoved, int nInserted, const char* pText,
                        int nLength);
    // nLine kept only its characters before nPos and is now nLength long.
    void Truncate(int nLine, int nPos, int nLength);
    // nCount lines were inserted before line nAt, or removed from line nAt on.
    void InsertLines(int nAt, int nCount);
    void RemoveLines(int nAt, int nCount);
    void Forget(int nLine);
    void ForgetFrom(int nLine);
    void Clear();

    // How many lines have an index.
    int IndexedLineCount() const { return static_cast<int>(m_arrLines.size()); }

private:
    struct LineIndex {
        int nLine = 0;
        int nLength = 0;
        std::vector<TabWalk> arrPlaces;   // by character; the first is the line's start
        uint32_t dwParseState = 0;        // the state the parser points start from
        std::vector<ParsePoint> arrParse; // entry k at (k + 1) * SPACING
    };

    LineIndex* Find(int nLine);
    // The index of nLine, made or started afresh when the line is not nLength long.
    LineIndex& Get(int nLine, int nLength);
    // The place nearest at or before nChar, and on to nChar when bWalk, leaving places where
    // more than SPACING characters lie between two.
    TabWalk PlaceAt(LineIndex& index, const char* pText, int nChar);
    // Places over the whole line, so that a column search finds the places around its column.
    void CoverLine(LineIndex& index, const char* pText);

    int m_nTabWidth;
    std::vector<LineIndex> m_arrLines; // by line
};
