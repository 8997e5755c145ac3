// Tab expansion over the bytes of one line: character indices, screen columns, display text.
// Every byte but the tab takes one column; a tab runs to the next multiple of the tab width.
#pragma once

#include <string>

// A known place of a line: character nChar starts at screen column nColumn, and nLastTab is
// the index of the last tab before it (-1 when there is none). Walks start from the line's
// start, {0, 0, -1}, or from any place an earlier walk reached.
struct TabWalk {
    int nChar = 0;
    int nColumn = 0;
    int nLastTab = -1;
};

// Walks on from walk to character nTo (walk.nChar <= nTo).
void WalkToChar(const char* pText, TabWalk& walk, int nTo, int nTabWidth);

// The screen column at which character nChar starts: the walk over pText[0 .. nChar - 1].
// With nChar equal to the line length this is the line's display width.
int CharToColumn(const char* pText, int nChar, int nTabWidth);

// The character index nearest to screen column nColumn. A column inside a tab's span snaps
// before the tab when it lies at least half a tab before the tab's end, else after it; a column
// that an ordinary character ends on gives the index after that character. Columns beyond
// the line give the line length.
int ColumnToChar(const char* pText, int nLength, int nColumn, int nTabWidth);
// The same, walking from `from`, a place whose column is less than nColumn.
int ColumnToCharFrom(const char* pText, int nLength, TabWalk from, int nColumn, int nTabWidth);

// The index of the character that covers screen column nColumn (the first whose end column
// is greater than nColumn), or the line length when none does.
int CharAtColumn(const char* pText, int nLength, int nColumn, int nTabWidth);
// The same, walking from `from`, a place whose column is at most nColumn.
int CharAtColumnFrom(const char* pText, int nLength, TabWalk from, int nColumn, int nTabWidth);

// Writes characters nOffset .. nOffset + nCount - 1 of pChars to `out` with every tab
// replaced by the blanks up to its tab stop. Tab stops are counted from pChars[0], so a run
// that starts mid-line expands as it does within the whole line.
void ExpandTabs(const char* pChars, int nOffset, int nCount, int nTabWidth, std::string& out);
// The same for the nCount characters at pRun, which start at screen column nStartColumn.
void ExpandTabsAt(const char* pRun, int nCount, int nStartColumn, int nTabWidth, std::string& out);
