// Seeded random lines through the Zarn parser, against its contract and a plain model.
#include "LanguageTestSupport.h"
#include "language/ZarnParser.h"
#include "language/ZarnWords.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t PARSE_ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;
constexpr ColorBlock SENTINEL = {INT_MIN, INT_MIN};

// The colouring rules one character at a time, with the words found by scanning the tables.
CParseResult ParseStepByStep(uint32_t dwState, std::string_view line) {
    CParseResult result;
    const int n = static_cast<int>(line.size());
    if (n == 0)
        return result;
    dwState &= PARSE_ALL;
    auto add = [&result](int nPos, int nColor) {
        if (result.blocks.empty() || result.blocks.back().nCharPos <= nPos)
            result.blocks.push_back({nPos, nColor});
    };
    auto classify = [&](int nStart, int nEnd) {
        const std::pair<const char* const*, int> tables[] = {{s_apszValueWords, CI_KEYWORD},
                                                             {s_apszAttributeAtoms, CI_ATTRATOM},
                                                             {s_apszStructureAtoms, CI_STRUCTATOM}};
        for (const auto& [ppszTable, nColor] : tables) {
            if (ScanTable(ppszTable, line.data() + nStart, nEnd - nStart))
                return add(nStart, nColor);
        }
        if (IsZarnNumber(line.data() + nStart, nEnd - nStart))
            add(nStart, CI_NUMBER);
    };
    int nPending = 0; // where a block in the state's colour is due, -1 for none
    int nWord = -1;
    int i = 0;
    for (;; ++i) {
        if (nPending >= 0) {
            add(nPending, (dwState & PARSE_COMMENT) ? CI_COMMENT
                          : dwState                 ? CI_STRING
                                                    : CI_NORMALTEXT);
            nPending = -1;
        }
        if (i == n)
            break;
        const char c = line[static_cast<size_t>(i)];
        const bool bEscaped = i > 0 && line[static_cast<size_t>(i) - 1] == '\\';
        const uint32_t dwQuoted = (dwState & PARSE_STRING) ? PARSE_STRING : PARSE_CHAR;
        if (dwState & PARSE_COMMENT) {
            add(i, CI_COMMENT);
            break;
        } else if (dwState) {
            if (c == (dwQuoted == PARSE_STRING ? '"' : '\'') && !bEscaped) {
                dwState &= ~dwQuoted;
                nPending = i + 1;
            }
        } else if (c == '"' || c == '\'' || c == ';') {
            add(i, c == ';' ? CI_COMMENT : CI_STRING);
            dwState |= c == ';' ? PARSE_COMMENT : c == '"' ? PARSE_STRING : PARSE_CHAR;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '.') {
            nWord = nWord < 0 ? i : nWord;
        } else if (nWord >= 0) {
            classify(nWord, i);
            nWord = -1;
            nPending = i;
        }
    }
    if (nWord >= 0)
        classify(nWord, i);
    result.dwState = line.back() == '\\' ? dwState : 0;
    return result;
}

// Lines made of the bytes that matter to the parser, table words and numbers.
class CLineMaker {
public:
    explicit CLineMaker(uint32_t nSeed) : m_rng(nSeed) {}

    std::string Make() {
        static const char* const s_apszPieces[] = {
            "mat_width", "mat_bool_modal", "man_start_object", "yes", "FALSE", "100", "0FFx",
            "1.5e3",     "1e+5",           "dss_list",         "x",   "mat_",  "  ",  "\t"};
        static const std::string s_bytes = std::string("\"\"''';;\\\\\\ \t\0.+-_aZ9\x80\xff", 22);
        std::string line;
        for (size_t k = Pick(12); k > 0; --k) {
            if (Pick(3) == 0)
                line += s_apszPieces[Pick(std::size(s_apszPieces))];
            else
                line += Pick(8) == 0 ? static_cast<char>(Pick(256)) : s_bytes[Pick(s_bytes.size())];
        }
        if (Pick(4) == 0)
            line += '\\';
        return line;
    }

