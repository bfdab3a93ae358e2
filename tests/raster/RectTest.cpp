#include <gtest/gtest.h>

#include <climits>

#include "raster/Rect.h"

namespace kelvo {
namespace {

constexpr int kMin = INT_MIN, kMax = INT_MAX;

TEST(RectArithmetic, ExtentsOfAnyRectangleAreExact) {
    EXPECT_EQ((TRect{kMin, kMin, kMax, kMax}).width(), int64_t(UINT32_MAX));
    EXPECT_EQ((TRect{kMax, 0, kMin, 0}).width(), -int64_t(UINT32_MAX));
    EXPECT_EQ((TRect{0, kMin, 0, 5}).height(), int64_t(5) - kMin);
    EXPECT_EQ((TRect{3, 4, 10, 20}).width(), 7);
    EXPECT_EQ((TRect{3, 4, 10, 20}).height(), 16);
}

TEST(RectArithmetic, MovedEdgesStopAtTheIntRange) {
    TRect r{0, 0, 10, 10};
    r.offset(kMax, kMin);
    EXPECT_EQ(r, (TRect{kMax, kMin, kMax, kMin + 10}));
    r = {kMax - 5, kMin + 1, kMax, 8};
    r.offset(1, -1);
    EXPECT_EQ(r, (TRect{kMax - 4, kMin, kMax, 7}));
    r.offset(-2, 3);  // ordinary values move as before
    EXPECT_EQ(r, (TRect{kMax - 6, kMin + 3, kMax - 2, 10}));
}

TEST(RectArithmetic, MoveToKeepsTheSizeWhereTheRangeAllows) {
    TRect r{-5, -5, 15, 25};
    r.moveTo(100, 200);
    EXPECT_EQ(r, (TRect{100, 200, 120, 230}));
    r.moveTo(kMax - 10, kMin);
    EXPECT_EQ(r, (TRect{kMax - 10, kMin, kMax, kMin + 30}));
    TRect wide{kMin, 0, kMax, 1};
    wide.moveTo(0, 0);
    EXPECT_EQ(wide, (TRect{0, 0, kMax, 1}));
    TRect mirrored{10, 10, 0, 0};
    mirrored.moveTo(50, 60);
    EXPECT_EQ(mirrored, (TRect{50, 60, 40, 50}));
}

TEST(RectArithmetic, InflatedMovesEveryEdgeOutward) {
    EXPECT_EQ((TRect{10, 20, 30, 40}).inflated(2), (TRect{8, 18, 32, 42}));
    EXPECT_EQ((TRect{10, 20, 30, 40}).inflated(-3), (TRect{13, 23, 27, 37}));
    EXPECT_EQ((TRect{kMin, kMin + 1, kMax - 1, kMax}).inflated(2), (TRect{kMin, kMin, kMax, kMax}));
    EXPECT_EQ((TRect{0, 0, 0, 0}).inflated(kMin), (TRect{kMax, kMax, kMin, kMin}));
}

}  // namespace
}  // namespace kelvo
