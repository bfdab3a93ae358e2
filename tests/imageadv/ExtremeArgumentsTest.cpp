#include <climits>

#include "components/imageadv/MenuLayout.h"
#include "raster/Pixel.h"
#include "tests/imageadv/Fixture.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using raster::Color;
using raster::PixelFormat;
using testing::ImageAdvTest;

using ExtremeArgumentsTest = ImageAdvTest;

constexpr int kMin = INT_MIN, kMax = INT_MAX;
constexpr Color kRed = 0x0000FF;
const raster::Font kFont;

Bitmap grey(PixelFormat f = PixelFormat::Pf24, int w = 200, int h = 60) {
    Bitmap b;
    EXPECT_TRUE(b.reset(w, h, f));
    b.fillValue(f == PixelFormat::Pf8 ? 200 : 0x808080);
    return b;
}

// A control too large for a picture has no image 0 to draw menus on.
TEST_F(ExtremeArgumentsTest, MenusOnAControlTooLargeForAPictureDrawNothing) {
    for (QSize size : {QSize(Bitmap::kMaxSide + 1, 100), QSize(20000, 20000)}) {
        adv->resize(size);
        adv->NovelSelect("Title", "one", "two", "three", "four", true, 3, kRed);
        adv->NovelOption("a", "b", "c", "d", "e", "f", true, 65, kRed);
        EXPECT_TRUE(adv->BmpBkGet(0)->empty()) << size.width();
    }
}

// With a count near INT_MAX every answer band is 0 high; the first option band too, and every
// later one h/10 high (48 to 96, 96 to 144, ...), as the layout's formulas give.
TEST_F(ExtremeArgumentsTest, HitTestsTakeAnyCount) {
    for (int count : {kMax, kMax - 1, kMin, -1, 0})
        EXPECT_EQ(adv->NovelSelHitRect(count, 100, 200), 0) << count;
    for (int count : {kMin, -1, 0})
        EXPECT_EQ(adv->NovelOptHitRect(count, 100, 100), 0) << count;
    for (int count : {kMax, kMax - 1}) {
        EXPECT_EQ(adv->NovelOptHitRect(count, 100, 100), 3) << count;
        EXPECT_EQ(adv->NovelOptHitRect(count, 100, 260), 6) << count;
        EXPECT_EQ(adv->NovelOptHitRect(count, 100, 300), 0) << count;
    }
    EXPECT_EQ(adv->NovelSelHitRect(2, 100, 200), 1);
    EXPECT_EQ(adv->NovelOptHitRect(3, 100, 100), 1);
}

// Text far outside every bitmap draws nothing and a rectangle reaching to the end of the range
// draws as an ordinary one: no edge arithmetic wraps around.
TEST_F(ExtremeArgumentsTest, TextRectanglesAtTheEndsOfTheRange) {
    auto bitmapText = [&](const TRect& r) {
        Bitmap b = grey();
        adv->NovelDrawText(&b, &r, "Kelvo", &kFont, true, kRed);
        return b;
    };
    auto canvasText = [&](const TRect& r) {
        Bitmap b = grey();
        adv->NovelDrawText(&b.canvas(), &r, "Kelvo", &kFont, true, kRed);
        return b;
    };
    const TRect ordinary{4, 4, 200, 60};
    for (const TRect& far : {TRect{kMax - 1, kMax - 1, kMax, kMax}, TRect{kMin, kMin, kMin + 2, 3},
                             TRect{kMax, 0, kMax, 60}, TRect{kMin, 0, -100, 60}}) {
        EXPECT_TRUE(bitmapText(far).samePixels(grey())) << far.Left;
        EXPECT_TRUE(canvasText(far).samePixels(grey())) << far.Left;
    }
    const TRect toTheEnd{4, 4, kMax, kMax};
    EXPECT_TRUE(bitmapText(toTheEnd).samePixels(bitmapText(ordinary)));
    EXPECT_TRUE(canvasText(toTheEnd).samePixels(canvasText(ordinary)));
    EXPECT_FALSE(bitmapText(ordinary).samePixels(grey()));

    *adv->BmpBkGet(1) = grey();
    raster::Font f;
    for (int at : {kMax, kMax - 3, kMin})
        adv->NovelTextOut(1, at, at, "Kelvo", &f);
    EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(grey()));
}

// The mask keeps every other pixel's index, whichever entries of the palette are white.
TEST_F(ExtremeArgumentsTest, BitmapTextOnAnIndexedTargetKeepsTheOtherIndexes) {
    const Bitmap before = grey(PixelFormat::Pf8);
    const Color white = raster::clWhite;
    ASSERT_EQ(raster::colorToPixel(white, PixelFormat::Pf8, before.palette()), 15u)
        << "the default palette's first white must come before 255";
    const TRect r{4, 4, 200, 60};
    Bitmap indexed = before;
    adv->NovelDrawText(&indexed, &r, "Kelvo", &kFont, true, kRed);
    Bitmap truecolour = grey();
    adv->NovelDrawText(&truecolour, &r, "Kelvo", &kFont, true, kRed);
    const uint32_t red = raster::colorToPixel(kRed, PixelFormat::Pf8, before.palette());
    int text = 0, shadow = 0;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            const Color c = truecolour.pixel(x, y);
            const uint32_t want = c == kRed ? red : c == raster::clBlack ? 0u : 200u;
            ASSERT_EQ(indexed.pixelValue(x, y), want) << x << "," << y;
            text += c == kRed, shadow += c == raster::clBlack;
        }
    EXPECT_GT(text, 10);
    EXPECT_GT(shadow, 10);
}

TEST_F(ExtremeArgumentsTest, TextEndsAtItsFirstNul) {
    const TRect r{4, 4, 200, 60};
    auto drawn = [&](const std::string& text) {
        Bitmap b = grey();
        adv->NovelDrawText(&b, &r, text, &kFont, true, kRed);
        adv->NovelDrawText(&b.canvas(), &r, text, &kFont, true, kRed);
        *adv->BmpBkGet(1) = grey();
        raster::Font f;
        adv->NovelTextOut(1, 0, 30, text, &f);
        return std::pair{b, *adv->BmpBkGet(1)};
    };
    const auto want = drawn("Kel");
    const auto got = drawn(std::string("Kel\0vo", 6));
    EXPECT_TRUE(got.first.samePixels(want.first));
    EXPECT_TRUE(got.second.samePixels(want.second));
    EXPECT_TRUE(drawn(std::string("\0Kelvo", 6)).first.samePixels(grey()));
}

}  // namespace
}  // namespace kelvo
