// The Zarn parser on hand-picked and random lines and windows, and the word tables' lookups.
#include "language/ZarnParser.h"
#include "language/ZarnWords.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Blocks = std::vector<ColorBlock>;
using namespace std::string_literals;

constexpr uint32_t STR = PARSE_STRING, CHR = PARSE_CHAR, COM = PARSE_COMMENT;
constexpr uint32_t ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;
constexpr ColorBlock SENTINEL = {INT_MIN, INT_MIN};

// Blocks as text, each its position and a letter for its colour: n normal, k keyword,
// c comment, d number, s string, a attribute atom, t structure atom ("0n 0a 9n 10d").
std::string BlocksText(const Blocks& blocks) {
    static const std::string kLetters = "??n???kcd?s???????ta"; // by colour index
    std::string text;
    for (const ColorBlock& block : blocks)
        text += (text.empty() ? "" : " ") + std::to_string(block.nCharPos) +
                kLetters.at(static_cast<size_t>(block.nColorIndex));
    return text;
}

// Lets `fill` append to nCapacity blocks followed by guards, which must stay untouched.
template <typename Fill>
Blocks Guarded(int nCapacity, Fill fill) {
    Blocks list(static_cast<size_t>(nCapacity) + 8, SENTINEL);
    int nBlocks = 0;
    fill(list.data(), nBlocks);
    EXPECT_LE(nBlocks, nCapacity);
    EXPECT_TRUE(std::all_of(list.begin() + nBlocks, list.end(), [](const ColorBlock& block) {
        return block.nCharPos == INT_MIN && block.nColorIndex == INT_MIN;
    }));
    list.resize(static_cast<size_t>(nBlocks));
    return list;
}

// The line's blocks in a list of the promised capacity; the state it hands on in dwState.
Blocks ParseGuarded(uint32_t& dwState, std::string_view line) {
    const int nLength = static_cast<int>(line.size());
    return Guarded(3 * nLength, [&](ColorBlock* pBlocks, int& nBlocks) {
        dwState = ParseZarnLine(dwState, line.data(), nLength, pBlocks, nBlocks);
    });
}

// Blocks (unchecked where null) and the state handed on, also by the state-only call. Bits the
// parser never makes are dropped, so a corrupt state cannot become LINESTATE_UNSET.
TEST(ZarnParser, ColoursEachLineAndHandsOnItsState) {
    const std::tuple<uint32_t, std::string, const char*, uint32_t> cases[] = {
        {0, "mat_width 100", "0n 0a 9n 10d", 0},
        {0, "  uni_sync_skip", "0n 2t", 0},
        {0, "mat_bool_modal FALSE", "0n 0a 14n 15k", 0},
        {0, "mat_widths", "0n", 0},
        {0, "mat_width.1", "0n", 0},
        {0, "1e+5", "0n 0d 2n 3d", 0},
        {0, "; mat_width 5", "0n 0c 1c", 0},
        {0, "mat_width 5 ;", "0n 0a 9n 10d 11n 12c", 0},
        {0, "mat_width;x", "0n 9c 10c", 0},
        {0, "5\"", "0n 1s", 0},
        {0, "abc\"s\"mat_width z", "0n 3s 6n 15n", 0},
        {0, "\"s\"mat_width", "0n 0s 3n 3a", 0},
        {0, "mat_title \"Hello\" 5", "0n 0a 9n 10s 17n 18d", 0},
        {0, "'a;b' yes", "0n 0s 5n 6k", 0},
        {0, "\"abc\"", "0n 0s 5n", 0},
        {0, "\"it's\" 1", "0n 0s 6n 7d", 0},
        {0, "\"a\\\"b\" 5", "0n 0s 6n 7d", 0},
        {0, "mat_title \"abc \\", "0n 0a 9n 10s", STR},
        {STR, "x\\\"y\"z 5", "0s 5n 6n 7d", 0},
        {STR, "more; text \\", "0s", STR},
        {0, "'abc\\", nullptr, CHR},
        {CHR, "ab\"c' ;x", "0s 5n 6c 7c", 0},
        {STR, "a\"b\\", nullptr, 0},
        {0, "; x", nullptr, 0},
        {0, "mat_width 5 ; note \\", nullptr, COM},
        {COM, "mat_width \"x\" 5", "0c 0c", 0},
        {0, "mat_title \"abc", "0n 0a 9n 10s", 0},
        {0, "mat_width\x80\x35", "0n 0a 9n 10d", 0},
        {0, "yes\0mat_width"s, "0n 0k 3n 4a", 0},
        {LINESTATE_UNSET, "x \\", "0c 0c", ALL},
        {0x06, "mat_width \\", "0n 0a 9n", 0},
        {ALL, "", "", 0},
        {LINESTATE_UNSET, "", "", 0},
    };
    for (const auto& [dwIn, line, blocks, dwOut] : cases) {
        SCOPED_TRACE(testing::Message() << dwIn << " \"" << line << '"');
        uint32_t dwState = dwIn;
        const std::string text = BlocksText(ParseGuarded(dwState, line));
        EXPECT_EQ(dwState, dwOut);
        EXPECT_TRUE(!blocks || text == blocks) << text;
        int nCount = 12345;
        EXPECT_EQ(ParseZarnLine(dwIn, line.data(), static_cast<int>(line.size()), nullptr, nCount),
                  dwOut);
        EXPECT_EQ(nCount, 12345);
    }
}

