// Helpers of the language tests: block comparison and text, line parsing, plain table scans.
#pragma once

#include "language/ColorBlock.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

bool operator==(const ColorBlock& a, const ColorBlock& b);
void PrintTo(const ColorBlock& block, std::ostream* os);

// Blocks as text, each its position and a letter for its colour: n normal, k keyword,
// c comment, d number, s string, a attribute atom, t structure atom ("0n 0a 9n 10d").
std::string BlocksText(const std::vector<ColorBlock>& blocks);

struct CParseResult {
    std::vector<ColorBlock> blocks;
    uint32_t dwState = 0;
};

// Parses `line` with a block list of exactly the promised capacity.
CParseResult ParseLine(uint32_t dwState, std::string_view line);

// True when an entry of the null-ended table has exactly nLength characters equal to pText's.
bool ScanTable(const char* const* ppszTable, const char* pText, int nLength);
