// The index of long lines against a plain character-by-character walk from the line start,
// through random edits, and the parser points it keeps.
#include "view/LongLineIndex.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kTab = 4;

// The end column of every character of line, walked one by one.
std::vector<int> EndColumns(const std::string& line) {
    std::vector<int> ends;
    ends.reserve(line.size());
    int c = 0;
    for (const char ch : line) {
        c = ch == '\t' ? c + kTab - c % kTab : c + 1;
        ends.push_back(c);
    }
    return ends;
}

int ModelCharToColumn(const std::vector<int>& ends, int nChar) {
    return nChar == 0 ? 0 : ends[static_cast<size_t>(nChar) - 1];
}

int ModelColumnToChar(const std::vector<int>& ends, int nColumn) {
    if (nColumn <= 0)
        return 0;
    for (size_t i = 0; i < ends.size(); ++i) {
        if (ends[i] >= nColumn)
            return static_cast<int>(nColumn <= ends[i] - kTab / 2 ? i : i + 1);
    }
    return static_cast<int>(ends.size());
}

int ModelCharAtColumn(const std::vector<int>& ends, int nColumn) {
    return static_cast<int>(std::upper_bound(ends.begin(), ends.end(), std::max(nColumn, 0)) -
                            ends.begin());
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
        const int nWidth = ModelCharToColumn(ends, nLength);
        switch (pick(0, 9)) {
        case 0:
        case 1: {
            const int nChar = pick(0, nLength);
            ASSERT_EQ(index.CharToColumn(nLine, line.data(), nLength, nChar),
                      ModelCharToColumn(ends, nChar))
                << nChar;
            break;
        }
        case 2:
        case 3: {
            const int nColumn = pick(-2, nWidth + 5);
            ASSERT_EQ(index.ColumnToChar(nLine, line.data(), nLength, nColumn),
                      ModelColumnToChar(ends, nColumn))
                << nColumn;
            break;
        }
        case 4:
        case 5: {
            const int nColumn = pick(-2, nWidth + 5);
            ASSERT_EQ(index.CharAtColumn(nLine, line.data(), nLength, nColumn),
                      ModelCharAtColumn(ends, nColumn))
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
