// The Zarn line parser: one line's colour blocks and the state the next line starts in.
#pragma once

#include "language/ColorBlock.h"

#include <cstdint>

// Bits of the line state. 0 is the normal state, the state before the first line.
// clang-format off
constexpr uint32_t PARSE_COMMENT = 0x01; // inside a comment, from ";" to the end of the line
constexpr uint32_t PARSE_STRING  = 0x08; // inside a double-quoted string
constexpr uint32_t PARSE_CHAR    = 0x10; // inside a single-quoted literal
// clang-format on

// Colours the nLength characters at pText (not terminated; NUL is an ordinary separator),
// starting in dwState, the state the previous line returned. With pBlocks, appends blocks at
// pBlocks[nBlocks] onwards in non-decreasing nCharPos order, never more than 3 * nLength, and
// advances nBlocks; a block may start at nLength, where it covers nothing. Without pBlocks,
// only the state is computed and nBlocks is left alone.
//
// Returns the state for the next line: 0 unless the line ends in a backslash, which carries an
// open comment, string or literal over. Only the PARSE_ bits are ever returned, whatever
// dwState holds, so the result is never LINESTATE_UNSET.
uint32_t ParseZarnLine(uint32_t dwState, const char* pText, int nLength, ColorBlock* pBlocks,
                       int& nBlocks);

// A long line is coloured piece by piece, each piece from a point of the line (ParsePoint) that
// was reached from the line's start. pText and nLength are always the whole line, so that the
// results are those of ParseZarnLine over it.
//
// Moves point, a point of this line, forwards to nTo (point.nPos <= nTo <= nLength) without
// making blocks. Costs about one memchr over the characters passed.
void AdvanceZarnPoint(ParsePoint& point, const char* pText, int nLength, int nTo);

// Colours characters point.nPos .. nTo - 1: appends blocks at pBlocks[nBlocks] onwards, the
// first at point.nPos and none beyond nTo, never more than 3 * (nTo - point.nPos) + 3, so that
// each of those characters gets the colour that ParseZarnLine's blocks give it. Looks to the
// right of nTo only as far as the end of a word that reaches over it.
void ParseZarnWindow(const ParsePoint& point, const char* pText, int nLength, int nTo,
                     ColorBlock* pBlocks, int& nBlocks);
