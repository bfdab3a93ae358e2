#include "tests/imageadv/Fixture.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using ReaderTest = testing::ImageAdvTest;

// A control larger than a bitmap can be has no picture to make: drawing on image 0 does
// nothing, and neither does the parent's canvas when the parent is as large.
TEST_F(ReaderTest, ControlLargerThanABitmapHasNoPictureToDrawOn) {
    *adv->BmpBkGet(1) = Bitmap(4, 4);
    adv->resize(Bitmap::kMaxSide + 1, 4);
    EXPECT_FALSE(adv->BmpBkCopy(0, 1, 0, 0));
    EXPECT_TRUE(adv->BmpBkGet(0)->empty());
    form.resize(Bitmap::kMaxSide + 1, 4);
    EXPECT_TRUE(form.surface().empty());
    EXPECT_TRUE(adv->BmpBkCopy(-1, 1, 0, 0));  // an empty surface takes nothing
    form.resize(8, 8);
    EXPECT_EQ(form.surface().width(), 8);
}

}  // namespace
}  // namespace kelvo
