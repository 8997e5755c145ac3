// The search engine against a plain reference search on random texts, and its rules one by
// one: case folding, whole words, the range end, both directions and wrap-around.
#include "view/SearchEngine.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// Lines held in strings, as the engine reads a view's lines.
class CTestLines final : public CLineSource {
public:
    explicit CTestLines(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    int GetLineCount() const override { return static_cast<int>(m_lines.size()); }
    std::string_view GetLine(int nLine) const override {
        return m_lines.at(static_cast<size_t>(nLine)); // a line past the text throws
    }
    const std::string& Line(int nLine) const { return m_lines[static_cast<size_t>(nLine)]; }

private:
    std::vector<std::string> m_lines;
};

// The reference: every rule written out plainly, one position at a time.
bool IsWordByte(char ch) {
    const unsigned char c = static_cast<unsigned char>(ch);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

char FoldByte(char ch, bool bMatchCase) {
    return !bMatchCase && ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

// Whether pattern is an acceptable occurrence at s of a line whose examined text begins at
// nExaminedFrom.
bool AcceptableAt(const std::string& line, int s, const std::string& pattern, uint32_t dwFlags,
                  int nExaminedFrom) {
    const int n = static_cast<int>(line.size());
    const int m = static_cast<int>(pattern.size());
    if (s < 0 || s + m > n)
        return false;
    const bool bMatchCase = dwFlags & SEARCH_MATCHCASE;
    for (int i = 0; i < m; ++i) {
        if (FoldByte(line[static_cast<size_t>(s + i)], bMatchCase) !=
            FoldByte(pattern[static_cast<size_t>(i)], bMatchCase))
            return false;
    }
    if (!(dwFlags & SEARCH_WHOLEWORD))
        return true;
    const bool bBefore = s == nExaminedFrom || !IsWordByte(line[static_cast<size_t>(s - 1)]);
    const bool bAfter = s + m == n || !IsWordByte(line[static_cast<size_t>(s + m)]);
    return bBefore && bAfter;
}

bool ReferenceFind(const CTestLines& lines, const std::string& pattern, TextPos ptStart,
                   TextPos ptBegin, TextPos ptEnd, uint32_t dwFlags, bool bWrap, TextPos& ptFound) {
    if (ptBegin == ptEnd)
        return false;
    const int m = static_cast<int>(pattern.size());
    const int nLastLine = std::min(ptEnd.y, lines.GetLineCount() - 1);
    if (!(dwFlags & SEARCH_UPWARD)) {
        TextPos pt = std::max(ptStart, ptBegin);
        for (int nPass = 0; nPass < (bWrap ? 2 : 1); ++nPass, pt = ptBegin) {
            for (int y = pt.y; y <= nLastLine; ++y) {
                const std::string& line = lines.Line(y);
                const int x = y == pt.y ? pt.x : 0;
                int nHit = -1;
                for (int s = x; s < static_cast<int>(line.size()) && nHit < 0; ++s) {
                    if (AcceptableAt(line, s, pattern, dwFlags, x))
                        nHit = s;
                }
                // An empty pattern also occurs at the end of a line that is examined.
                if (nHit < 0 && m == 0 && x < static_cast<int>(line.size()) &&
                    AcceptableAt(line, static_cast<int>(line.size()), pattern, dwFlags, x))
                    nHit = static_cast<int>(line.size());
                if (nHit < 0)
                    continue;
                if (y == ptEnd.y && nHit >= ptEnd.x)
                    break;
                ptFound = {nHit, y};
                return true;
            }
        }
        return false;
    }
    TextPos pt = std::min(ptStart, ptEnd);
    for (int nPass = 0; nPass < (bWrap ? 2 : 1); ++nPass, pt = ptEnd) {
        for (int y = std::min(pt.y, lines.GetLineCount() - 1); y >= std::max(ptBegin.y, 0); --y) {
            const std::string& line = lines.Line(y);
            long nLimit = y == pt.y ? pt.x : LONG_MAX;
            if (y == ptEnd.y)
                nLimit = std::min<long>(nLimit, ptEnd.x);
            int nHit = -1;
            for (int s = static_cast<int>(line.size()) - 1; s >= 0 && nHit < 0; --s) {
                if (s < nLimit && AcceptableAt(line, s, pattern, dwFlags, 0))
                    nHit = s;
            }
            if (nHit < 0)
                continue;
            if (y == ptBegin.y && nHit < ptBegin.x)
                break;
            ptFound = {nHit, y};
            return true;
        }
    }
    return false;
}

TextPos DocumentEnd(const CTestLines& lines) {
    const int nLast = lines.GetLineCount() - 1;
    return {static_cast<int>(lines.Line(nLast).size()), nLast};
}

// Where FindInDocument finds pattern from ptStart; (-1, -1) for nothing.
TextPos FindFrom(const std::vector<std::string>& text, std::string_view pattern, TextPos ptStart,
                 uint32_t dwFlags, bool bWrap = true) {
    TextPos ptFound{-1, -1};
    if (!FindInDocument(CTestLines(text), pattern, ptStart, dwFlags, bWrap, ptFound))
        return {-1, -1};
    return ptFound;
}

std::string RandomText(std::mt19937& rng, int nMaxLength, std::string_view alphabet) {
    std::string text(rng() % static_cast<unsigned>(nMaxLength + 1), ' ');
    for (char& ch : text)
        ch = alphabet[rng() % alphabet.size()];
    return text;
}

} // namespace

TEST(SearchEngine, FindInStringFindsTheFirstOccurrenceWithCaseAndWholeWords) {
    // Whole words need a non-word character or the line's end on both sides; bytes 128 to
    // 255 are no letters. A rejected candidate leaves no word boundary behind.
    const struct {
        std::string text, pattern;
        bool bWholeWord;
        int nExpected;
    } cases[] = {
        // clang-format off
        {"abcabc", "bc", false, 1}, {"abcabc", "BC", false, -1}, {"abc", "abcd", false, -1},
        {"", "a", false, -1}, {"abc", "", false, 0}, {"a\0b\0c"s, "b\0c"s, false, 2},
        {"foo_bar", "foo", true, -1}, {"foobar", "foo", true, -1}, {"foo-bar", "foo", true, 0},
        {"barfoo foo", "foo", true, 7}, {"x foo", "foo", true, 2}, {"xab ab", "ab", true, 4},
        {"a9 a", "a", true, 3}, {"\xE4" "foo\xC4", "foo", true, 1}, {"aaa", "aa", true, -1},
        {"aaa aa", "aa", true, 4}, {"a-aa-a", "a-a", true, -1}, {"a-aa-a b-b", "b-b", true, 7},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindInString(c.text, c.pattern, c.bWholeWord), c.nExpected) << c.text;
}

TEST(SearchEngine, FindsInDocumentsAndRangesByTheRules) {
    constexpr uint32_t C = SEARCH_MATCHCASE, W = SEARCH_WHOLEWORD, U = SEARCH_UPWARD;
    const TextPos kNone{-1, -1};
    const std::vector<std::string> abc{"one abc", "", "abc two abc"}, up{"abc x", "abc abc abc"},
        cases{"xx abc ABC", "\xC4\xE4"}, range{"xxxxabcdef"}, twice{"abc", "abc"};
    // ptEnd kNone: FindInDocument from ptStart; else FindInRange from ptBegin to ptEnd.
    const struct {
        std::vector<std::string> text;
        std::string pattern;
        TextPos ptStart;
        uint32_t dwFlags;
        bool bWrap;
        TextPos ptExpected;
        TextPos ptBegin{0, 0}, ptEnd{-1, -1};
    } rows[] = {
        // clang-format off
        // The start of the examined text counts as a word boundary: the caret between "foo"
        // and "bar" downward; upward the whole line is examined.
        {{"aaa"}, "aa", {0, 0}, W | C, true, kNone},
        {{"foobar"}, "bar", {3, 0}, W, true, {3, 0}},
        {{"foobar"}, "foo", {3, 0}, W | U, true, kNone},
        // Without match case only ASCII letters fold.
        {cases, "ABC", {0, 0}, 0, true, {3, 0}}, {cases, "ABC", {0, 0}, C, true, {7, 0}},
        {cases, "aBc", {4, 0}, 0, true, {7, 0}}, {cases, "\xE4", {0, 0}, 0, true, {1, 1}},
        {cases, "\xC4", {1, 1}, 0, true, {0, 1}}, {cases, "\xC4\xC4", {0, 0}, 0, true, kNone},
        // Downward: the first match from the start, wrapping once.
        {abc, "abc", {0, 0}, 0, true, {4, 0}}, {abc, "abc", {5, 0}, 0, true, {0, 2}},
        {abc, "abc", {1, 2}, 0, true, {8, 2}}, {abc, "abc", {9, 2}, 0, true, {4, 0}},
        {abc, "abc", {9, 2}, 0, false, kNone},
        // The only occurrence, with the caret at its end, is found again.
        {{"x", "only here", "y"}, "here", {9, 1}, 0, true, {5, 1}},
        {{"x", "only here", "y"}, "nowhere", {0, 0}, 0, true, kNone},
        // Upward: the nearest match that begins before the start, which may run on past it;
        // round from the top to the last one; overlapping occurrences each in turn.
        {up, "abc", {5, 1}, U, true, {4, 1}}, {up, "abc", {11, 1}, U, true, {8, 1}},
        {up, "abc", {8, 1}, U, true, {4, 1}}, {up, "abc", {4, 1}, U, true, {0, 1}},
        {up, "abc", {0, 1}, U, true, {0, 0}}, {up, "abc", {0, 0}, U, true, {8, 1}},
        {up, "abc", {0, 0}, U, false, kNone}, {up, "bc x", {2, 0}, U, true, {1, 0}},
        {{"aaaa"}, "aa", {4, 0}, U, true, {2, 0}}, {{"aaaa"}, "aa", {2, 0}, U, true, {1, 0}},
        {{"aaaa"}, "aa", {1, 0}, U, true, {0, 0}},
        // An empty pattern matches where characters follow the start.
        {{"ab", "", "c"}, "", {1, 0}, 0, true, {1, 0}}, {{"ab", "", "c"}, "", {2, 0}, 0, true, {0, 2}},
        {{""}, "", {0, 0}, 0, true, kNone},
        // Starts outside the text are harmless.
        {twice, "abc", {-5, -3}, 0, true, {0, 0}}, {twice, "abc", {99, 0}, 0, true, {0, 1}},
        {twice, "abc", {0, 99}, 0, true, {0, 0}}, {twice, "abc", {0, 99}, U, true, {0, 1}},
        {twice, "abc", {99, 1}, U, true, {0, 1}},
        {twice, "abc", {0, 0}, 0, false, {0, 0}, {0, 0}, {0, 9}},
        {twice, "x", {0, 0}, 0, true, kNone, {0, 0}, {0, 9}},
        {twice, "abc", {0, 9}, U, false, {0, 1}, {0, 0}, {0, 9}},
        // Only the first character of a match is held against the range end; a start before
        // the range begins at the range; an empty range finds nothing. Upward too: nothing
        // before the range's begin, round from its end.
        {range, "abc", {0, 0}, 0, false, {4, 0}, {2, 0}, {5, 0}},
        {{"xxxxxabcdef"}, "abc", {0, 0}, 0, true, kNone, {2, 0}, {5, 0}},
        {range, "x", {0, 0}, 0, false, {2, 0}, {2, 0}, {5, 0}},
        {range, "x", {0, 0}, 0, true, kNone, {2, 0}, {2, 0}},
        {range, "x", {3, 0}, U, false, {2, 0}, {2, 0}, {5, 0}},
        {range, "x", {2, 0}, U, false, kNone, {2, 0}, {5, 0}},
        {range, "x", {2, 0}, U, true, {3, 0}, {2, 0}, {5, 0}},
        // clang-format on
    };
    for (const auto& row : rows) {
        const CTestLines lines(row.text);
        TextPos ptFound{-1, -1};
        const bool bFound =
            row.ptEnd == kNone
                ? FindInDocument(lines, row.pattern, row.ptStart, row.dwFlags, row.bWrap, ptFound)
                : FindInRange(lines, row.pattern, row.ptStart, row.ptBegin, row.ptEnd, row.dwFlags,
                              row.bWrap, ptFound);
        EXPECT_EQ(bFound ? ptFound : kNone, row.ptExpected)
            << row.pattern << " from " << row.ptStart.x << "," << row.ptStart.y << " flags "
            << row.dwFlags;
    }
}

TEST(SearchEngine, TextsThatDefeatTheShiftTablesAreSearchedRight) {
    // Each window matches all but one byte: the scan turns linear partway through.
    const std::string strAs(5000, 'a');
    const std::vector<std::string> text{strAs + "b" + strAs, strAs};
    const std::string strFront = "b" + std::string(300, 'a');
    const std::string strBack = std::string(300, 'a') + "b";
    for (const uint32_t dwCase : {0u, SEARCH_MATCHCASE}) {
        EXPECT_EQ(FindFrom(text, strBack, {0, 0}, dwCase), TextPos(4700, 0));
        EXPECT_EQ(FindFrom(text, strFront, {0, 0}, dwCase), TextPos(5000, 0));
        EXPECT_EQ(FindFrom(text, strBack, {5000, 1}, dwCase | SEARCH_UPWARD), TextPos(4700, 0));
        EXPECT_EQ(FindFrom(text, strFront, {5000, 1}, dwCase | SEARCH_UPWARD), TextPos(5000, 0));
        EXPECT_EQ(FindFrom(text, "A" + strBack, {0, 1}, dwCase),
                  TextPos(dwCase ? -1 : 4699, dwCase ? -1 : 0));
        EXPECT_EQ(FindFrom(text, strFront + "c", {0, 0}, dwCase), TextPos(-1, -1));
        EXPECT_EQ(FindFrom(text, "c" + strBack, {0, 0}, dwCase | SEARCH_UPWARD), TextPos(-1, -1));
    }
    // The linear scan stops at the line's end: a pattern ending in NUL is not found in the
    // byte that follows the line.
    std::string strPattern, strPairs;
    for (int i = 0; i < 100; ++i)
        strPattern += i == 50 ? std::string("b\0", 2) : std::string("a\0", 2);
    for (int i = 0; i < 2500; ++i)
        strPairs += std::string("a\0", 2);
    strPairs += strPattern.substr(0, strPattern.size() - 1);
    EXPECT_EQ(FindFrom({strPairs}, strPattern, {0, 0}, 0), TextPos(-1, -1));
}

TEST(SearchEngine, AgreesWithThePlainReferenceOnRandomTexts) {
    std::mt19937 rng(20240611);
    // Few letters, both cases, word and non-word characters, bytes that do not fold, NUL.
    const std::string_view alphabet("aAbB_- \xE4\xC4\0", 11);
    const uint32_t aFlags[] = {0,
                               SEARCH_MATCHCASE,
                               SEARCH_WHOLEWORD,
                               SEARCH_MATCHCASE | SEARCH_WHOLEWORD,
                               SEARCH_UPWARD,
                               SEARCH_UPWARD | SEARCH_MATCHCASE,
                               SEARCH_UPWARD | SEARCH_WHOLEWORD,
                               SEARCH_UPWARD | SEARCH_MATCHCASE | SEARCH_WHOLEWORD};
    int nFound = 0;
    for (int nCase = 0; nCase < 20000; ++nCase) {
        std::vector<std::string> text(1 + rng() % 5);
        for (std::string& line : text)
            line = RandomText(rng, 16, alphabet);
        const CTestLines lines(text);
        // Patterns are often taken from the text, so that matches are frequent.
        std::string pattern = RandomText(rng, 4, alphabet);
        const std::string& source = text[rng() % text.size()];
        if (rng() % 2 == 0 && !source.empty()) {
            const size_t nAt = rng() % source.size();
            pattern = source.substr(nAt, 1 + rng() % 4);
        }
        auto randomPos = [&] {
            const int y = static_cast<int>(rng() % text.size());
            return TextPos{static_cast<int>(rng() % (text[static_cast<size_t>(y)].size() + 1)), y};
        };
        TextPos ptStart = randomPos();
        TextPos ptBegin{0, 0};
        TextPos ptEnd = DocumentEnd(lines);
        if (rng() % 2 == 0) {
            ptBegin = randomPos();
            ptEnd = randomPos();
            if (ptEnd < ptBegin)
                std::swap(ptBegin, ptEnd);
        }
        const uint32_t dwFlags = aFlags[rng() % std::size(aFlags)];
        const bool bWrap = rng() % 2 == 0;

        TextPos ptExpected{-1, -1}, ptActual{-1, -1};
        const bool bExpected =
            ReferenceFind(lines, pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap, ptExpected);
        const bool bActual =
            FindInRange(lines, pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap, ptActual);
        ASSERT_EQ(bActual, bExpected) << "case " << nCase << " flags " << dwFlags;
        if (bExpected) {
            ASSERT_EQ(ptActual, ptExpected) << "case " << nCase << " flags " << dwFlags;
            ++nFound;
        }
    }
    // Both outcomes were tried often.
    EXPECT_GT(nFound, 5000);
    EXPECT_LT(nFound, 15000);
}

TEST(SearchEngine, AgreesWithTheReferenceOnLongRepetitiveLines) {
    // Long runs of few letters with long patterns: the cases where the scans change method.
    std::mt19937 rng(7);
    for (int nCase = 0; nCase < 300; ++nCase) {
        std::vector<std::string> text(1 + rng() % 2);
        for (std::string& line : text) {
            line.assign(200 + rng() % 800, 'a');
            for (int i = 0; i < 3; ++i)
                line[rng() % line.size()] = "bA -"[rng() % 4];
        }
        const CTestLines lines(text);
        std::string pattern(10 + rng() % 90, 'a');
        pattern[rng() % pattern.size()] = "bA "[rng() % 3];
        const uint32_t dwFlags = (rng() % 2 ? SEARCH_MATCHCASE : 0) |
                                 (rng() % 2 ? SEARCH_UPWARD : 0) |
                                 (rng() % 4 == 0 ? SEARCH_WHOLEWORD : 0);
        const TextPos ptStart{static_cast<int>(rng() % text[0].size()), 0};
        TextPos ptExpected{-1, -1}, ptActual{-1, -1};
        const bool bExpected = ReferenceFind(lines, pattern, ptStart, {0, 0}, DocumentEnd(lines),
                                             dwFlags, true, ptExpected);
        const bool bActual = FindInDocument(lines, pattern, ptStart, dwFlags, true, ptActual);
        ASSERT_EQ(bActual, bExpected) << "case " << nCase;
        if (bExpected) {
            ASSERT_EQ(ptActual, ptExpected) << "case " << nCase;
        }
    }
}
