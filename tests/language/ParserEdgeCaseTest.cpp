// Exact block lists and line-end states of the Zarn parser on hand-picked lines.
#include "LanguageTestSupport.h"
#include "language/ZarnParser.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using Blocks = std::vector<ColorBlock>;

constexpr int N = CI_NORMALTEXT;
constexpr int S = CI_STRING;
constexpr int C = CI_COMMENT;

constexpr uint32_t PARSE_ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;

// The blocks of a line parsed in the normal state, which must also end in the normal state.
Blocks NormalLine(std::string_view line) {
    const CParseResult result = ParseLine(0, line);
    EXPECT_EQ(result.dwState, 0u) << line;
    return result.blocks;
}

TEST(ZarnParser, EmptyLineHasNoBlockAndEndsNormalWhateverTheStateBefore) {
    for (uint32_t dwState :
         {0u, PARSE_COMMENT, PARSE_STRING, PARSE_CHAR, PARSE_ALL, LINESTATE_UNSET}) {
        ColorBlock aBlocks[1] = {{-7, -7}};
        int nBlocks = 0;
        EXPECT_EQ(ParseZarnLine(dwState, "", 0, aBlocks, nBlocks), 0u);
        EXPECT_EQ(nBlocks, 0);
        EXPECT_EQ(aBlocks[0], (ColorBlock{-7, -7}));
        EXPECT_EQ(ParseZarnLine(dwState, "", 0, nullptr, nBlocks), 0u);
    }
}

TEST(ZarnParser, AtomFollowedByNumber) {
    EXPECT_EQ(NormalLine("mat_width 100"),
              (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("man_start_object 1"),
              (Blocks{{0, N}, {0, CI_STRUCTATOM}, {16, N}, {17, CI_NUMBER}}));
}

TEST(ZarnParser, WordAtTheEndOfTheLineIsClassified) {
    EXPECT_EQ(NormalLine("mat_bool_modal"), (Blocks{{0, N}, {0, CI_ATTRATOM}}));
    EXPECT_EQ(NormalLine("  uni_sync_skip"), (Blocks{{0, N}, {2, CI_STRUCTATOM}}));
    EXPECT_EQ(NormalLine("5"), (Blocks{{0, N}, {0, CI_NUMBER}}));
}

TEST(ZarnParser, ValueWordsCountCase) {
    EXPECT_EQ(NormalLine("yes"), (Blocks{{0, N}, {0, CI_KEYWORD}}));
    EXPECT_EQ(NormalLine("mat_bool_modal FALSE"),
              (Blocks{{0, N}, {0, CI_ATTRATOM}, {14, N}, {15, CI_KEYWORD}}));
    EXPECT_EQ(NormalLine("Yes"), (Blocks{{0, N}}));
    EXPECT_EQ(NormalLine("False"), (Blocks{{0, N}}));
}

TEST(ZarnParser, OnlyWholeWordsAreAtoms) {
    EXPECT_EQ(NormalLine("mat_widths"), (Blocks{{0, N}}));
    EXPECT_EQ(NormalLine("mat_widt"), (Blocks{{0, N}}));
    EXPECT_EQ(NormalLine("xmat_width"), (Blocks{{0, N}}));
    // A dot is a word character, so it does not split an atom off.
    EXPECT_EQ(NormalLine("mat_width.1"), (Blocks{{0, N}}));
}

TEST(ZarnParser, NumberForms) {
    for (const char* psz : {"100", "1.5e3", "1e", "1..2", "ffx", "0FFx", "00x"})
        EXPECT_EQ(NormalLine(psz), (Blocks{{0, N}, {0, CI_NUMBER}})) << psz;
    for (const char* psz : {"0x1F", "1x", "gx", "0FFX", "x", "e5", ".5", "0FFgx", "12ab"})
        EXPECT_EQ(NormalLine(psz), (Blocks{{0, N}})) << psz;
}

TEST(ZarnParser, PlusSignSplitsAnExponentIntoTwoNumbers) {
    EXPECT_EQ(NormalLine("1e+5"), (Blocks{{0, N}, {0, CI_NUMBER}, {2, N}, {3, CI_NUMBER}}));
}

TEST(ZarnParser, CommentRunsFromTheSemicolonToTheEnd) {
    EXPECT_EQ(NormalLine("; mat_width 5"), (Blocks{{0, N}, {0, C}, {1, C}}));
    EXPECT_EQ(NormalLine("abc ; x"), (Blocks{{0, N}, {3, N}, {4, C}, {5, C}}));
    EXPECT_EQ(NormalLine("mat_width 5 ;"),
              (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, CI_NUMBER}, {11, N}, {12, C}}));
}

