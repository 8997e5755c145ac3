// The Zarn parser: exact block lists and line-end states on hand-picked lines, and seeded
// random lines and windows against its contract and a plain model.
#include "LanguageTestSupport.h"
#include "language/ZarnParser.h"
#include "language/ZarnWords.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using Blocks = std::vector<ColorBlock>;
using namespace std::string_literals;

constexpr uint32_t STR = PARSE_STRING, CHR = PARSE_CHAR, COM = PARSE_COMMENT;
constexpr uint32_t ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;
constexpr ColorBlock SENTINEL = {INT_MIN, INT_MIN};

// Each line parsed in a state into a guarded list of the promised capacity: its blocks (not
// checked where null), the state it hands on, and the same state from the state-only call,
// which leaves the count alone. The rules: a word at the end of the line is classified, value
// words count case, only whole words are atoms and a dot is a word character; a plus sign
// splits an exponent; comments run from the semicolon to the end; a word run into by a quote
// or a semicolon is not classified, and the word goes on after a closing quote, so the atom
// behind it stays normal text unless no word came before; strings include their quotes, and
// the other quote, a semicolon or an escaped quote inside do not end them; a closing quote at
// the end leaves a block at the line's length; a final backslash carries an open string,
// literal or comment over, and nothing else; a string ends at its first quote that no
// backslash precedes, at index 0 always; tabs, spaces, high bytes and NUL separate words;
// bits the parser never makes are dropped, so a corrupt state cannot become LINESTATE_UNSET;
// an empty line has no block and ends normal.
TEST(ZarnParser, ColoursEachLineAndHandsOnItsState) {
    const std::tuple<uint32_t, std::string, const char*, uint32_t> cases[] = {
        {0, "mat_width 100", "0n 0a 9n 10d", 0},
        {0, "man_start_object 1", "0n 0t 16n 17d", 0},
        {0, "mat_bool_modal", "0n 0a", 0},
        {0, "  uni_sync_skip", "0n 2t", 0},
        {0, "5", "0n 0d", 0},
        {0, "yes", "0n 0k", 0},
        {0, "mat_bool_modal FALSE", "0n 0a 14n 15k", 0},
        {0, "Yes", "0n", 0},
        {0, "False", "0n", 0},
        {0, "mat_widths", "0n", 0},
        {0, "mat_widt", "0n", 0},
        {0, "xmat_width", "0n", 0},
        {0, "mat_width.1", "0n", 0},
        {0, "1e+5", "0n 0d 2n 3d", 0},
        {0, "; mat_width 5", "0n 0c 1c", 0},
        {0, "abc ; x", "0n 3n 4c 5c", 0},
        {0, "mat_width 5 ;", "0n 0a 9n 10d 11n 12c", 0},
        {0, "mat_width;", "0n 9c", 0},
        {0, "mat_width;x", "0n 9c 10c", 0},
        {0, "5\"", "0n 1s", 0},
        {0, "abc\"s\"mat_width z", "0n 3s 6n 15n", 0},
        {0, "abc's'5 z", "0n 3s 6n 7n", 0},
        {0, "\"s\"mat_width", "0n 0s 3n 3a", 0},
        {0, "mat_title \"Hello\" 5", "0n 0a 9n 10s 17n 18d", 0},
        {0, "'a;b' yes", "0n 0s 5n 6k", 0},
        {0, "\"abc\"", "0n 0s 5n", 0},
        {0, "\"it's\" 1", "0n 0s 6n 7d", 0},
        {0, "'\"' 1", "0n 0s 3n 4d", 0},
        {0, "\"a;b\" 5", "0n 0s 5n 6d", 0},
        {0, "\"a\\\"b\" 5", "0n 0s 6n 7d", 0},
        {0, "'a\\'b' 5", "0n 0s 6n 7d", 0},
        {0, "abc \\", nullptr, 0},
        {0, "\\", nullptr, 0},
        {0, "mat_title \"abc \\", "0n 0a 9n 10s", STR},
        {STR, "x\\\"y\"z 5", "0s 5n 6n 7d", 0},
        {STR, "\"mat_width", "0s 1n 1a", 0},
        {STR, "more; text \\", "0s", STR},
        {0, "'abc\\", nullptr, CHR},
        {CHR, "ab\"c' ;x", "0s 5n 6c 7c", 0},
        {0, "\"abc\\", nullptr, STR},
        {STR, "a\"b\\", nullptr, 0},
        {0, "; x", nullptr, 0},
        {0, "mat_width 5 ; note \\", nullptr, COM},
        {COM, "mat_width \"x\" 5", "0c 0c", 0},
        {COM, "still \\", nullptr, COM},
        {0, "mat_title \"abc", "0n 0a 9n 10s", 0},
        {0, "\"abc\\ ", nullptr, 0},
        {0, "\tmat_width\t5", "0n 1a 10n 11d", 0},
        {0, "  \t 1", "0n 4d", 0},
        {0, "mat_width\x80\x35", "0n 0a 9n 10d", 0},
        {0, "yes\0mat_width"s, "0n 0k 3n 4a", 0},
        {LINESTATE_UNSET, "x \\", "0c 0c", ALL},
        {0x06, "mat_width \\", "0n 0a 9n", 0},
        {0, "", "", 0},
        {COM, "", "", 0},
        {STR, "", "", 0},
        {CHR, "", "", 0},
        {ALL, "", "", 0},
        {LINESTATE_UNSET, "", "", 0},
    };
    for (const auto& [dwIn, line, blocks, dwOut] : cases) {
        SCOPED_TRACE(testing::Message() << dwIn << " \"" << line << '"');
        const int nLength = static_cast<int>(line.size());
        Blocks list(3 * line.size() + 4, SENTINEL);
        int nBlocks = 0;
        EXPECT_EQ(ParseZarnLine(dwIn, line.data(), nLength, list.data(), nBlocks), dwOut);
        ASSERT_LE(nBlocks, 3 * nLength);
        EXPECT_EQ(Blocks(list.begin() + nBlocks, list.end()),
                  Blocks(list.size() - nBlocks, SENTINEL));
        if (blocks) {
            EXPECT_EQ(BlocksText(Blocks(list.begin(), list.begin() + nBlocks)), blocks);
        }
        int nCount = 12345;
        EXPECT_EQ(ParseZarnLine(dwIn, line.data(), nLength, nullptr, nCount), dwOut);
        EXPECT_EQ(nCount, 12345);
    }
}