TEST(ZarnParser, ReadsNothingOutsideTheLineAndAppendsAfterBlocksInTheList) {
    // A quote at index 0 ends an open string, whatever byte lies before the line.
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

// The colouring rules one character at a time.
Blocks ParseStepByStep(uint32_t& dwState, std::string_view line) {
    Blocks blocks;
    const int n = static_cast<int>(line.size());
    dwState = n == 0 ? 0 : dwState & ALL;
    auto add = [&blocks](int nPos, int nColor) {
        if (blocks.empty() || blocks.back().nCharPos <= nPos)
            blocks.push_back({nPos, nColor});
    };
    auto classify = [&](int nStart, int nEnd) {
        static const int kWordColors[] = {CI_NUMBER, CI_KEYWORD, CI_STRUCTATOM, CI_ATTRATOM};
        const ZarnWordTable nTable = FindZarnWord(line.data() + nStart, nEnd - nStart);
        if (nTable != WORDTABLE_NONE || IsZarnNumber(line.data() + nStart, nEnd - nStart))
            add(nStart, kWordColors[nTable]);
    };
    int nPending = n > 0 ? 0 : -1; // where a block in the state's colour is due
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
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.') {
            nWord = nWord < 0 ? i : nWord;
        } else if (nWord >= 0) {
            classify(nWord, i);
            nWord = -1;
            nPending = i;
        }
    }
    if (nWord >= 0)
        classify(nWord, i);
    dwState = n > 0 && line.back() == '\\' ? dwState : 0;
    return blocks;
}

// Lines of the bytes that matter, table words and numbers; states now and then corrupt.
struct CLineMaker {
    std::mt19937 rng;
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); }
    std::string Make() {
        static const char* const s_apszPieces[] = {
            "mat_width", "mat_bool_modal", "man_start_object", "yes", "FALSE", "100", "0FFx",
            "1.5e3",     "1e+5",           "dss_list",         "x",   "mat_",  "  ",  "\t"};
        static const std::string s_bytes = std::string("\"\"''';;\\\\\\ \t\0.+-_aZ9\x80\xff", 22);
        std::string line;
        for (size_t k = Pick(12); k > 0; --k)
            line += Pick(3) == 0   ? std::string(s_apszPieces[Pick(std::size(s_apszPieces))])
                    : Pick(8) == 0 ? std::string(1, static_cast<char>(Pick(256)))
                                   : std::string(1, s_bytes[Pick(s_bytes.size())]);
        return Pick(4) == 0 ? line + '\\' : line;
    }
    uint32_t State() {
        static const uint32_t s_adwStates[] = {
            0,    PARSE_COMMENT, PARSE_STRING,   PARSE_CHAR, PARSE_STRING | PARSE_CHAR,
            0x09, 0x11,          0x19,           0x02,       0x04,
            0x20, 0x80000000u,   LINESTATE_UNSET};
        return Pick(4) == 0 ? static_cast<uint32_t>(rng())
                            : s_adwStates[Pick(std::size(s_adwStates))];
    }
};

