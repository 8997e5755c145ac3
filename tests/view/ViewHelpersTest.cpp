// The view's plain helpers: tab mapping, the margin icon order and the two per-line caches.
#include "buffer/TextLine.h"
#include "language/ColorBlock.h"
#include "view/LineStateCache.h"
#include "view/LineWidthCache.h"
#include "view/MarginIcons.h"
#include "view/TabMapping.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kTab = 4;

int Column(const std::string& s, int nChar) {
    return CharToColumn(s.data(), nChar, kTab);
}
int Char(const std::string& s, int nColumn) {
    return ColumnToChar(s.data(), static_cast<int>(s.size()), nColumn, kTab);
}
int Covering(const std::string& s, int nColumn) {
    return CharAtColumn(s.data(), static_cast<int>(s.size()), nColumn, kTab);
}
std::string Expand(const std::string& s, int nOffset, int nCount) {
    std::string out = "stale";
    ExpandTabs(s.data(), nOffset, nCount, kTab, out);
    return out;
}

TEST(TabMapping, ColumnsOfCharactersAfterATab) {
    const std::string line = "a\tb";
    EXPECT_EQ(Column(line, 0), 0);
    EXPECT_EQ(Column(line, 1), 1);
    EXPECT_EQ(Column(line, 2), 4);
    EXPECT_EQ(Column(line, 3), 5); // the display width
    EXPECT_EQ(Column("\t", 1), 4);
    EXPECT_EQ(Column("abc\t", 4), 4);
    EXPECT_EQ(Column("abcd\t", 5), 8); // a tab at column 4 ends at 8
    EXPECT_EQ(Column("", 0), 0);
    EXPECT_EQ(CharToColumn(nullptr, 0, kTab), 0);
    // A NUL is an ordinary byte of one column.
    EXPECT_EQ(Column(std::string("a\0b", 3), 3), 3);
}

TEST(TabMapping, ColumnToCharSnapsAroundTabsAtHalfATab) {
    const std::string line = "\t\tx";
    EXPECT_EQ(Char(line, 0), 0);
    EXPECT_EQ(Char(line, 1), 0);
    EXPECT_EQ(Char(line, 2), 0);
    EXPECT_EQ(Char(line, 3), 1);
    EXPECT_EQ(Char(line, 4), 1);
    EXPECT_EQ(Char(line, 6), 1);
    EXPECT_EQ(Char(line, 7), 2);
    EXPECT_EQ(Char(line, 8), 2);
    EXPECT_EQ(Char(line, 9), 3);
    EXPECT_EQ(Char(line, 40), 3);
    // A column an ordinary character ends on gives the index after it.
    EXPECT_EQ(Char("abc", 1), 1);
    EXPECT_EQ(Char("abc", 3), 3);
    EXPECT_EQ(Char("abc", 7), 3);
    EXPECT_EQ(Char("abc", -2), 0);
    EXPECT_EQ(Char("", 5), 0);
}

TEST(TabMapping, CharAtColumnGivesTheCharacterCoveringTheColumn) {
    EXPECT_EQ(Covering("abc", 0), 0);
    EXPECT_EQ(Covering("abc", 2), 2);
    EXPECT_EQ(Covering("abc", 3), 3); // right of the end: the line length
    EXPECT_EQ(Covering("abc", 99), 3);
    const std::string line = "a\tb";
    EXPECT_EQ(Covering(line, 1), 1);
    EXPECT_EQ(Covering(line, 3), 1); // inside the tab's span
    EXPECT_EQ(Covering(line, 4), 2);
    EXPECT_EQ(Covering(line, 5), 3);
    EXPECT_EQ(Covering(line, -3), 0);
}

