// Colour blocks, colour indices and the reserved line state shared by parsers and the view.
#pragma once

#include <cstdint>

// One coloured run of a line. A block colours the characters from nCharPos up to the
// nCharPos of the next block; the last block runs to the end of the line. Lists are filled in
// non-decreasing nCharPos order, so a block at the same position as the next covers nothing.
struct ColorBlock {
    int nCharPos;
    int nColorIndex;
};

// Colour indices. 0 to 5 belong to the view itself; 6 to 19 are free for parsers and are named
// after what the Zarn parser colours with them.
// clang-format off
constexpr int CI_EMPTYAREA    = 0;  // background where there is no text
constexpr int CI_TEXTBACK     = 1;  // background behind text
constexpr int CI_NORMALTEXT   = 2;  // text outside any block, the default text colour
constexpr int CI_MARGIN       = 3;  // selection margin background
constexpr int CI_SELBACK      = 4;  // background of selected text
constexpr int CI_SELTEXT      = 5;  // selected text
constexpr int CI_KEYWORD      = 6;  // value words
constexpr int CI_COMMENT      = 7;
constexpr int CI_NUMBER       = 8;
constexpr int CI_STRING       = 10; // strings and single-quoted literals, quotes included
constexpr int CI_STRUCTATOM   = 18;
constexpr int CI_ATTRATOM     = 19;
// clang-format on

// Marks an uncomputed entry of a view's line-state cache. A parser never returns it.
constexpr uint32_t LINESTATE_UNSET = 0xFFFFFFFF;

// Where the parse of one line stands before character nPos, for a parser that can go on from
// the middle of a line as if it had parsed the line from its start. dwState and nData mean what
// that parser makes them mean, except that {0, the line's state, 0} is the start of every line.
struct ParsePoint {
    int nPos = 0;
    uint32_t dwState = 0;
    int nData = 0;

    bool operator==(const ParsePoint&) const = default;
};
