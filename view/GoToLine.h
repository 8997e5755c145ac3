// Go to Line: reading what the dialog holds, where the caret goes, and the first line that
// centres a line that was off screen.
#pragma once

#include "buffer/TextPos.h"

#include <optional>
#include <string_view>

// Line and column as the user counts them, both from 1. The column counts characters, as
// the status bar's "Col" does (a tab is one); 0 means none was given.
struct GoToLineInput {
    int nLine = 1;
    int nColumn = 0;
};

// A whole number of at least 1 in decimal digits, blanks around it allowed; numbers too big
// for an int count as the largest int. None for anything else, the empty text included.
std::optional<int> ParsePositiveNumber(std::string_view text);

// The dialog's two fields: a line from 1 to nLineCount and an optional column (empty or
// blank); none when either field is not valid.
std::optional<GoToLineInput> ParseGoToLineInput(std::string_view strLine,
                                                std::string_view strColumn, int nLineCount);

// The caret's position for the input on a line of nLineLength characters: the column's
// character, kept at the line's end; the line's start when no column was given.
TextPos GoToLineTarget(const GoToLineInput& input, int nLineLength);

// Whether line nLine is among the nVisibleLines whole rows from nFirstVisibleLine.
bool IsLineOnScreen(int nLine, int nFirstVisibleLine, int nVisibleLines);

// The first visible line that puts nLine in the middle row, as far as the text allows: never
// before line 0, and never so far down that rows below the last line show.
int CentredFirstLine(int nLine, int nVisibleLines, int nLineCount);
