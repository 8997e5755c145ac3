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

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
}

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
    auto stateColor = [&dwState] {
        if (dwState & PARSE_COMMENT)
            return CI_COMMENT;
        return (dwState & (PARSE_STRING | PARSE_CHAR)) ? CI_STRING : CI_NORMALTEXT;
    };
    auto classify = [&](int nStart, int nEnd) {
        const char* p = line.data() + nStart;
        const int nLength = nEnd - nStart;
        if (ScanTable(s_apszValueWords, p, nLength))
            add(nStart, CI_KEYWORD);
        else if (ScanTable(s_apszAttributeAtoms, p, nLength))
            add(nStart, CI_ATTRATOM);
        else if (ScanTable(s_apszStructureAtoms, p, nLength))
            add(nStart, CI_STRUCTATOM);
        else if (IsZarnNumber(p, nLength))
            add(nStart, CI_NUMBER);
    };
    bool bPending = true;
    int nPending = 0;
    int nWord = -1;
    int i = 0;
    for (;;) {
        if (bPending) {
            add(nPending, stateColor());
            bPending = false;
        }
        if (i == n)
            break;
        const char c = line[static_cast<size_t>(i)];
        const bool bEscaped = i > 0 && line[static_cast<size_t>(i) - 1] == '\\';
        if (dwState & PARSE_COMMENT) {
            add(i, CI_COMMENT);
            break;
        }
        if (dwState & PARSE_STRING) {
            if (c == '"' && !bEscaped) {
                dwState &= ~PARSE_STRING;
                bPending = true;
                nPending = i + 1;
            }
        } else if (dwState & PARSE_CHAR) {
            if (c == '\'' && !bEscaped) {
                dwState &= ~PARSE_CHAR;
                bPending = true;
                nPending = i + 1;
            }
        } else if (c == '"') {
            add(i, CI_STRING);
            dwState |= PARSE_STRING;
        } else if (c == '\'') {
            add(i, CI_STRING);
            dwState |= PARSE_CHAR;
        } else if (c == ';') {
            add(i, CI_COMMENT);
            dwState |= PARSE_COMMENT;
        } else if (IsWordChar(c)) {
            if (nWord < 0)
                nWord = i;
        } else if (nWord >= 0) {
            classify(nWord, i);
            nWord = -1;
            bPending = true;
            nPending = i;
        }
        ++i;
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
        const size_t nPieces = Pick(12);
        for (size_t k = 0; k < nPieces; ++k) {
            if (Pick(3) == 0) {
                line += s_apszPieces[Pick(std::size(s_apszPieces))];
            } else {
                line += Pick(8) == 0 ? static_cast<char>(Pick(256)) : s_bytes[Pick(s_bytes.size())];
            }
        }
        if (Pick(4) == 0)
            line += '\\';
        return line;
    }

    uint32_t State() {
        static const uint32_t s_adwStates[] = {
            0,    PARSE_COMMENT, PARSE_STRING,   PARSE_CHAR, PARSE_STRING | PARSE_CHAR,
            0x09, 0x11,          0x19,           0x02,       0x04,
            0x20, 0x80000000u,   LINESTATE_UNSET};
        if (Pick(4) == 0)
            return static_cast<uint32_t>(m_rng());
        return s_adwStates[Pick(std::size(s_adwStates))];
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

    std::mt19937 m_rng;
};

constexpr ColorBlock SENTINEL = {INT_MIN, INT_MIN};
constexpr int GUARD = 8;

struct CRawParse {
    std::vector<ColorBlock> blocks; // the whole list, guard entries included
    int nBlocks = 0;
    uint32_t dwState = 0;
};

// Parses into a list of exactly 3 x length entries followed by guard entries.
CRawParse ParseIntoGuardedList(uint32_t dwState, const std::string& line) {
    CRawParse parse;
    const int nLength = static_cast<int>(line.size());
    parse.blocks.assign(static_cast<size_t>(3 * nLength + GUARD), SENTINEL);
    parse.dwState =
        ParseZarnLine(dwState, line.data(), nLength, parse.blocks.data(), parse.nBlocks);
    return parse;
}

