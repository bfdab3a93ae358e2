#include <gtest/gtest.h>

#include "app/window/DesktopRules.h"
#include "app/window/TrayTip.h"

namespace kelvo {
namespace {

constexpr int32_t L = 300;
constexpr int32_t T = 200;
const WindowBox kBox{L, T, 200, 80};

TEST(DragArea, BelowTheTopStripEverywhere) {
    EXPECT_FALSE(isDragArea({L + 10, T + 18}, L, T));  // last row of the strip: the buttons'
    EXPECT_TRUE(isDragArea({L + 10, T + 19}, L, T));
    EXPECT_TRUE(isDragArea({L + 199, T + 79}, L, T));
    EXPECT_TRUE(isDragArea({L, T + 19}, L, T));
}

TEST(DragArea, InTheTopStripOnlyOverTheCpuLabel) {
    EXPECT_FALSE(isDragArea({L + 113, T + 5}, L, T));
    EXPECT_TRUE(isDragArea({L + 114, T + 5}, L, T));
    EXPECT_TRUE(isDragArea({L + 164, T + 18}, L, T));
    EXPECT_FALSE(isDragArea({L + 165, T + 5}, L, T));  // the minimise button's side
    // The buttons keep their clicks: settings, clean, minimise, close.
    for (int32_t x : {0, 37, 38, 75, 167, 182, 183, 198})
        EXPECT_FALSE(isDragArea({L + x, T + 1}, L, T)) << x;
}

TEST(DragArea, FollowsTheWindowsPosition) {
    EXPECT_TRUE(isDragArea({114, 0}, 0, 0));
    EXPECT_FALSE(isDragArea({114, 0}, 1, 0));
    EXPECT_TRUE(isDragArea({-50, -10}, -100, -40));  // partly off the screen's left and top
}

TEST(HideUnderPointer, TheRectangleIncludesTheEdgeOneBeyondTheLastPixel) {
    for (ScreenPoint p : {ScreenPoint{L, T}, ScreenPoint{L + 200, T + 80}, ScreenPoint{L + 200, T},
                          ScreenPoint{L + 100, T + 40}})
        EXPECT_TRUE(hidesUnderPointer(true, false, p, kBox, false)) << p.x << "," << p.y;
    for (ScreenPoint p : {ScreenPoint{L - 1, T}, ScreenPoint{L + 201, T + 80},
                          ScreenPoint{L, T - 1}, ScreenPoint{L + 100, T + 81}})
        EXPECT_FALSE(hidesUnderPointer(true, false, p, kBox, false)) << p.x << "," << p.y;
}

TEST(HideUnderPointer, ShiftTheOptionAndSmallModeEachKeepTheWindow) {
    const ScreenPoint inside{L + 50, T + 50};
    EXPECT_FALSE(hidesUnderPointer(true, false, inside, kBox, true));
    EXPECT_FALSE(hidesUnderPointer(false, false, inside, kBox, false));
    EXPECT_FALSE(hidesUnderPointer(true, true, inside, kBox, false));
}

TEST(HideUnderPointer, ReshownOnlyOnePixelBeyondTheEdge) {
    EXPECT_FALSE(reshowsAfterPointer(true, false, {L + 200, T + 80}, kBox));
    EXPECT_FALSE(reshowsAfterPointer(true, false, {L, T}, kBox));
    EXPECT_TRUE(reshowsAfterPointer(true, false, {L + 201, T + 40}, kBox));
    EXPECT_TRUE(reshowsAfterPointer(true, false, {L - 1, T + 40}, kBox));
    EXPECT_TRUE(reshowsAfterPointer(true, false, {L + 100, T - 1}, kBox));
    EXPECT_TRUE(reshowsAfterPointer(true, false, {L + 100, T + 81}, kBox));
}

TEST(HideUnderPointer, NoReshowWithoutTheOptionOrInSmallMode) {
    const ScreenPoint away{0, 0};
    EXPECT_FALSE(reshowsAfterPointer(false, false, away, kBox));
    EXPECT_FALSE(reshowsAfterPointer(true, true, away, kBox));
}

constexpr int64_t kSecond = 1'000'000'000;

TEST(TrayTip, WrittenOnlyWhenItsTextChangesAndAtMostOnceASecond) {
    TrayTipPacer pacer;
    EXPECT_EQ(pacer.update(512 * 1048576ull, 5 * kSecond), QStringLiteral("512.0MB Free"));
    // A new figure within the second waits; so does one that reads as the text shown.
    EXPECT_EQ(pacer.update(600 * 1048576ull, 6 * kSecond - 1), std::nullopt);
    EXPECT_EQ(pacer.update(512 * 1048576ull + 1, 6 * kSecond), std::nullopt);
    // The waiting change goes out at the first sample past the second.
    EXPECT_EQ(pacer.update(600 * 1048576ull, 6 * kSecond + 1), QStringLiteral("600.0MB Free"));
    EXPECT_EQ(pacer.update(512 * 1048576ull, 7 * kSecond + 1), QStringLiteral("512.0MB Free"));
}

TEST(TrayTip, FourCharactersAtLeastOneDecimalAndNoLimitOnSize) {
    TrayTipPacer pacer;
    EXPECT_EQ(pacer.update(1048576ull / 2, 0), QStringLiteral(" 0.5MB Free"));
    EXPECT_EQ(pacer.update(0, kSecond), QStringLiteral(" 0.0MB Free"));
    EXPECT_EQ(pacer.update(256ull * 1024 * 1048576, 2 * kSecond),
              QStringLiteral("262144.0MB Free"));
    // The first tip replaces the name even with nothing free.
    TrayTipPacer fresh;
    EXPECT_EQ(fresh.update(0, 0), QStringLiteral(" 0.0MB Free"));
}

TEST(TaskBar, TheOptionCountsOnlyWithATray) {
    EXPECT_TRUE(skipsTaskBar(true, true));
    EXPECT_FALSE(skipsTaskBar(true, false));
    EXPECT_FALSE(skipsTaskBar(false, true));
    EXPECT_FALSE(skipsTaskBar(false, false));
}

}  // namespace
}  // namespace kelvo
