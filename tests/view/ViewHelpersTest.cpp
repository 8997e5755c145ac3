// The view's plain helpers: the search engine, tab mapping, margin icons, the long-line index.
#include "ViewTestSupport.h"
#include "buffer/TextLine.h"
#include "language/ColorBlock.h"
#include "view/LongLineIndex.h"
#include "view/MarginIcons.h"
#include "view/SearchEngine.h"
#include "view/TabMapping.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

constexpr int kTab = 4;

// Lines held in strings, as the engine reads a view's lines; a line past the text throws.
class CTestLines final : public CLineSource {
public:
    explicit CTestLines(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    int GetLineCount() const override { return static_cast<int>(m_lines.size()); }
    std::string_view GetLine(int nLine) const override { return m_lines.at(size_t(nLine)); }
    std::vector<std::string> m_lines;
};

// The reference search: every rule written out plainly, one position at a time.
bool IsWordByte(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
           ch == '_';
}

char FoldByte(char ch, uint32_t dwFlags) {
    return !(dwFlags & SEARCH_MATCHCASE) && ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
}

// Whether pattern occurs acceptably at s of a line whose examined text begins at nFrom.
bool AcceptableAt(const std::string& line, int s, const std::string& pattern, uint32_t dwFlags,
                  int nFrom) {
    const int n = int(line.size()), m = int(pattern.size());
    if (s < 0 || s + m > n)
        return false;
    for (int i = 0; i < m; ++i) {
        if (FoldByte(line[size_t(s + i)], dwFlags) != FoldByte(pattern[size_t(i)], dwFlags))
            return false;
    }
    return !(dwFlags & SEARCH_WHOLEWORD) || ((s == nFrom || !IsWordByte(line[size_t(s - 1)])) &&
                                             (s + m == n || !IsWordByte(line[size_t(s + m)])));
}

bool ReferenceFind(const CTestLines& lines, const std::string& pattern, TextPos ptStart,
                   TextPos ptBegin, TextPos ptEnd, uint32_t dwFlags, bool bWrap, TextPos& ptFound) {
    if (ptBegin == ptEnd)
        return false;
    const int nLastLine = std::min(ptEnd.y, lines.GetLineCount() - 1);
    const bool bUp = dwFlags & SEARCH_UPWARD;
    TextPos pt = bUp ? std::min(ptStart, ptEnd) : std::max(ptStart, ptBegin);
    for (int nPass = 0; nPass < (bWrap ? 2 : 1); ++nPass, pt = bUp ? ptEnd : ptBegin) {
        for (int y = bUp ? std::min(pt.y, nLastLine) : pt.y; bUp ? y >= ptBegin.y : y <= nLastLine;
             y += bUp ? -1 : 1) {
            const std::string& line = lines.m_lines[size_t(y)];
            const int n = int(line.size());
            int nHit = -1;
            if (!bUp) {
                // An empty pattern also occurs at the end of a line that is examined.
                const int x = y == pt.y ? pt.x : 0;
                for (int s = x; s <= n && nHit < 0 && (s < n || x < n); ++s)
                    nHit = AcceptableAt(line, s, pattern, dwFlags, x) ? s : -1;
                if (nHit >= 0 && y == ptEnd.y && nHit >= ptEnd.x)
                    break;
            } else {
                long nLimit = y == pt.y ? pt.x : LONG_MAX;
                if (y == ptEnd.y)
                    nLimit = std::min<long>(nLimit, ptEnd.x);
                for (int s = n - 1; s >= 0 && nHit < 0; --s)
                    nHit = s < nLimit && AcceptableAt(line, s, pattern, dwFlags, 0) ? s : -1;
                if (nHit >= 0 && y == ptBegin.y && nHit < ptBegin.x)
                    break;
            }
            if (nHit >= 0) {
                ptFound = {nHit, y};
                return true;
            }
        }
    }
    return false;
}

// Where FindInDocument, or FindInRange from ptBegin to ptEnd, finds pattern; (-1, -1) for
// nothing.
TextPos FindFrom(const std::vector<std::string>& text, std::string_view pattern, TextPos ptStart,
                 uint32_t dwFlags, bool bWrap = true, TextPos ptBegin = {},
                 TextPos ptEnd = {-1, -1}) {
    TextPos ptFound{-1, -1};
    const CTestLines lines(text);
    const bool bFound =
        ptEnd.y < 0 ? FindInDocument(lines, pattern, ptStart, dwFlags, bWrap, ptFound)
                    : FindInRange(lines, pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap, ptFound);
    return bFound ? ptFound : TextPos{-1, -1};
}

TEST(SearchEngine, FindsWithCaseAndWholeWordsFromAnyStartAndBeyondTheShiftTables) {
    // A whole word has a non-word character or the line's end on both sides; bytes 128 to 255
    // are no letters. A rejected candidate leaves no word boundary behind.
    const std::tuple<std::string, std::string, bool, int> cases[] = {
        // clang-format off
        {"abcabc", "bc", false, 1}, {"abcabc", "BC", false, -1}, {"abc", "abcd", false, -1},
        {"", "a", false, -1}, {"abc", "", false, 0}, {"a\0b\0c"s, "b\0c"s, false, 2},
        {"foo_bar", "foo", true, -1}, {"foobar", "foo", true, -1}, {"foo-bar", "foo", true, 0},
        {"barfoo foo", "foo", true, 7}, {"x foo", "foo", true, 2}, {"xab ab", "ab", true, 4},
        {"a9 a", "a", true, 3}, {"\xE4" "foo\xC4", "foo", true, 1}, {"aaa", "aa", true, -1},
        {"aaa aa", "aa", true, 4}, {"a-aa-a", "a-a", true, -1}, {"a-aa-a b-b", "b-b", true, 7},
        // clang-format on
    };
    for (const auto& [text, pattern, bWholeWord, nExpected] : cases)
        EXPECT_EQ(FindInString(text, pattern, bWholeWord), nExpected) << text;
    // An upward search from past the text starts at its last line; no line past it is read.
    constexpr uint32_t U = SEARCH_UPWARD;
    const TextPos kNone{-1, -1};
    const std::vector<std::string> twice{"abc", "abc"};
    EXPECT_EQ(FindFrom(twice, "abc", {-5, -3}, 0), TextPos(0, 0));
    EXPECT_EQ(FindFrom(twice, "abc", {99, 0}, 0), TextPos(0, 1));
    EXPECT_EQ(FindFrom(twice, "abc", {0, 99}, 0), TextPos(0, 0));
    EXPECT_EQ(FindFrom(twice, "abc", {0, 99}, U), TextPos(0, 1));
    EXPECT_EQ(FindFrom(twice, "abc", {99, 1}, U), TextPos(0, 1));
    EXPECT_EQ(FindFrom(twice, "abc", {1, 1}, 0, false), kNone);
    EXPECT_EQ(FindFrom(twice, "abc", {0, 0}, U, false), kNone);
    EXPECT_EQ(FindFrom(twice, "abc", {0, 0}, 0, false, {0, 0}, {0, 9}), TextPos(0, 0));
    EXPECT_EQ(FindFrom(twice, "x", {0, 0}, 0, true, {0, 0}, {0, 9}), kNone);
    EXPECT_EQ(FindFrom(twice, "abc", {0, 9}, U, false, {0, 0}, {0, 9}), TextPos(0, 1));
    EXPECT_EQ(FindFrom({}, "", {0, 0}, 0), kNone);
    EXPECT_EQ(FindFrom({""}, "", {0, 0}, 0), kNone);
    // Each window matches all but one byte: the scan turns linear partway through.
    const std::string strAs(5000, 'a');
    const std::vector<std::string> runs{strAs + "b" + strAs, strAs};
    const std::string strFront = "b" + std::string(300, 'a');
    const std::string strBack = std::string(300, 'a') + "b";
    for (const uint32_t dwCase : {0u, SEARCH_MATCHCASE}) {
        const uint32_t dwUp = dwCase | SEARCH_UPWARD;
        EXPECT_EQ(FindFrom(runs, strBack, {0, 0}, dwCase), TextPos(4700, 0));
        EXPECT_EQ(FindFrom(runs, strFront, {0, 0}, dwCase), TextPos(5000, 0));
        EXPECT_EQ(FindFrom(runs, strBack, {5000, 1}, dwUp), TextPos(4700, 0));
        EXPECT_EQ(FindFrom(runs, strFront, {5000, 1}, dwUp), TextPos(5000, 0));
        EXPECT_EQ(FindFrom(runs, "A" + strBack, {0, 1}, dwCase),
                  dwCase ? TextPos(-1, -1) : TextPos(4699, 0));
        EXPECT_EQ(FindFrom(runs, strFront + "c", {0, 0}, dwCase), TextPos(-1, -1));
        EXPECT_EQ(FindFrom(runs, "c" + strBack, {0, 0}, dwUp), TextPos(-1, -1));
    }
    // The linear scan stops at the line's end: a pattern ending in NUL is not found in the
    // byte that follows the line.
    std::string strPattern, strPairs;
    for (int i = 0; i < 100; ++i)
        strPattern += i == 50 ? "b\0"s : "a\0"s;
    for (int i = 0; i < 2500; ++i)
        strPairs += "a\0"s;
    strPairs += strPattern.substr(0, strPattern.size() - 1);
    EXPECT_EQ(FindFrom({strPairs}, strPattern, {0, 0}, 0), TextPos(-1, -1));
}

std::string RandomText(std::mt19937& rng, int nMaxLength, std::string_view alphabet) {
    std::string text(rng() % unsigned(nMaxLength + 1), ' ');
    for (char& ch : text)
        ch = alphabet[rng() % alphabet.size()];
    return text;
}

TEST(SearchEngine, AgreesWithThePlainReferenceOnRandomTexts) {
    std::mt19937 rng(20240611);
    const std::string_view alphabet("aAbB_- \xE4\xC4\0", 11);
    int nFound = 0;
    for (int nCase = 0; nCase < 22000; ++nCase) {
        const bool bLong = nCase % 70 == 0;
        std::vector<std::string> text(1 + rng() % (bLong ? 2 : 5));
        for (std::string& line : text) {
            line = bLong ? std::string(200 + rng() % 800, 'a') : RandomText(rng, 16, alphabet);
            for (int i = 0; bLong && i < 3; ++i)
                line[rng() % line.size()] = "bA -"[rng() % 4];
        }
        const CTestLines lines(text);
        // Patterns are often taken from the text, so that matches are frequent.
        std::string pattern = RandomText(rng, 4, alphabet);
        const std::string& source = text[rng() % text.size()];
        if (bLong) {
            pattern.assign(10 + rng() % 90, 'a');
            pattern[rng() % pattern.size()] = "bA "[rng() % 3];
        } else if (rng() % 2 == 0 && !source.empty()) {
            pattern = source.substr(rng() % source.size(), 1 + rng() % 4);
        }
        auto randomPos = [&] {
            const int y = int(rng() % text.size());
            return TextPos{int(rng() % (text[size_t(y)].size() + 1)), y};
        };
        TextPos ptStart = randomPos(), ptBegin{0, 0};
        TextPos ptEnd{int(text.back().size()), int(text.size()) - 1};
        if (rng() % 2 == 0) {
            ptBegin = randomPos();
            ptEnd = randomPos();
            if (ptEnd < ptBegin)
                std::swap(ptBegin, ptEnd);
        }
        const uint32_t dwFlags = (rng() % 2 ? SEARCH_MATCHCASE : 0) |
                                 (rng() % 2 ? SEARCH_WHOLEWORD : 0) |
                                 (rng() % 2 ? SEARCH_UPWARD : 0);
        const bool bWrap = rng() % 2 == 0;
        TextPos ptExpected{-1, -1}, ptActual{-1, -1};
        const bool bExpected =
            ReferenceFind(lines, pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap, ptExpected);
        ASSERT_EQ(FindInRange(lines, pattern, ptStart, ptBegin, ptEnd, dwFlags, bWrap, ptActual),
                  bExpected)
            << "case " << nCase << " flags " << dwFlags;
        if (bExpected) {
            ASSERT_EQ(ptActual, ptExpected) << "case " << nCase << " flags " << dwFlags;
            ++nFound;
        }
    }
    EXPECT_GT(nFound, 5000); // both outcomes were tried often
    EXPECT_LT(nFound, 16000);
}

TEST(TabMapping, AgreesWithACharacterByCharacterWalkOnRandomLines) {
    std::mt19937 rng(7);
    for (int nRound = 0; nRound < 2000; ++nRound) {
        std::string line;
        const int n = int(rng() % 12);
        for (int i = 0; i < n; ++i)
            line.push_back("ab\t x\0"[rng() % 6]);
        const std::vector<int> ends = EndColumns(line);
        std::string expanded; // the whole line, its tabs as blanks up to their stops
        for (int i = 0; i < n; ++i)
            expanded += line[size_t(i)] == '\t'
                            ? std::string(size_t(ends[size_t(i)] - ModelColumn(ends, i)), ' ')
                            : line.substr(size_t(i), 1);
        std::string out;
        for (int i = 0; i <= n; ++i) {
            ASSERT_EQ(CharToColumn(line.data(), i, kTab), ModelColumn(ends, i)) << line;
            for (int j = i; j <= n; ++j) {
                ExpandTabs(line.data(), i, j - i, kTab, out);
                ASSERT_EQ(out, expanded.substr(size_t(ModelColumn(ends, i)),
                                               size_t(ModelColumn(ends, j) - ModelColumn(ends, i))))
                    << line << " " << i << " " << j;
            }
        }
        for (int c = -3; c <= ModelColumn(ends, n) + 4; ++c) {
            ASSERT_EQ(CharAtColumn(line.data(), n, c, kTab), ModelCoveringChar(ends, c)) << line;
            ASSERT_EQ(ColumnToChar(line.data(), n, c, kTab), ModelNearestChar(ends, c)) << line;
        }
    }
    EXPECT_EQ(CharToColumn(nullptr, 0, kTab), 0);
    std::string out = "stale";
    ExpandTabs("abcd", 1, -1, kTab, out);
    EXPECT_EQ(out, "");
}

TEST(MarginIcons, LowestNumberedBookmarkButZeroWins) {
    // clang-format off
    const std::pair<uint32_t, int> icons[] = {
        {0, -1}, {LineFlagMark(0) | LineFlagMark(3), 5}, {LineFlagMark(0) | LINEFLAG_BOOKMARK, 12},
        {LINEFLAG_BOOKMARK, 13}, {LineFlagMark(9) | LineFlagMark(1), 3}, {LineFlagMark(9), 11},
        {0x10000 | LineFlagMark(1), 0}, {0x40000, 2}, {0x100000, 14}, {0x400, -1}};
    // clang-format on
    for (const auto& [dwFlags, nIcon] : icons)
        EXPECT_EQ(MarginIconForFlags(dwFlags), nIcon) << std::hex << dwFlags;
}

TEST(LongLineIndex, MapsAsAWalkThroughEditsAndKeepsParserPointsUntilTheTextBeforeThemChanges) {
    CLongLineIndex index(kTab);
    std::string strUntold(10000, 'a');
    EXPECT_EQ(index.CharToColumn(0, strUntold.data(), 10000, 9000), 9000);
    strUntold.replace(0, 1, "\t\t\t");
    EXPECT_EQ(index.CharToColumn(0, strUntold.data(), 10002, 9002), 9000 + 11);
    index.Forget(0);
    EXPECT_EQ(index.IndexedLineCount(), 0);
    constexpr int S = CLongLineIndex::SPACING;
    const std::string strParsed(5 * S, 'a');
    const int nParsed = int(strParsed.size());
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).nPos, 0);
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).dwState, 7u);
    index.StoreParsePoint(3, 7, {2 * S, 1, 0});
    index.StoreParsePoint(3, 7, {S + 5, 1, 0});
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).nPos, 0);
    index.StoreParsePoint(3, 7, {S, 1, 42});
    index.StoreParsePoint(3, 7, {2 * S, 2, 43});
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).nData, 43);
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 2 * S - 1).nData, 42);
    index.OnTextReplaced(3, S + 1, 1, 1, strParsed.data(), nParsed);
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).nData, 42);
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 0, 3 * S).nPos, 0);
    EXPECT_EQ(index.ParsePointBefore(3, nParsed, 7, 3 * S).nPos, 0);
    const std::string_view alphabets[] = {"a\t", "ab cd\t", "abcdefgh ", "abcdefgh \t", "xyz"};
    std::mt19937 rng(31337);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    auto tabText = [&](int nLength) {
        std::string out;
        while (static_cast<int>(out.size()) < nLength)
            out += RandomText(rng, 12000, alphabets[rng() % std::size(alphabets)]);
        return out.substr(0, size_t(nLength));
    };
    index.Clear();
    std::string lines[2] = {tabText(20000), tabText(30000)}; // the second moved by lines before it
    int anLine[2] = {0, 5}, nLastEdit = 0;
    for (int nStep = 0; nStep < 5000; ++nStep) {
        const int w = pick(0, 1), nLine = anLine[w], nAction = pick(0, 9);
        std::string& line = lines[w];
        const int n = int(line.size()), nChar = pick(0, n);
        if (nAction < 6) {
            const std::vector<int> ends = EndColumns(line);
            const int c = pick(-2, ModelColumn(ends, n) + 5);
            SCOPED_TRACE(testing::Message() << nStep << ": " << nChar << " " << c);
            ASSERT_EQ(index.CharToColumn(nLine, line.data(), n, nChar), ModelColumn(ends, nChar));
            ASSERT_EQ(index.ColumnToChar(nLine, line.data(), n, c), ModelNearestChar(ends, c));
            ASSERT_EQ(index.CharAtColumn(nLine, line.data(), n, c), ModelCoveringChar(ends, c));
        } else if (nAction < 8) {
            // Edits cluster, as typing does; now and then a large paste or cut.
            const int nPos = pick(0, 1) ? nChar : std::clamp(nLastEdit + pick(-3, 3), 0, n);
            const bool bLarge = pick(0, 9) == 0;
            const int nRemoved = pick(0, std::min(n - nPos, bLarge ? 9000 : 3));
            const std::string inserted = tabText(pick(0, bLarge ? 9000 : 2));
            line.replace(size_t(nPos), size_t(nRemoved), inserted);
            if (!CLongLineIndex::IsLong(int(line.size()))) // short lines never reach the index
                line += tabText(CLongLineIndex::MIN_LENGTH);
            index.OnTextReplaced(nLine, nLastEdit = nPos, nRemoved, int(inserted.size()),
                                 line.data(), int(line.size()));
        } else if (nAction == 8) { // split or joined: what follows nChar is new
            line = line.substr(0, size_t(nChar)) + tabText(CLongLineIndex::MIN_LENGTH);
            index.Truncate(nLine, nChar, int(line.size()));
        } else if (const int nCount = pick(1, 3); pick(0, 1) == 0) {
            index.InsertLines(anLine[0] + 1, nCount);
            anLine[1] += nCount;
        } else if (anLine[1] - anLine[0] > nCount) {
            index.RemoveLines(anLine[0] + 1, nCount);
            anLine[1] -= nCount;
        }
    }
    EXPECT_EQ(index.IndexedLineCount(), 2);
}

} // namespace