TEST(ZarnParserRandom, KeepsTheContractAndFollowsTheRulesOnRandomLines) {
    CLineMaker maker(8121);
    const int aColors[] = {CI_NORMALTEXT, CI_KEYWORD,  CI_COMMENT,   CI_NUMBER,
                           CI_STRING,     CI_ATTRATOM, CI_STRUCTATOM};
    for (int nCase = 0; nCase < 40000; ++nCase) {
        const std::string line = maker.Make();
        const uint32_t dwIn = maker.State();
        const int nLength = static_cast<int>(line.size());
        SCOPED_TRACE(testing::Message() << "state " << dwIn << " line \"" << line << '"');

        const CRawParse parse = ParseIntoGuardedList(dwIn, line);
        ASSERT_LE(parse.nBlocks, 3 * nLength);
        for (size_t k = static_cast<size_t>(parse.nBlocks); k < parse.blocks.size(); ++k)
            ASSERT_EQ(parse.blocks[k], SENTINEL);

        ASSERT_NE(parse.dwState, LINESTATE_UNSET);
        EXPECT_EQ(parse.dwState & ~PARSE_ALL, 0u);
        if (line.empty() || line.back() != '\\') {
            EXPECT_EQ(parse.dwState, 0u);
        }

        for (int k = 0; k < parse.nBlocks; ++k) {
            const ColorBlock& block = parse.blocks[static_cast<size_t>(k)];
            EXPECT_GE(block.nCharPos, 0);
            EXPECT_LE(block.nCharPos, nLength);
            if (k > 0) {
                EXPECT_LE(parse.blocks[static_cast<size_t>(k) - 1].nCharPos, block.nCharPos);
            }
            EXPECT_NE(std::find(std::begin(aColors), std::end(aColors), block.nColorIndex),
                      std::end(aColors));
        }

        const CRawParse again = ParseIntoGuardedList(dwIn, line);
        EXPECT_EQ(again.nBlocks, parse.nBlocks);
        EXPECT_EQ(again.blocks, parse.blocks);
        EXPECT_EQ(again.dwState, parse.dwState);

        int nScratch = -1;
        EXPECT_EQ(ParseZarnLine(dwIn, line.data(), nLength, nullptr, nScratch), parse.dwState);

        const CParseResult model = ParseStepByStep(dwIn, line);
        EXPECT_EQ(
            std::vector<ColorBlock>(parse.blocks.begin(), parse.blocks.begin() + parse.nBlocks),
            model.blocks);
        EXPECT_EQ(parse.dwState, model.dwState);
        if (HasFailure())
            return;
    }
}

// A document parsed line by line with the states chained, as the view does it: the state-only
// pass that fills the view's cache ends every line where the drawing pass does.
TEST(ZarnParserRandom, StateOnlyPassFollowsTheDrawingPassThroughADocument) {
    CLineMaker maker(4242);
    uint32_t dwDrawn = 0;
    uint32_t dwCached = 0;
    int nCarried = 0;
    for (int nLine = 0; nLine < 20000; ++nLine) {
        const std::string line = maker.Make();
        const CParseResult drawn = ParseLine(dwDrawn, line);
        int nScratch = 0;
        dwCached =
            ParseZarnLine(dwCached, line.data(), static_cast<int>(line.size()), nullptr, nScratch);
        ASSERT_EQ(dwCached, drawn.dwState) << "line " << nLine << " \"" << line << '"';
        dwDrawn = drawn.dwState;
        nCarried += dwDrawn != 0;
    }
    // The lines were made so that states do carry over.
    EXPECT_GT(nCarried, 1000);
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

        ParsePoint point{0, dwIn, 0};
        for (int nHops = pick(0, 3); nHops > 0; --nHops)
            AdvanceZarnPoint(point, line.data(), nLength, pick(point.nPos, nFrom));
        AdvanceZarnPoint(point, line.data(), nLength, nFrom);
        ParsePoint direct{0, dwIn, 0};
        AdvanceZarnPoint(direct, line.data(), nLength, nFrom);
        ASSERT_TRUE(point == direct) << point.nPos << " " << point.dwState << " " << point.nData
                                     << " / " << direct.dwState << " " << direct.nData;

        const int nCapacity = 3 * (nTo - nFrom) + 3;
        std::vector<ColorBlock> window(static_cast<size_t>(nCapacity + GUARD), SENTINEL);
        int nBlocks = 0;
        ParseZarnWindow(point, line.data(), nLength, nTo, window.data(), nBlocks);
        ASSERT_LE(nBlocks, nCapacity);
        for (size_t k = static_cast<size_t>(nBlocks); k < window.size(); ++k)
            ASSERT_EQ(window[k], SENTINEL);
        window.resize(static_cast<size_t>(nBlocks));
        if (nFrom < nTo) {
            ASSERT_GT(nBlocks, 0);
            EXPECT_EQ(window.front().nCharPos, nFrom);
        }
        for (size_t k = 0; k < window.size(); ++k) {
            EXPECT_LE(window[k].nCharPos, nTo);
            if (k > 0) {
                EXPECT_LE(window[k - 1].nCharPos, window[k].nCharPos);
            }
        }

        const CParseResult whole = ParseLine(dwIn, line);
        const std::vector<int> expected = CharColours(whole.blocks, nLength);
        const std::vector<int> colours = CharColours(window, nLength);
        EXPECT_EQ(std::vector<int>(colours.begin() + nFrom, colours.begin() + nTo),
                  std::vector<int>(expected.begin() + nFrom, expected.begin() + nTo));

        // The point at the line's end holds the state the line hands on.
        ParsePoint end = point;
        AdvanceZarnPoint(end, line.data(), nLength, nLength);
        EXPECT_EQ(!line.empty() && line.back() == '\\' ? end.dwState : 0u, whole.dwState);
        if (HasFailure())
            return;
    }
}

} // namespace
