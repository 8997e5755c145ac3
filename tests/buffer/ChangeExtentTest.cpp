// How insertions and deletions move the positions views keep.
#include "buffer/ChangeExtent.h"

#include <gtest/gtest.h>

namespace {

TextPos Fixed(const CChangeExtent& extent, TextPos pt) {
    extent.FixPosition(pt);
    return pt;
}

TEST(ChangeExtent, InsertMovesOnlyWhatLiesAfterTheInsertionPoint) {
    const CInsertExtent extent({2, 3}, {5, 5});        // two line breaks inserted at (2, 3)
    EXPECT_EQ(Fixed(extent, {7, 2}), (TextPos{7, 2})); // line before
    EXPECT_EQ(Fixed(extent, {1, 4}), (TextPos{1, 6})); // line after
    EXPECT_EQ(Fixed(extent, {2, 3}), (TextPos{2, 3})); // exactly at the point: stays before
    EXPECT_EQ(Fixed(extent, {1, 3}), (TextPos{1, 3})); // before the point on its line
    EXPECT_EQ(Fixed(extent, {4, 3}), (TextPos{7, 5})); // after it: onto the last new line
}

TEST(ChangeExtent, DeleteCollapsesTheRangeAndPullsLaterLinesUp) {
    const CDeleteExtent extent({1, 0}, {2, 2});        // abc / de / fgh -> ah
    EXPECT_EQ(Fixed(extent, {3, 2}), (TextPos{2, 0})); // after the end on the last line
    EXPECT_EQ(Fixed(extent, {2, 2}), (TextPos{1, 0})); // exactly at the end
    EXPECT_EQ(Fixed(extent, {1, 1}), (TextPos{1, 0})); // inside the removed lines
    EXPECT_EQ(Fixed(extent, {0, 0}), (TextPos{0, 0})); // before the start
    EXPECT_EQ(Fixed(extent, {3, 0}), (TextPos{1, 0})); // after the start on the first line
    EXPECT_EQ(Fixed(extent, {4, 7}), (TextPos{4, 5})); // a later line
    EXPECT_EQ(Fixed(extent, {1, 2}), (TextPos{1, 0})); // inside, on the last line
}

TEST(ChangeExtent, DeleteWithinOneLine) {
    const CDeleteExtent extent({2, 4}, {5, 4});
    EXPECT_EQ(Fixed(extent, {1, 4}), (TextPos{1, 4}));
    EXPECT_EQ(Fixed(extent, {3, 4}), (TextPos{2, 4}));
    EXPECT_EQ(Fixed(extent, {9, 4}), (TextPos{6, 4}));
    EXPECT_EQ(Fixed(extent, {9, 5}), (TextPos{9, 5}));
}

} // namespace