TEST(ZarnParser, WordRunIntoByQuoteOrSemicolonIsNotClassified) {
    EXPECT_EQ(NormalLine("mat_width;"), (Blocks{{0, N}, {9, C}}));
    EXPECT_EQ(NormalLine("mat_width;x"), (Blocks{{0, N}, {9, C}, {10, C}}));
    EXPECT_EQ(NormalLine("5\""), (Blocks{{0, N}, {1, S}}));
    // The word goes on after the closing quote, so the atom behind it stays normal text.
    EXPECT_EQ(NormalLine("abc\"s\"mat_width z"), (Blocks{{0, N}, {3, S}, {6, N}, {15, N}}));
    EXPECT_EQ(NormalLine("abc's'5 z"), (Blocks{{0, N}, {3, S}, {6, N}, {7, N}}));
    // Without a word before the string, the word after it is classified.
    EXPECT_EQ(NormalLine("\"s\"mat_width"), (Blocks{{0, N}, {0, S}, {3, N}, {3, CI_ATTRATOM}}));
}

TEST(ZarnParser, StringsAndLiteralsIncludeTheirQuotes) {
    EXPECT_EQ(NormalLine("mat_title \"Hello\" 5"),
              (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, S}, {17, N}, {18, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("'a;b' yes"), (Blocks{{0, N}, {0, S}, {5, N}, {6, CI_KEYWORD}}));
    // A closing quote at the end leaves a block at the line's length, which covers nothing.
    EXPECT_EQ(NormalLine("\"abc\""), (Blocks{{0, N}, {0, S}, {5, N}}));
    // A single quote inside a string and a double quote inside a literal are plain text.
    EXPECT_EQ(NormalLine("\"it's\" 1"), (Blocks{{0, N}, {0, S}, {6, N}, {7, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("'\"' 1"), (Blocks{{0, N}, {0, S}, {3, N}, {4, CI_NUMBER}}));
}

TEST(ZarnParser, SemicolonAndEscapedQuoteInsideAStringHaveNoEffect) {
    EXPECT_EQ(NormalLine("\"a;b\" 5"), (Blocks{{0, N}, {0, S}, {5, N}, {6, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("\"a\\\"b\" 5"), (Blocks{{0, N}, {0, S}, {6, N}, {7, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("'a\\'b' 5"), (Blocks{{0, N}, {0, S}, {6, N}, {7, CI_NUMBER}}));
}

TEST(ZarnParser, FinalBackslashCarriesAnOpenStringOver) {
    EXPECT_EQ(ParseLine(0, "abc \\").dwState, 0u);
    EXPECT_EQ(ParseLine(0, "\\").dwState, 0u);

    const CParseResult first = ParseLine(0, "mat_title \"abc \\");
    EXPECT_EQ(first.dwState, PARSE_STRING);
    EXPECT_EQ(first.blocks, (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, S}}));

    // The string ends at its first quote that no backslash precedes.
    const CParseResult second = ParseLine(first.dwState, "x\\\"y\"z 5");
    EXPECT_EQ(second.dwState, 0u);
    EXPECT_EQ(second.blocks, (Blocks{{0, S}, {5, N}, {6, N}, {7, CI_NUMBER}}));

    // A quote at index 0 always ends it.
    EXPECT_EQ(ParseLine(PARSE_STRING, "\"mat_width").dwState, 0u);
    EXPECT_EQ(ParseLine(PARSE_STRING, "\"mat_width").blocks,
              (Blocks{{0, S}, {1, N}, {1, CI_ATTRATOM}}));

    // Even when the byte before the line in memory is a backslash.
    const char aMemory[] = "\\\"mat_width\\";
    int nScratch = 0;
    EXPECT_EQ(ParseZarnLine(PARSE_STRING, aMemory + 1, 11, nullptr, nScratch), 0u);
    ColorBlock aBlocks[33];
    int nBlocks = 0;
    EXPECT_EQ(ParseZarnLine(PARSE_STRING, aMemory + 1, 11, aBlocks, nBlocks), 0u);
    EXPECT_EQ(Blocks(aBlocks, aBlocks + nBlocks),
              (Blocks{{0, S}, {1, N}, {1, CI_ATTRATOM}, {10, N}}));

    // Still open at the next final backslash: it goes on.
    const CParseResult third = ParseLine(PARSE_STRING, "more; text \\");
    EXPECT_EQ(third.dwState, PARSE_STRING);
    EXPECT_EQ(third.blocks, (Blocks{{0, S}}));

    EXPECT_EQ(ParseLine(0, "'abc\\").dwState, PARSE_CHAR);
    EXPECT_EQ(ParseLine(PARSE_CHAR, "ab\"c' ;x").blocks, (Blocks{{0, S}, {5, N}, {6, C}, {7, C}}));
}

TEST(ZarnParser, CommentEndingInBackslashMakesTheNextLineAComment) {
    const CParseResult first = ParseLine(0, "mat_width 5 ; note \\");
    EXPECT_EQ(first.dwState, PARSE_COMMENT);
    const CParseResult second = ParseLine(first.dwState, "mat_width \"x\" 5");
    EXPECT_EQ(second.dwState, 0u);
    EXPECT_EQ(second.blocks, (Blocks{{0, C}, {0, C}}));
    EXPECT_EQ(ParseLine(PARSE_COMMENT, "still \\").dwState, PARSE_COMMENT);
}

TEST(ZarnParser, StringOpenAtTheEndWithoutBackslashStopsThere) {
    const CParseResult first = ParseLine(0, "mat_title \"abc");
    EXPECT_EQ(first.dwState, 0u);
    EXPECT_EQ(first.blocks, (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, S}}));
    // A backslash that is not the last character does not carry anything over.
    EXPECT_EQ(ParseLine(0, "\"abc\\ ").dwState, 0u);
}

TEST(ZarnParser, TabsSpacesHighBytesAndNulAreSeparatorsInNormalText) {
    EXPECT_EQ(NormalLine("\tmat_width\t5"),
              (Blocks{{0, N}, {1, CI_ATTRATOM}, {10, N}, {11, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("  \t 1"), (Blocks{{0, N}, {4, CI_NUMBER}}));
    EXPECT_EQ(NormalLine("mat_width\x80"
                         "5"),
              (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}, {10, CI_NUMBER}}));
    const std::string withNul("yes\0mat_width", 13);
    EXPECT_EQ(NormalLine(withNul), (Blocks{{0, N}, {0, CI_KEYWORD}, {3, N}, {4, CI_ATTRATOM}}));
}

TEST(ZarnParser, StateOnlyCallLeavesTheCountAlone) {
    int nScratch = 12345;
    EXPECT_EQ(ParseZarnLine(0, "\"abc\\", 5, nullptr, nScratch), PARSE_STRING);
    EXPECT_EQ(ParseZarnLine(PARSE_STRING, "a\"b\\", 4, nullptr, nScratch), 0u);
    EXPECT_EQ(ParseZarnLine(0, "; x", 3, nullptr, nScratch), 0u);
    EXPECT_EQ(nScratch, 12345);
}

TEST(ZarnParser, BitsItNeverMakesAreNotCarriedOver) {
    // Unknown bits are dropped, so a corrupt incoming state cannot become LINESTATE_UNSET.
    EXPECT_EQ(ParseLine(LINESTATE_UNSET, "x \\").dwState, PARSE_ALL);
    EXPECT_EQ(ParseLine(LINESTATE_UNSET, "x \\").blocks, (Blocks{{0, C}, {0, C}}));
    EXPECT_EQ(ParseLine(0x06, "mat_width \\").dwState, 0u);
    EXPECT_EQ(ParseLine(0x06, "mat_width \\").blocks, (Blocks{{0, N}, {0, CI_ATTRATOM}, {9, N}}));
    int nScratch = 0;
    EXPECT_EQ(ParseZarnLine(LINESTATE_UNSET, "x \\", 3, nullptr, nScratch), PARSE_ALL);
}

TEST(ZarnParser, AppendsAfterBlocksAlreadyInTheList) {
    ColorBlock aBlocks[8] = {{0, CI_KEYWORD}};
    int nBlocks = 1;
    EXPECT_EQ(ParseZarnLine(0, "a 1", 3, aBlocks, nBlocks), 0u);
    ASSERT_EQ(nBlocks, 4);
    EXPECT_EQ(aBlocks[1], (ColorBlock{0, N}));
    EXPECT_EQ(aBlocks[2], (ColorBlock{1, N}));
    EXPECT_EQ(aBlocks[3], (ColorBlock{2, CI_NUMBER}));

    // Blocks that would go back before the last one are dropped.
    aBlocks[0] = {2, CI_KEYWORD};
    nBlocks = 1;
    ParseZarnLine(0, "a 1", 3, aBlocks, nBlocks);
    ASSERT_EQ(nBlocks, 2);
    EXPECT_EQ(aBlocks[1], (ColorBlock{2, CI_NUMBER}));
}

} // namespace