TEST(TabMapping, ExpandTabsCountsTabStopsFromTheLineStart) {
    EXPECT_EQ(Expand("ab\tc", 2, 2), "  c"); // the tab starts at column 2 and ends at 4
    EXPECT_EQ(Expand("ab\tc", 0, 4), "ab  c");
    EXPECT_EQ(Expand("\t\tx", 1, 2), "    x");
    EXPECT_EQ(Expand("abcd", 1, 2), "bc");
    EXPECT_EQ(Expand("abcd", 1, 0), "");
    EXPECT_EQ(Expand("abcd", 1, -1), "");
    EXPECT_EQ(Expand(std::string("a\0\tb", 4), 0, 4), std::string("a\0  b", 5));
}

TEST(TabMapping, AgreesWithACharacterByCharacterWalkOnRandomLines) {
    std::mt19937 rng(7);
    for (int nRound = 0; nRound < 2000; ++nRound) {
        std::string line;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            line.push_back("ab\t x"[rng() % 5]);
        std::vector<int> ends; // end column of each character
        int c = 0;
        for (char ch : line) {
            c = ch == '\t' ? c + kTab - c % kTab : c + 1;
            ends.push_back(c);
        }
        for (int i = 0; i <= n; ++i)
            ASSERT_EQ(Column(line, i), i == 0 ? 0 : ends[static_cast<size_t>(i) - 1]) << line;
        for (int col = 0; col <= c + 2; ++col) {
            const auto it = std::upper_bound(ends.begin(), ends.end(), col);
            ASSERT_EQ(Covering(line, col), static_cast<int>(it - ends.begin())) << line;
        }
    }
}

TEST(MarginIcons, LowestNumberedBookmarkButZeroWins) {
    EXPECT_EQ(MarginIconForFlags(0), -1);
    EXPECT_EQ(MarginIconForFlags(LineFlagMark(0) | LineFlagMark(3)), 5);    // the digit 3
    EXPECT_EQ(MarginIconForFlags(LineFlagMark(0) | LINEFLAG_BOOKMARK), 12); // the digit 0
    EXPECT_EQ(MarginIconForFlags(LINEFLAG_BOOKMARK), 13);
    EXPECT_EQ(MarginIconForFlags(LineFlagMark(9) | LineFlagMark(1)), 3);
    EXPECT_EQ(MarginIconForFlags(LineFlagMark(9)), 11);
    EXPECT_EQ(MarginIconForFlags(0x10000 | LineFlagMark(1)), 0);
    EXPECT_EQ(MarginIconForFlags(0x40000), 2);
    EXPECT_EQ(MarginIconForFlags(0x100000), 14);
    EXPECT_EQ(MarginIconForFlags(0x400), -1); // outside the order
}

TEST(LineStateCache, KeepsTheComputedPrefixOnly) {
    CLineStateCache cache;
    EXPECT_FALSE(cache.Exists());
    cache.Create(5);
    EXPECT_TRUE(cache.Exists());
    EXPECT_EQ(cache.Size(), 5);
    EXPECT_EQ(cache.Get(0), LINESTATE_UNSET);
    cache.Store(2, 7); // no prefix reaches it: not kept
    EXPECT_EQ(cache.Get(2), LINESTATE_UNSET);
    cache.Store(0, 1);
    cache.Store(1, 2);
    cache.Store(2, 3);
    EXPECT_EQ(cache.ComputedCount(), 3);
    EXPECT_EQ(cache.Get(1), 2u);
    cache.Store(1, 9); // within the prefix: replaced
    EXPECT_EQ(cache.Get(1), 9u);
    cache.InvalidateFrom(1);
    EXPECT_EQ(cache.Get(0), 1u);
    EXPECT_EQ(cache.Get(1), LINESTATE_UNSET);
    EXPECT_EQ(cache.Get(-1), LINESTATE_UNSET);
    cache.Store(5, 1); // beyond the size
    EXPECT_EQ(cache.ComputedCount(), 1);
}

