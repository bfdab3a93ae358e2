#include "tests/splpaint/Fixture.h"

namespace kelvo::testing {
namespace {

// Sizes a bitmap cannot have leave the sprite as it was, picture and mask alike.
TEST_F(SplPaintTest, SpriteSizesABitmapCannotHaveChangeNothing) {
    loadSprite(0, 8, 6, 1);
    const Bitmap image = paint.Splites[0].Image, mask = paint.Splites[0].Mask;
    for (int value : {-1, Bitmap::kMaxSide + 1}) {
        paint.SetWidth(0, value);
        paint.SetHeight(0, value);
    }
    // Each side alone is allowed, both together would be 3 GiB.
    paint.SetWidth(0, Bitmap::kMaxSide);
    paint.SetHeight(0, Bitmap::kMaxSide);
    EXPECT_EQ(paint.GetWidth(0), Bitmap::kMaxSide);
    EXPECT_EQ(paint.GetHeight(0), 6);
    paint.SetWidth(0, 8);
    EXPECT_TRUE(paint.Splites[0].Image.samePixels(image));
    EXPECT_TRUE(paint.Splites[0].Mask.samePixels(mask));
}

// A control larger than a bitmap can be has no surface and no made-up background.
TEST_F(SplPaintTest, ControlLargerThanABitmapDrawsNothing) {
    paint.resize(Bitmap::kMaxSide + 1, 4);
    loadSprite(0, 8, 6, 1);
    paint.DrawSplite(0, true);
    EXPECT_TRUE(paint.BkGnd.empty());
    EXPECT_TRUE(paint.surface().empty());
    paint.DrawToScreen(true);
    paint.resize(16, 4);
    EXPECT_EQ(paint.surface().width(), 16);
}

}  // namespace
}  // namespace kelvo::testing