TEST(ZarnParser, ReadsNothingOutsideTheLineAndAppendsAfterBlocksInTheList) {
    // Even when the byte before the line in memory is a backslash, a quote at index 0 ends
    // an open string.
    const char aMemory[] = "\\\"mat_width\\";
    Blocks list(33);
    int nBlocks = 0;
    EXPECT_EQ(ParseZarnLine(STR, aMemory + 1, 11, list.data(), nBlocks), 0u);
    EXPECT_EQ(BlocksText(Blocks(list.begin(), list.begin() + nBlocks)), "0s 1n 1a 10n");
    EXPECT_EQ(ParseZarnLine(STR, aMemory + 1, 11, nullptr, nBlocks), 0u);

    list.assign(8, {0, CI_KEYWORD});
    nBlocks = 1;
    EXPECT_EQ(ParseZarnLine(0, "a 1", 3, list.data(), nBlocks), 0u);
    EXPECT_EQ(BlocksText(Blocks(list.begin(), list.begin() + nBlocks)), "0k 0n 1n 2d");
    // Blocks that would go back before the last one are dropped.
    list[0] = {2, CI_KEYWORD};
    nBlocks = 1;
    ParseZarnLine(0, "a 1", 3, list.data(), nBlocks);
    EXPECT_EQ(BlocksText(Blocks(list.begin(), list.begin() + nBlocks)), "2k 2d");
}

// The colouring rules one character at a time, with the words found by scanning the tables.
CParseResult ParseStepByStep(uint32_t dwState, std::string_view line) {
    CParseResult result;
    const int n = static_cast<int>(line.size());
    if (n == 0)
        return result;
    dwState &= ALL;
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