TEST(LineStateCache, ResizeKeepsEntriesBeforeTheCut) {
    CLineStateCache cache;
    cache.Create(4);
    for (int i = 0; i < 4; ++i)
        cache.Store(i, static_cast<uint32_t>(10 + i));
    cache.Resize(10);
    EXPECT_EQ(cache.Size(), 10);
    EXPECT_EQ(cache.Get(3), 13u);
    EXPECT_EQ(cache.Get(4), LINESTATE_UNSET);
    cache.Resize(2);
    EXPECT_EQ(cache.Size(), 2);
    EXPECT_EQ(cache.ComputedCount(), 2);
    EXPECT_EQ(cache.Get(1), 11u);
    cache.Free();
    EXPECT_FALSE(cache.Exists());
    EXPECT_EQ(cache.Size(), 0);
}

// The width cache against a plain vector under random edits: entries, the unset count and
// the widest computed entry must always agree.
TEST(LineWidthCache, MatchesAPlainModelUnderRandomEdits) {
    std::mt19937 rng(2024);
    CLineWidthCache cache;
    cache.Create(50);
    std::vector<int> model(50, CLineWidthCache::WIDTH_UNSET);
    auto randomWidth = [&] {
        // Mostly narrow, sometimes very wide (beyond the table of narrow widths).
        return rng() % 10 == 0 ? static_cast<int>(4000 + rng() % 9000)
                               : static_cast<int>(rng() % 200);
    };
    for (int nStep = 0; nStep < 20000; ++nStep) {
        const int nSize = static_cast<int>(model.size());
        switch (rng() % 6) {
        case 0:
        case 1:
            if (nSize > 0) {
                const int i = static_cast<int>(rng() % static_cast<unsigned>(nSize));
                const int w = randomWidth();
                cache.Set(i, w);
                model[static_cast<size_t>(i)] = w;
            }
            break;
        case 2:
            if (nSize > 0) {
                const int i = static_cast<int>(rng() % static_cast<unsigned>(nSize));
                cache.Clear(i);
                model[static_cast<size_t>(i)] = CLineWidthCache::WIDTH_UNSET;
            }
            break;
        case 3: {
            const int i = static_cast<int>(rng() % static_cast<unsigned>(nSize + 1));
            const int n = static_cast<int>(rng() % 4);
            cache.InsertUnset(i, n);
            model.insert(model.begin() + i, static_cast<size_t>(n), CLineWidthCache::WIDTH_UNSET);
            break;
        }
        case 4:
            if (nSize > 0) {
                const int i = static_cast<int>(rng() % static_cast<unsigned>(nSize));
                const int n = std::min(static_cast<int>(rng() % 4), nSize - i);
                cache.Erase(i, n);
                model.erase(model.begin() + i, model.begin() + i + n);
            }
            break;
        default:
            if (rng() % 50 == 0 && nSize > 0) {
                const int i = static_cast<int>(rng() % static_cast<unsigned>(nSize));
                cache.ClearFrom(i);
                std::fill(model.begin() + i, model.end(), CLineWidthCache::WIDTH_UNSET);
            }
            break;
        }
        ASSERT_EQ(cache.Size(), static_cast<int>(model.size()));
        ASSERT_EQ(cache.UnsetCount(),
                  std::count(model.begin(), model.end(), CLineWidthCache::WIDTH_UNSET));
        const int nMax =
            model.empty() ? 0 : std::max(0, *std::max_element(model.begin(), model.end()));
        ASSERT_EQ(cache.MaxWidth(), nMax) << "step " << nStep;
    }
    for (int i = 0; i < cache.Size(); ++i)
        ASSERT_EQ(cache.Get(i), model[static_cast<size_t>(i)]);
}

TEST(LineWidthCache, CreateAndFreeStartOver) {
    CLineWidthCache cache;
    cache.Create(3);
    cache.Set(0, 9000);
    cache.Set(1, 5);
    EXPECT_EQ(cache.MaxWidth(), 9000);
    cache.Create(2);
    EXPECT_EQ(cache.UnsetCount(), 2);
    EXPECT_EQ(cache.MaxWidth(), 0);
    cache.Free();
    EXPECT_FALSE(cache.Exists());
    EXPECT_EQ(cache.Size(), 0);
}

} // namespace
