// The view's plain helpers: tab mapping, the index of long lines, the margin icon order and
// the two per-line caches, each against plain models where they have state.
#include "ViewTestSupport.h"
#include "buffer/TextLine.h"
#include "language/ColorBlock.h"
#include "view/LineStateCache.h"
#include "view/LineWidthCache.h"
#include "view/LongLineIndex.h"
#include "view/MarginIcons.h"
#include "view/TabMapping.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kTab = 4;

TEST(TabMapping, MapsCharactersAndColumnsAroundTabs) {
    // Every line's column of each character; then for columns -3 to four past its width the
    // nearest character, which snaps before a tab at half a tab and after an ordinary
    // character that ends on the column, and the character covering the column.
    const struct {
        std::string line;
        const char* pszExpected;
    } cases[] = {
        // clang-format off
        {"a\tb", "0 1 4 5| 0 0 0 0 1 1 2 2 3 3 3 3 3| 0 0 0 0 1 1 1 2 3 3 3 3 3"},
        {"\t", "0 4| 0 0 0 0 0 0 1 1 1 1 1 1| 0 0 0 0 0 0 0 1 1 1 1 1"},
        {"abc\t", "0 1 2 3 4| 0 0 0 0 1 2 3 4 4 4 4 4| 0 0 0 0 1 2 3 4 4 4 4 4"},
        {"abcd\t", "0 1 2 3 4 8| 0 0 0 0 1 2 3 4 4 4 5 5 5 5 5 5| 0 0 0 0 1 2 3 4 4 4 4 5 5 5 5 5"},
        {"", "0| 0 0 0 0 0 0 0 0| 0 0 0 0 0 0 0 0"},
        {std::string("a\0b", 3), "0 1 2 3| 0 0 0 0 1 2 3 3 3 3 3| 0 0 0 0 1 2 3 3 3 3 3"},
        {"\t\tx", "0 4 8 9| 0 0 0 0 0 0 1 1 1 1 2 2 3 3 3 3 3| 0 0 0 0 0 0 0 1 1 1 1 2 3 3 3 3 3"},
        {"ab\t\tcd\te", "0 1 2 4 8 9 10 12 13| 0 0 0 0 1 2 3 3 3 3 4 4 5 6 7 7 8 8 8 8 8| "
                      "0 0 0 0 1 2 2 3 3 3 3 4 5 6 6 7 8 8 8 8 8"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.line.size());
        const int nWidth = CharToColumn(c.line.data(), n, kTab);
        std::string out;
        for (int i = 0; i <= n; ++i)
            out += (i ? " " : "") + std::to_string(CharToColumn(c.line.data(), i, kTab));
        out += "|";
        for (int nColumn = -3; nColumn <= nWidth + 4; ++nColumn)
            out += " " + std::to_string(ColumnToChar(c.line.data(), n, nColumn, kTab));
        out += "|";
        for (int nColumn = -3; nColumn <= nWidth + 4; ++nColumn)
            out += " " + std::to_string(CharAtColumn(c.line.data(), n, nColumn, kTab));
        EXPECT_EQ(out, c.pszExpected) << c.line;
    }
    EXPECT_EQ(CharToColumn(nullptr, 0, kTab), 0);
    // Tab stops count from the line's start, wherever the expanded run begins.
    std::string out = "stale";
    ExpandTabs("ab\tc", 2, 2, kTab, out);
    EXPECT_EQ(out, "  c");
    ExpandTabs("abcd", 1, -1, kTab, out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ColumnToChar("abc", 3, 40, kTab), 3);
    EXPECT_EQ(CharAtColumn("abc", 3, 99, kTab), 3);
}