// The blocks and the state are those of the model; the state-only call gives the same state.
TEST(ZarnParserRandom, FollowsThePlainModelWithinThePromisedCapacity) {
    CLineMaker maker{std::mt19937(8121)};
    for (int nCase = 0; nCase < 40000; ++nCase) {
        const std::string line = maker.Make();
        const uint32_t dwIn = maker.State();
        SCOPED_TRACE(testing::Message() << "state " << dwIn << " line \"" << line << '"');
        uint32_t dwOut = dwIn;
        const Blocks blocks = ParseGuarded(dwOut, line);
        uint32_t dwModel = dwIn;
        ASSERT_EQ(BlocksText(blocks), BlocksText(ParseStepByStep(dwModel, line)));
        ASSERT_EQ(dwOut, dwModel);
        int nCount = 0;
        ASSERT_EQ(ParseZarnLine(dwIn, line.data(), static_cast<int>(line.size()), nullptr, nCount),
                  dwOut);
        ASSERT_FALSE(HasFailure());
    }
}

// The colours blocks give the characters from nFrom up to nTo: that of the last block at or
// before each, normal text before the first.
std::vector<int> CharColours(const Blocks& blocks, int nFrom, int nTo) {
    std::vector<int> colours;
    for (int i = nFrom; i < nTo; ++i) {
        colours.push_back(CI_NORMALTEXT);
        for (const ColorBlock& block : blocks)
            colours.back() = block.nCharPos <= i ? block.nColorIndex : colours.back();
    }
    return colours;
}

// A window coloured from a point reached in a few hops colours as the whole line's parse.
TEST(ZarnParserRandom, WindowsFromPointsColourAsTheWholeLine) {
    CLineMaker maker{std::mt19937(5150)};
    auto pick = [&maker](int lo, int hi) { return lo + static_cast<int>(maker.Pick(hi - lo + 1)); };
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
        ASSERT_TRUE(point == direct);
        const Blocks window =
            Guarded(3 * (nTo - nFrom) + 3, [&](ColorBlock* pBlocks, int& nBlocks) {
                ParseZarnWindow(point, line.data(), nLength, nTo, pBlocks, nBlocks);
            });
        ASSERT_TRUE(nFrom == nTo || (!window.empty() && window.front().nCharPos == nFrom));
        for (size_t k = 0; k < window.size(); ++k)
            ASSERT_TRUE(window[k].nCharPos <= nTo &&
                        (k == 0 || window[k - 1].nCharPos <= window[k].nCharPos))
                << k;
        uint32_t dwWhole = dwIn;
        ASSERT_EQ(CharColours(window, nFrom, nTo),
                  CharColours(ParseGuarded(dwWhole, line), nFrom, nTo));
        // The point at the line's end holds the state the line hands on.
        AdvanceZarnPoint(point, line.data(), nLength, nLength);
        ASSERT_EQ(!line.empty() && line.back() == '\\' ? point.dwState : 0u, dwWhole);
    }
}

// The tables with their lookups.
const std::tuple<const char* const*, ZarnWordTable, bool (*)(const char*, int)> s_aTables[] = {
    {s_apszValueWords, WORDTABLE_VALUE, IsValueWord},
    {s_apszStructureAtoms, WORDTABLE_STRUCTURE, IsStructureAtom},
    {s_apszAttributeAtoms, WORDTABLE_ATTRIBUTE, IsAttributeAtom}};

int Length(const std::string& word) {
    return static_cast<int>(word.size());
}

std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    for (const auto& [ppszWords, nTable, pfnIs] : s_aTables)
        for (const char* const* pp = ppszWords; *pp; ++pp)
            entries.emplace_back(*pp);
    return entries;
}

// Every lookup gives the answer of a plain front-to-back scan of its table.
void ExpectLookupsAgreeWithScan(const std::string& word) {
    ZarnWordTable nExpected = WORDTABLE_NONE;
    for (const auto& [ppszWords, nTable, pfnIs] : s_aTables) {
        bool bInTable = false;
        for (const char* const* pp = ppszWords; *pp; ++pp)
            bInTable = bInTable || word == *pp;
        EXPECT_EQ(pfnIs(word.data(), Length(word)), bInTable) << '"' << word << '"';
        nExpected = bInTable ? nTable : nExpected;
    }
    EXPECT_EQ(FindZarnWord(word.data(), Length(word)), nExpected) << '"' << word << '"';
}

