// The plain rules of indentation over the bytes of one line: the indentation Enter copies,
// what Shift+Tab removes from a line, and the caret's walks to the neighbouring tab stops.
#pragma once

// The number of leading space, tab, LF, VT and FF bytes: the indentation Enter copies to the new
// line. A carriage return ends it, as inserted it would break the new line once more.
int IndentationLength(const char* pText, int nLength);

// The number of characters an unindent removes from the line's start: up to nTabWidth spaces,
// or spaces ended by a tab (which counts); nothing before any other character.
int UnindentCount(const char* pText, int nLength, int nTabWidth);

// The character index of the tab stop before the caret at x (x > 0): the last multiple of
// nTabWidth below its screen column.
int PreviousTabStopIndex(const char* pText, int nLength, int x, int nTabWidth);

// Where the caret at x goes when Tab only moves it (overtype): on over the characters up to the
// next tab stop, ending after the first tab passed or at the line's end.
int NextTabStopIndex(const char* pText, int nLength, int x, int nTabWidth);