    // Now and then bits the parser never makes.
    uint32_t State() {
        static const uint32_t s_adwStates[] = {
            0,    PARSE_COMMENT, PARSE_STRING,   PARSE_CHAR, PARSE_STRING | PARSE_CHAR,
            0x09, 0x11,          0x19,           0x02,       0x04,
            0x20, 0x80000000u,   LINESTATE_UNSET};
        return Pick(4) == 0 ? static_cast<uint32_t>(m_rng())
                            : s_adwStates[Pick(std::size(s_adwStates))];
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

    std::mt19937 m_rng;
};

// The lists are exactly as long as promised and followed by guard entries, which stay
// untouched; the blocks and the state are those of the model, and the state-only call gives
// the same state.
TEST(ZarnParserRandom, FollowsThePlainModelWithinThePromisedCapacity) {
    CLineMaker maker(8121);
    for (int nCase = 0; nCase < 40000; ++nCase) {
        const std::string line = maker.Make();
        const uint32_t dwIn = maker.State();
        const int nLength = static_cast<int>(line.size());
        SCOPED_TRACE(testing::Message() << "state " << dwIn << " line \"" << line << '"');
        std::vector<ColorBlock> list(static_cast<size_t>(3 * nLength + 8), SENTINEL);
        int nBlocks = 0;
        const uint32_t dwOut = ParseZarnLine(dwIn, line.data(), nLength, list.data(), nBlocks);
        ASSERT_LE(nBlocks, 3 * nLength);
        ASSERT_EQ(std::count(list.begin() + nBlocks, list.end(), SENTINEL),
                  list.end() - list.begin() - nBlocks);
        const CParseResult model = ParseStepByStep(dwIn, line);
        list.resize(static_cast<size_t>(nBlocks));
        ASSERT_EQ(list, model.blocks);
        ASSERT_EQ(dwOut, model.dwState);
        ASSERT_EQ(ParseZarnLine(dwIn, line.data(), nLength, nullptr, nBlocks), dwOut);
    }
}

// The colour each character gets from blocks: that of the last block at or before it, normal
// text before the first.
std::vector<int> CharColours(const std::vector<ColorBlock>& blocks, int nLength) {
    std::vector<int> colours(static_cast<size_t>(nLength), CI_NORMALTEXT);
    for (size_t k = 0; k < blocks.size(); ++k) {
        const int nEnd = k + 1 < blocks.size() ? blocks[k + 1].nCharPos : nLength;
        for (int i = std::max(blocks[k].nCharPos, 0); i < std::min(nEnd, nLength); ++i)
            colours[static_cast<size_t>(i)] = blocks[k].nColorIndex;
    }
    return colours;
}

// A window of a line, coloured from a point reached in a few hops from the line's start, gives
// its characters the colours the whole line's parse gives them.
TEST(ZarnParserRandom, WindowsFromPointsColourAsTheWholeLine) {
    CLineMaker maker(5150);
    std::mt19937 rng(77);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    for (int nCase = 0; nCase < 20000; ++nCase) {
        std::string line;
        for (int nPieces = pick(1, 6); nPieces > 0; --nPieces)
            line += maker.Make();
        // Now and then a word far longer than any in the tables, a number or not.
        if (pick(0, 3) == 0) {
            std::string word(static_cast<size_t>(pick(60, 400)), "0af9"[pick(0, 3)]);
            if (pick(0, 1) == 0)
                word.back() = "xg."[pick(0, 2)];
            line.insert(static_cast<size_t>(pick(0, static_cast<int>(line.size()))), word);
        }
        const uint32_t dwIn = maker.State();
        const int nLength = static_cast<int>(line.size());
        const int nFrom = pick(0, nLength);
        const int nTo = pick(nFrom, nLength);
        SCOPED_TRACE(testing::Message() << "state " << dwIn << " window " << nFrom << ".." << nTo
                                        << " line \"" << line << '"');
        ParsePoint point{0, dwIn, 0}, direct{0, dwIn, 0};
        for (int nHops = pick(0, 3); nHops > 0; --nHops)
            AdvanceZarnPoint(point, line.data(), nLength, pick(point.nPos, nFrom));
        AdvanceZarnPoint(point, line.data(), nLength, nFrom);
        AdvanceZarnPoint(direct, line.data(), nLength, nFrom);
        ASSERT_TRUE(point == direct) << point.nPos << " " << point.dwState << " " << point.nData
                                     << " / " << direct.dwState << " " << direct.nData;

        const int nCapacity = 3 * (nTo - nFrom) + 3;
        std::vector<ColorBlock> window(static_cast<size_t>(nCapacity + 8), SENTINEL);
        int nBlocks = 0;
        ParseZarnWindow(point, line.data(), nLength, nTo, window.data(), nBlocks);
        ASSERT_LE(nBlocks, nCapacity);
        ASSERT_EQ(std::count(window.begin() + nBlocks, window.end(), SENTINEL),
                  window.end() - window.begin() - nBlocks);
        window.resize(static_cast<size_t>(nBlocks));
        ASSERT_TRUE(nFrom == nTo || (nBlocks > 0 && window.front().nCharPos == nFrom));
        for (size_t k = 0; k < window.size(); ++k)
            ASSERT_TRUE(window[k].nCharPos <= nTo &&
                        (k == 0 || window[k - 1].nCharPos <= window[k].nCharPos))
                << k;
        const CParseResult whole = ParseLine(dwIn, line);
        const std::vector<int> expected = CharColours(whole.blocks, nLength);
        const std::vector<int> colours = CharColours(window, nLength);
        ASSERT_EQ(std::vector<int>(colours.begin() + nFrom, colours.begin() + nTo),
                  std::vector<int>(expected.begin() + nFrom, expected.begin() + nTo));
        // The point at the line's end holds the state the line hands on.
        AdvanceZarnPoint(point, line.data(), nLength, nLength);
        ASSERT_EQ(!line.empty() && line.back() == '\\' ? point.dwState : 0u, whole.dwState);
    }
}

} // namespace
