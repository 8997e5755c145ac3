// Helpers of the language tests.
#include "LanguageTestSupport.h"

#include "language/ZarnParser.h"

#include <cstring>

bool operator==(const ColorBlock& a, const ColorBlock& b) {
    return a.nCharPos == b.nCharPos && a.nColorIndex == b.nColorIndex;
}

void PrintTo(const ColorBlock& block, std::ostream* os) {
    *os << "(" << block.nCharPos << ", " << block.nColorIndex << ")";
}

std::string BlocksText(const std::vector<ColorBlock>& blocks) {
    std::string text;
    for (const ColorBlock& block : blocks) {
        const int c = block.nColorIndex;
        text += (text.empty() ? "" : " ") + std::to_string(block.nCharPos) +
                (c == CI_NORMALTEXT   ? 'n'
                 : c == CI_KEYWORD    ? 'k'
                 : c == CI_COMMENT    ? 'c'
                 : c == CI_NUMBER     ? 'd'
                 : c == CI_STRING     ? 's'
                 : c == CI_ATTRATOM   ? 'a'
                 : c == CI_STRUCTATOM ? 't'
                                      : '?');
    }
    return text;
}

CParseResult ParseLine(uint32_t dwState, std::string_view line) {
    const int nLength = static_cast<int>(line.size());
    CParseResult result;
    result.blocks.resize(static_cast<size_t>(3 * nLength));
    int nBlocks = 0;
    result.dwState = ParseZarnLine(dwState, line.data(), nLength, result.blocks.data(), nBlocks);
    result.blocks.resize(static_cast<size_t>(nBlocks));
    return result;
}

bool ScanTable(const char* const* ppszTable, const char* pText, int nLength) {
    for (; *ppszTable; ++ppszTable) {
        if (std::strlen(*ppszTable) == static_cast<size_t>(nLength) &&
            std::memcmp(*ppszTable, pText, static_cast<size_t>(nLength)) == 0)
            return true;
    }
    return false;
}
