// Removal of Zarn comments from a form's source, for records stored without comments.
#pragma once

#include <string>
#include <string_view>

// Removes every comment: from a ";" outside "..." strings and '...' literals to the end of
// its line, with the blanks before it. A line that held only a comment goes with its line
// end; every other line keeps its own line end, byte for byte. The first line stays as it
// is when it is the "; GID <record>" header, so that a dumped form still names its record.
//
// Strings follow the editor's colouring: a quote after a backslash does not end one, and
// one still open at the end of a line carries on only when the line ends in a backslash.
// A comment never swallows a line-end byte, even a stray CR or LF inside a line.
std::string StripComments(std::string_view source);
