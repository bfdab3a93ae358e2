#include <gtest/gtest.h>

#include "app/TrayClicks.h"

namespace kelvo {
namespace {

constexpr int64_t kMs = 1000000;

TEST(TrayClickPairing, TwoActivationsWithinTheIntervalAreADoubleClick) {
    TrayClickPairing pairing;
    EXPECT_FALSE(pairing.secondOfPair(1000 * kMs, 400));
    EXPECT_TRUE(pairing.secondOfPair(1400 * kMs, 400));  // the interval's end counts
    // A third click starts a new pair rather than completing another with the second.
    EXPECT_FALSE(pairing.secondOfPair(1500 * kMs, 400));
    EXPECT_FALSE(pairing.secondOfPair(1901 * kMs, 400));
    EXPECT_TRUE(pairing.secondOfPair(2000 * kMs, 400));
}

TEST(TrayClickPairing, AReportedDoubleClickLeavesNoHalfPair) {
    TrayClickPairing pairing;
    EXPECT_FALSE(pairing.secondOfPair(1000 * kMs, 400));
    pairing.reset();
    EXPECT_FALSE(pairing.secondOfPair(1100 * kMs, 400));
}

}  // namespace
}  // namespace kelvo
