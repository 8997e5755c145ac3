// Exact block lists and line-end states of the Zarn parser on hand-picked lines.
#include "LanguageTestSupport.h"
#include "language/ZarnParser.h"

#include <climits>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using Blocks = std::vector<ColorBlock>;
using namespace std::string_literals;

constexpr uint32_t STR = PARSE_STRING, CHR = PARSE_CHAR, COM = PARSE_COMMENT;
constexpr uint32_t ALL = PARSE_COMMENT | PARSE_STRING | PARSE_CHAR;

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
    const ColorBlock kSentinel = {INT_MIN, INT_MIN};
    for (const auto& [dwIn, line, blocks, dwOut] : cases) {
        SCOPED_TRACE(testing::Message() << dwIn << " \"" << line << '"');
        const int nLength = static_cast<int>(line.size());
        Blocks list(3 * line.size() + 4, kSentinel);
        int nBlocks = 0;
        EXPECT_EQ(ParseZarnLine(dwIn, line.data(), nLength, list.data(), nBlocks), dwOut);
        ASSERT_LE(nBlocks, 3 * nLength);
        EXPECT_EQ(Blocks(list.begin() + nBlocks, list.end()),
                  Blocks(list.size() - nBlocks, kSentinel));
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

} // namespace
