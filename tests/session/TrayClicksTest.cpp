#include <gtest/gtest.h>

#include "app/window/TrayClicks.h"

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

TEST(TrayMenuState, AHostMenuClosesWhenItLeavesTheScreenOrIsNeverSeen) {
    TrayMenuState menu;
    menu.opened(0);
    menu.hostMenuShown(false, 900 * kMs);  // not drawn yet
    EXPECT_TRUE(menu.isOpen());
    menu.hostMenuShown(true, 1000 * kMs);
    menu.hostMenuShown(true, 60000 * kMs);  // seen: no limit while it stays
    EXPECT_TRUE(menu.isOpen());
    menu.hostMenuShown(false, 60100 * kMs);
    EXPECT_FALSE(menu.isOpen());
    // Never seen (a host on another display server): open until the host says so, at most
    // the limit.
    menu.opened(100000 * kMs);
    menu.hostMenuShown(false, 100000 * kMs + TrayMenuState::kUnseenLimitNs);
    EXPECT_TRUE(menu.isOpen());
    menu.hostMenuShown(false, 100000 * kMs + TrayMenuState::kUnseenLimitNs + 1);
    EXPECT_FALSE(menu.isOpen());
    // Opened again, the earlier sighting no longer counts.
    menu.opened(200000 * kMs);
    menu.hostMenuShown(true, 200100 * kMs);
    menu.opened(200200 * kMs);
    menu.hostMenuShown(false, 200300 * kMs);
    EXPECT_TRUE(menu.isOpen());
    menu.closed();
    EXPECT_FALSE(menu.isOpen());
}

}  // namespace
}  // namespace kelvo
