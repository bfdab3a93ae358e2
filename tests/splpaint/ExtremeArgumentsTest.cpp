#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include "tests/splpaint/Fixture.h"

namespace kelvo::testing {
namespace {

constexpr int kMin = INT_MIN, kMax = INT_MAX;

// Moves never wrap around: an edge pushed past the range stops at its end, far from any pixel.
TEST_F(SplPaintTest, MovesAtTheEndsOfTheRangeSaturate) {
    const Bitmap bg = loadBackground();
    loadSprite(0, 10, 8, 7);
    paint.MoveSplite2(0, kMax, kMin);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{kMax, kMin, kMax, kMin + 8}));
    paint.MoveSplite2(0, kMax, kMax);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{kMax, -1, kMax, 7}));
    paint.MoveSplite(0, kMax - 4, kMin);  // the width saturated to 0 above
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{kMax - 4, kMin, kMax - 4, kMin + 8}));
    paint.DrawSplite(0, true);
    paint.PatchSplite(0);
    paint.MoveSplite(0, TRect{kMin, kMin, kMax, kMax});
    paint.MoveSplite(0, 5, 6);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{5, 6, kMax, kMax}));
    paint.MoveSplite(0, TRect{kMax, kMax, kMin, kMin});
    paint.DrawSplite(0, false);
    paint.PatchSplite(0);
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
}

TEST_F(SplPaintTest, MirroredPositionIsErasedWhereItWasDrawn) {
    const Bitmap bg = loadBackground();
    loadSprite(0, 10, 8, 7);
    paint.MoveSplite(0, TRect{30, 20, 20, 12});  // drawn mirrored over (20, 12)-(30, 20)
    paint.DrawSplite(0, true);
    ASSERT_NE(firstDifference(paint.BkGnd, bg), "");
    paint.PatchSplite(0);
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
    EXPECT_EQ(firstDifference(paint.Temp, bg), "");
}

TEST_F(SplPaintTest, BottomRowOfTheLastIntIsNoOverflow) {
    const Bitmap bg = loadBackground();
    paint.Temp = noise(64, 48, 9);
    paint.CopyRectToBkGnd(false, TRect{0, 40, 4, kMax});
    EXPECT_EQ(paint.BkGnd.pixelValue(3, 47), paint.Temp.pixelValue(3, 47));
    EXPECT_EQ(paint.BkGnd.pixelValue(3, 39), bg.pixelValue(3, 39));
    EXPECT_EQ(paint.BkGnd.pixelValue(4, 47), bg.pixelValue(4, 47));
    EXPECT_TRUE(paint.ContrastScreen(0, TRect{kMin, kMin, kMax, kMax}));
    EXPECT_EQ(firstDifference(paint.BkGnd, solid(64, 48, raster::clBlack)), "");
}

TEST_F(SplPaintTest, TextRectanglesAtTheEndsOfTheRange) {
    auto drawn = [&](const TRect& r, bool centre, const std::string& text = "Kelvo") {
        loadBackground();
        raster::Font f;
        f.color = raster::rgb(255, 0, 0);
        paint.DoDrawText(1, r, text, &f, centre);
        return paint.BkGnd;
    };
    const Bitmap bg = drawn(TRect{}, false, "");
    for (bool centre : {false, true}) {
        EXPECT_EQ(firstDifference(drawn(TRect{kMax - 1, kMax - 1, kMax, kMax}, centre), bg), "");
        EXPECT_EQ(firstDifference(drawn(TRect{kMin, kMin, kMin + 1, kMin + 1}, centre), bg), "");
    }
    // Centred in the whole range, the text lies around x = 0: its right half shows.
    EXPECT_NE(firstDifference(drawn(TRect{kMin, 4, kMax, kMax}, true), bg), "");
    EXPECT_EQ(
        firstDifference(drawn(TRect{4, 4, kMax, kMax}, false), drawn(TRect{4, 4, 400, 60}, false)),
        "");
}

TEST_F(SplPaintTest, TextEndsAtItsFirstNul) {
    auto drawn = [&](const std::string& text) {
        loadBackground();
        paint.DoDrawText(1, TRect{4, 4, 64, 48}, text, nullptr, false);
        return paint.BkGnd;
    };
    const Bitmap want = drawn("Ke");
    EXPECT_EQ(firstDifference(drawn(std::string("Ke\0lvo", 6)), want), "");
    EXPECT_NE(firstDifference(drawn("Kelvo"), want), "");
}

// A thread drawing on the canvas under its lock keeps the pixels it locked; the resize that
// another thread's call brings waits for the lock.
TEST_F(SplPaintTest, TheCanvasLockCoversTheSurfaceResize) {
    paint.resize(100, 20);
    raster::Canvas& canvas = paint.canvas();
    ASSERT_EQ(paint.surface().width(), 100);
    paint.resize(300, 20);  // a hidden control's surface follows when asked for
    std::atomic<bool> locked{false}, resized{false};
    int seenUnderLock = 0;
    std::thread drawer([&] {
        raster::CanvasLock lock(canvas);
        locked = true;
        // Long enough for an unguarded resize to happen meanwhile; correctness asks for none.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        while (!resized && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        seenUnderLock = canvas.bitmap().width();
    });
    while (!locked)
        std::this_thread::yield();
    std::thread other([&] {
        paint.canvas();
        resized = true;
    });
    drawer.join();
    other.join();
    EXPECT_EQ(seenUnderLock, 100);
    EXPECT_EQ(paint.surface().width(), 300);
}

}  // namespace
}  // namespace kelvo::testing