// Each entry is found, once, in its own table only, and only for the length given; with any
// one byte replaced it is no word unless it becomes another entry.
TEST(ZarnWords, EachEntryIsFoundInItsOwnTableOnlyAndNoNearMissIs) {
    const std::vector<std::string> entries = Entries();
    const std::set<std::string> known(entries.begin(), entries.end());
    EXPECT_EQ(known.size(), entries.size());
    for (const auto& [ppszWords, nTable, pfnIs] : s_aTables) {
        for (const char* const* pp = ppszWords; *pp; ++pp) {
            const std::string entry(*pp), text = entry + "_more";
            EXPECT_EQ(FindZarnWord(text.data(), Length(entry)), nTable) << entry;
            for (const auto& [ppszOther, nOther, pfnOther] : s_aTables)
                EXPECT_EQ(pfnOther(text.data(), Length(entry)), nOther == nTable) << entry;
            EXPECT_FALSE(IsZarnNumber(text.data(), Length(entry))) << entry;
            for (size_t i = 0; i < entry.size(); ++i) {
                std::string word = entry;
                for (int c = 0; c < 256; ++c) {
                    word[i] = static_cast<char>(c);
                    ASSERT_TRUE(known.count(word) ||
                                FindZarnWord(word.data(), Length(word)) == WORDTABLE_NONE)
                        << word;
                }
            }
        }
    }
}

// Near misses, empty and invalid texts, and random words and entries with a byte more or less,
// against the plain scan: changing every letter of "yes" gives "YES", in the table too.
TEST(ZarnWords, LookupsAgreeWithAPlainScan) {
    for (const char* psz : {"Yes", "DSS_LIST", "Trigger", "mat_widths", "mat_widt", "at_width",
                            "MAT_WIDTH", "mat_width ", " mat_width", "mat-width", "n", "",
                            "man_start_objects", "uni_sync_skip_", "YES"})
        ExpectLookupsAgreeWithScan(psz);
    EXPECT_TRUE(IsValueWord("YES", 3));
    EXPECT_FALSE(IsValueWord("yes", 0) || IsAttributeAtom("mat_url", 6));
    for (const auto& [psz, nLength] : {std::pair{"", 0}, {nullptr, 0}, {nullptr, 3}, {"yes", -3}})
        EXPECT_EQ(FindZarnWord(psz, nLength), WORDTABLE_NONE) << nLength;
    const std::vector<std::string> entries = Entries();
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz_ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";
    std::mt19937 rng(20240611);
    auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    for (int nCase = 0; nCase < 40000; ++nCase) {
        std::string word = entries[pick(entries.size())];
        const size_t nKind = pick(3);
        if (nKind == 0)
            word.insert(pick(word.size() + 1), 1, alphabet[pick(alphabet.size())]);
        else if (nKind == 1)
            word.erase(pick(word.size()), 1);
        else
            for (char& c : word.assign(pick(34), 'a'))
                c = alphabet[pick(alphabet.size())];
        ExpectLookupsAgreeWithScan(word);
    }
}

TEST(ZarnWords, NumberTestAgreesWithTheSyntax) {
    // Only the given length counts.
    EXPECT_TRUE(IsZarnNumber("12abc", 2) && IsZarnNumber("1ex", 3) && IsZarnNumber("00x", 3));
    EXPECT_FALSE(IsZarnNumber("12", 0) || IsZarnNumber("12", -1) || IsZarnNumber(nullptr, 0));

    // Random words, long ones mostly of digits, against the syntax as a regular expression.
    static const std::regex number("[0-9A-Fa-f]{2,}x|[0-9][0-9+.eE-]*");
    const std::string alphabet = "0123456789abcdefABCDEFxXeE+-._g";
    const std::string aDigits[] = {"0123456789abcdefABCDEF", "0123456789.eE+-"};
    std::mt19937 rng(77);
    for (int nCase = 0; nCase < 40000; ++nCase) {
        const bool bLong = nCase % 2 == 1;
        const std::string& digits = aDigits[rng() % 2];
        std::string word(std::uniform_int_distribution<size_t>(1, bLong ? 60 : 7)(rng), '0');
        for (char& c : word) {
            const std::string& from = bLong && rng() % 32 != 0 ? digits : alphabet;
            c = from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
        }
        if (bLong && rng() % 2 == 0)
            word.back() = 'x';
        EXPECT_EQ(IsZarnNumber(word.data(), Length(word)), std::regex_match(word, number)) << word;
    }
}

} // namespace