TEST(TabMapping, AgreesWithACharacterByCharacterWalkOnRandomLines) {
    std::mt19937 rng(7);
    for (int nRound = 0; nRound < 2000; ++nRound) {
        std::string line;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            line.push_back("ab\t x\0"[rng() % 6]);
        const std::vector<int> ends = EndColumns(line);
        std::string expanded; // the whole line, its tabs as blanks up to their stops
        for (int i = 0; i < n; ++i)
            expanded +=
                line[size_t(i)] == '\t'
                    ? std::string(size_t(ModelColumn(ends, i + 1) - ModelColumn(ends, i)), ' ')
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

// The cache as "size N computed C: entries", "-" for an unset entry.
std::string States(const CLineStateCache& cache) {
    std::string out = "size " + std::to_string(cache.Size()) + " computed " +
                      std::to_string(cache.ComputedCount()) + ":";
    for (int i = 0; i < cache.Size(); ++i)
        out += cache.Get(i) == LINESTATE_UNSET ? " -" : " " + std::to_string(cache.Get(i));
    return out;
}

TEST(LineStateCache, KeepsTheComputedPrefixOnlyAndResizesKeepingEntriesBeforeTheCut) {
    CLineStateCache cache;
    EXPECT_FALSE(cache.Exists());
    cache.Create(5);
    EXPECT_TRUE(cache.Exists());
    cache.Store(2, 7); // no prefix reaches it: not kept
    EXPECT_EQ(States(cache), "size 5 computed 0: - - - - -");
    for (int i = 0; i < 3; ++i)
        cache.Store(i, static_cast<uint32_t>(i + 1));
    EXPECT_EQ(cache.Get(1), 2u);
    cache.Store(1, 9); // within the prefix: replaced
    EXPECT_EQ(States(cache), "size 5 computed 3: 1 9 3 - -");
    cache.InvalidateFrom(1);
    cache.Store(5, 1); // beyond the size
    EXPECT_EQ(States(cache), "size 5 computed 1: 1 - - - -");
    EXPECT_EQ(cache.Get(-1), LINESTATE_UNSET);
    for (int i = 1; i < 4; ++i)
        cache.Store(i, static_cast<uint32_t>(10 + i));
    cache.Resize(7);
    EXPECT_EQ(States(cache), "size 7 computed 4: 1 11 12 13 - - -");
    cache.Resize(2);
    EXPECT_EQ(States(cache), "size 2 computed 2: 1 11");
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

// Text with tabs now dense, now sparse, now absent over several thousand characters.
std::string RandomText(std::mt19937& rng, int nLength) {
    static const char* const s_apszAlphabets[] = {"a\t", "ab cd\t", "abcdefghijklmnopqrstuvwxyz ",
                                                  "abcdefghijklmnopqrstuvwxyz \t", "xyz"};
    std::string text;
    while (static_cast<int>(text.size()) < nLength) {
        const std::string alphabet = s_apszAlphabets[rng() % std::size(s_apszAlphabets)];
        for (int n = static_cast<int>(rng() % 12000);
             n > 0 && static_cast<int>(text.size()) < nLength; --n)
            text.push_back(alphabet[rng() % alphabet.size()]);
    }
    return text;
}

TEST(LongLineIndex, MapsAsAWalkFromTheLineStartThroughRandomEdits) {
    std::mt19937 rng(31337);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    CLongLineIndex index(kTab);
    // Two long lines, the second one moved by lines inserted and removed before it.
    std::string lines[2] = {RandomText(rng, 20000), RandomText(rng, 30000)};
    int anLine[2] = {0, 5};
    int nLastEdit = 0; // edits cluster, as typing does
    for (int nStep = 0; nStep < 5000; ++nStep) {
        const int w = pick(0, 1);
        std::string& line = lines[w];
        const int nLine = anLine[w];
        const int nLength = static_cast<int>(line.size());
        SCOPED_TRACE(testing::Message() << "step " << nStep << " line " << w);
        const std::vector<int> ends = EndColumns(line);
        const int nWidth = ModelColumn(ends, nLength);
        switch (pick(0, 9)) {
        case 0:
        case 1: {
            const int nChar = pick(0, nLength);
            ASSERT_EQ(index.CharToColumn(nLine, line.data(), nLength, nChar),
                      ModelColumn(ends, nChar))
                << nChar;
            break;
        }
        case 2:
        case 3: {
            const int nColumn = pick(-2, nWidth + 5);
            ASSERT_EQ(index.ColumnToChar(nLine, line.data(), nLength, nColumn),
                      ModelNearestChar(ends, nColumn))
                << nColumn;
            break;
        }
        case 4:
        case 5: {
            const int nColumn = pick(-2, nWidth + 5);
            ASSERT_EQ(index.CharAtColumn(nLine, line.data(), nLength, nColumn),
                      ModelCoveringChar(ends, nColumn))
                << nColumn;
            break;
        }
        case 6:
        case 7: {
            // Typing and deleting inside the line, now and then a large paste or cut.
            const int nPos = pick(0, 1) == 0 ? pick(0, nLength)
                                             : std::clamp(nLastEdit + pick(-3, 3), 0, nLength);
            nLastEdit = nPos;
            const bool bLarge = pick(0, 9) == 0;
            const int nRemoved = pick(0, std::min(nLength - nPos, bLarge ? 9000 : 3));
            const std::string inserted = RandomText(rng, pick(0, bLarge ? 9000 : 2));
            line.replace(static_cast<size_t>(nPos), static_cast<size_t>(nRemoved), inserted);
            // Lines that became short are never asked about: they are walked from the start.
            if (!CLongLineIndex::IsLong(static_cast<int>(line.size())))
                line += RandomText(rng, CLongLineIndex::MIN_LENGTH);
            index.OnTextReplaced(nLine, nPos, nRemoved, static_cast<int>(inserted.size()),
                                 line.data(), static_cast<int>(line.size()));
            break;
        }
        case 8: {
            // The line was split or joined at nPos: what followed it is new.
            const int nPos = pick(0, nLength);
            line = line.substr(0, static_cast<size_t>(nPos)) +
                   RandomText(rng, CLongLineIndex::MIN_LENGTH);
            index.Truncate(nLine, nPos, static_cast<int>(line.size()));
            break;
        }
        default: {
            // Lines come and go between the two.
            const int nCount = pick(1, 3);
            if (pick(0, 1) == 0) {
                index.InsertLines(anLine[0] + 1, nCount);
                anLine[1] += nCount;
            } else if (anLine[1] - anLine[0] > nCount) {
                index.RemoveLines(anLine[0] + 1, nCount);
                anLine[1] -= nCount;
            }
            break;
        }
        }
    }
    EXPECT_EQ(index.IndexedLineCount(), 2);
}

TEST(LongLineIndex, AChangeTheIndexWasNotToldAboutIsMeasuredAnew) {
    CLongLineIndex index(kTab);
    std::string line(10000, 'a');
    EXPECT_EQ(index.CharToColumn(0, line.data(), 10000, 9000), 9000);
    line.replace(0, 1, "\t\t\t");
    EXPECT_EQ(index.CharToColumn(0, line.data(), 10002, 9002), 9000 + 11);
    index.Forget(0);
    EXPECT_EQ(index.IndexedLineCount(), 0);
}

TEST(LongLineIndex, KeepsParserPointsAtStopsUntilTheTextBeforeThemOrTheStartStateChanges) {
    constexpr int S = CLongLineIndex::SPACING;
    const std::string line(5 * S, 'a');
    const int nLength = static_cast<int>(line.size());
    CLongLineIndex index(kTab);
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).nPos, 0);
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).dwState, 7u);
    // Only the next stop after those kept is kept.
    index.StoreParsePoint(3, 7, {2 * S, 1, 0});
    index.StoreParsePoint(3, 7, {S + 5, 1, 0});
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).nPos, 0);
    index.StoreParsePoint(3, 7, {S, 1, 42});
    index.StoreParsePoint(3, 7, {2 * S, 2, 43});
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).nData, 43);
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 2 * S - 1).nData, 42);
    // An edit after the first stop drops the second point.
    index.OnTextReplaced(3, S + 1, 1, 1, line.data(), nLength);
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).nData, 42);
    // Another start state drops them all.
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 0, 3 * S).nPos, 0);
    EXPECT_EQ(index.ParsePointBefore(3, nLength, 7, 3 * S).nPos, 0);
}

} // namespace
