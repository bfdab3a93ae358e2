#include <QApplication>
#include "raster/Blit.h"
#include "tests/imageadv/Fixture.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using raster::PixelFormat;
using raster::rgb;
using testing::ImageAdvTest;

using CopyTest = ImageAdvTest;

TEST_F(CopyTest, WholeCopyIsIndependent) {
    *adv->BmpBkGet(0) = palettePicture();
    ASSERT_TRUE(adv->BmpBkCopy(2, 0));
    EXPECT_TRUE(adv->BmpBkGet(2)->samePixels(*adv->BmpBkGet(0)));
    adv->BmpBkGet(0)->setPixelValue(0, 0, 99);
    EXPECT_EQ(adv->BmpBkGet(2)->pixelValue(0, 0), 0u);
}

TEST_F(CopyTest, ImageNumbersOutsideTheRangeDoNothing) {
    EXPECT_FALSE(adv->BmpBkCopy(5, 0));
    EXPECT_FALSE(adv->BmpBkCopy(0, -1));
    EXPECT_FALSE(adv->BmpBkCopy(1, 7, 0, 0));
    EXPECT_EQ(adv->BmpBkGet(5), nullptr);
    EXPECT_EQ(adv->BmpBkGet(-1), nullptr);
    adv->DataBackUp(9);
    EXPECT_FALSE(adv->RowBackUp.has_value());
    adv->DataRestore(-3, true);
    TRect r{0, 0, 1, 1};
    EXPECT_FALSE(adv->BmpBkCopy2(1, 5, &r, &r, 0));
    EXPECT_FALSE(adv->BmpBkCopy2(1, 0, nullptr, &r, 0));
}

TEST_F(CopyTest, DrawsAtAPositionOnImagesAndOnTheParentSurface) {
    Bitmap small(2, 2, PixelFormat::Pf24);
    small.setPixel(0, 0, rgb(10, 20, 30));
    *adv->BmpBkGet(3) = small;
    *adv->BmpBkGet(1) = Bitmap(640, 480, PixelFormat::Pf24);
    ASSERT_TRUE(adv->BmpBkCopy(1, 3, 5, 6));
    EXPECT_EQ(adv->BmpBkGet(1)->pixel(5, 6), rgb(10, 20, 30));
    ASSERT_TRUE(adv->BmpBkCopy(-1, 3, 7, 8));
    EXPECT_EQ(form.surface().pixel(7, 8), rgb(10, 20, 30));
    // An empty picture becomes a control-sized bitmap when drawn on.
    ASSERT_TRUE(adv->BmpBkCopy(0, 3, 1, 1));
    EXPECT_EQ(adv->BmpBkGet(0)->width(), 640);
    EXPECT_EQ(adv->BmpBkGet(0)->pixel(1, 1), rgb(10, 20, 30));
}

TEST(CopyWithoutSurface, NegativeNumberWithoutASurfaceParentDoesNothing) {
    QWidget plain;
    TImageAdv adv(&plain);
    *adv.BmpBkGet(1) = Bitmap(4, 4);
    EXPECT_FALSE(adv.BmpBkCopy(-1, 1, 0, 0));
    TRect r{0, 0, 2, 2};
    EXPECT_FALSE(adv.BmpBkCopy2(-1, 1, &r, &r, 0));
}

TEST_F(CopyTest, Copy2ModesAndTheCopyModeTheyLeave) {
    Bitmap dst(2, 1, PixelFormat::Pf24), src(2, 1, PixelFormat::Pf24);
    dst.setPixel(0, 0, rgb(0xF0, 0x0F, 0x00));
    src.setPixel(0, 0, rgb(0x0F, 0x0F, 0xFF));
    const TRect r{0, 0, 1, 1};
    auto run = [&](int mode) {
        *adv->BmpBkGet(1) = dst;
        *adv->BmpBkGet(2) = src;
        EXPECT_TRUE(adv->BmpBkCopy2(1, 2, &r, &r, mode));
        return adv->BmpBkGet(1)->pixel(0, 0);
    };
    EXPECT_EQ(run(0), rgb(0x0F, 0x0F, 0xFF));
    EXPECT_EQ(run(1), rgb(0xFF, 0x0F, 0xFF));
    EXPECT_EQ(run(2), rgb(0xF0, 0xFF, 0x00));  // D | ~S
    adv->BmpBkGet(1)->canvas().setBrush(raster::Brush::solid(rgb(0xFF, 0x00, 0x0F)));
    EXPECT_EQ(run(3), rgb(0x0F, 0x00, 0x0F));  // S & brush
    EXPECT_EQ(adv->BmpBkGet(1)->canvas().copyMode(), raster::rop::MERGECOPY);
    run(1);
    EXPECT_EQ(run(5), rgb(0xFF, 0x0F, 0xFF));  // still SRCPAINT
    EXPECT_EQ(adv->BmpBkGet(1)->canvas().copyMode(), raster::rop::SRCPAINT);
    // A copy at a position sets SRCCOPY, which a later mode 5 copies with.
    ASSERT_TRUE(adv->BmpBkCopy(1, 2, 0, 0));
    EXPECT_EQ(adv->BmpBkGet(1)->canvas().copyMode(), raster::rop::SRCCOPY);
    EXPECT_EQ(run(5), rgb(0x0F, 0x0F, 0xFF));
}

TEST_F(CopyTest, Copy2StretchesAndReachesTheParent) {
    Bitmap src(2, 2, PixelFormat::Pf24);
    src.setPixel(1, 1, rgb(1, 2, 3));
    *adv->BmpBkGet(4) = src;
    const TRect from{0, 0, 2, 2}, to{10, 10, 14, 14};
    ASSERT_TRUE(adv->BmpBkCopy2(-1, 4, &to, &from, 0));
    EXPECT_EQ(form.surface().pixel(13, 13), rgb(1, 2, 3));
    EXPECT_EQ(form.surface().pixel(11, 11), raster::clWhite);
    // And back from the parent's surface into an image.
    *adv->BmpBkGet(1) = Bitmap(4, 4);
    const TRect back{0, 0, 4, 4};
    ASSERT_TRUE(adv->BmpBkCopy2(1, -1, &back, &to, 0));
    EXPECT_EQ(adv->BmpBkGet(1)->pixel(3, 3), rgb(1, 2, 3));
}

TEST_F(CopyTest, RowBackUpRestoresUntilReleased) {
    *adv->BmpBkGet(1) = palettePicture(16, 8);
    const Bitmap saved = *adv->BmpBkGet(1);
    adv->DataBackUp(1);
    for (bool release : {false, false, true}) {
        adv->BmpBkGet(1)->fillValue(7);
        adv->DataRestore(1, release);
        EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(saved));
    }
    EXPECT_FALSE(adv->RowBackUp.has_value());
    adv->BmpBkGet(1)->fillValue(7);
    adv->DataRestore(1, false);
    EXPECT_EQ(adv->BmpBkGet(1)->pixelValue(0, 0), 7u);
}

TEST_F(CopyTest, RowBackUpFollowsThePixelFormat) {
    for (auto f : {PixelFormat::Pf8, PixelFormat::Pf16, PixelFormat::Pf24, PixelFormat::Pf32}) {
        *adv->BmpBkGet(2) = Bitmap(5, 3, f);
        adv->DataBackUp(2);
        ASSERT_TRUE(adv->RowBackUp.has_value());
        EXPECT_EQ(adv->RowBackUp->size(), 3u);
        EXPECT_EQ((*adv->RowBackUp)[0].size(), size_t(5 * raster::bitsPerPixel(f) / 8));
    }
}

TEST_F(CopyTest, EveryBackUpReplacesTheLastOneEvenOfPackedOrEmptyImages) {
    // A 24-bit back-up first, which a later restore must never bring back.
    *adv->BmpBkGet(1) = Bitmap(5, 3, PixelFormat::Pf24);
    adv->BmpBkGet(1)->fillValue(0x123456);
    adv->DataBackUp(1);
    for (auto [f, bytes] : {std::pair{PixelFormat::Pf1, 1u}, std::pair{PixelFormat::Pf4, 3u}}) {
        *adv->BmpBkGet(2) = Bitmap(5, 3, f);
        adv->BmpBkGet(2)->setPixelValue(4, 2, 1);
        const Bitmap saved = *adv->BmpBkGet(2);
        adv->DataBackUp(2);
        ASSERT_TRUE(adv->RowBackUp.has_value());
        ASSERT_EQ(adv->RowBackUp->size(), 3u);
        EXPECT_EQ((*adv->RowBackUp)[0].size(), bytes);
        adv->BmpBkGet(2)->fillValue(0);
        adv->DataRestore(2, false);
        EXPECT_TRUE(adv->BmpBkGet(2)->samePixels(saved));
    }
    *adv->BmpBkGet(3) = Bitmap();
    adv->DataBackUp(3);
    ASSERT_TRUE(adv->RowBackUp.has_value());
    EXPECT_TRUE(adv->RowBackUp->empty());
    adv->BmpBkGet(1)->fillValue(0);
    adv->DataRestore(1, false);  // nothing left of the first back-up
    EXPECT_EQ(adv->BmpBkGet(1)->pixelValue(0, 0), 0u);
    // Brightness on a packed image scales nothing, yet its back-up replaces the last one too.
    adv->DataBackUp(1);
    *adv->BmpBkGet(2) = Bitmap(5, 3, PixelFormat::Pf4);
    EXPECT_TRUE(adv->RGBChg(2, 50, 0, 256, false));
    ASSERT_TRUE(adv->RowBackUp.has_value());
    ASSERT_EQ(adv->RowBackUp->size(), 3u);
    EXPECT_EQ((*adv->RowBackUp)[0].size(), 3u);
}

TEST_F(CopyTest, RestoreIntoAnImageOfAnotherSizeStaysInsideIt) {
    *adv->BmpBkGet(1) = palettePicture(32, 20);
    adv->DataBackUp(1);
    *adv->BmpBkGet(2) = Bitmap(8, 4, PixelFormat::Pf8);
    adv->DataRestore(2, false);
    EXPECT_EQ(adv->BmpBkGet(2)->pixelValue(7, 3), 10u);
    *adv->BmpBkGet(3) = Bitmap(64, 40, PixelFormat::Pf8);
    adv->DataRestore(3, true);
    EXPECT_EQ(adv->BmpBkGet(3)->pixelValue(31, 19), 50u);
}

TEST_F(CopyTest, EraseBackgroundIsHandledWithoutErasing) {
    // The parent's surface is red; the picture covers only the control's top-left corner.
    form.surface().fillValue(0x0000FF);
    *adv->BmpBkGet(0) = Bitmap(100, 50, PixelFormat::Pf24);
    adv->BmpBkGet(0)->fillValue(0xFF0000);
    form.show();
    adv->show();
    QApplication::processEvents();
    adv->update();  // a repaint of the control alone must not clear what lies under it
    QApplication::processEvents();
    const QImage shown = form.grab().toImage();
    auto colour = [](raster::Color c) {
        return QColor(raster::redOf(c), raster::greenOf(c), raster::blueOf(c));
    };
    EXPECT_EQ(shown.pixelColor(10, 10), colour(adv->BmpBkGet(0)->pixel(0, 0)));     // the picture
    EXPECT_EQ(shown.pixelColor(300, 300), colour(form.surface().pixel(300, 300)));  // not erased
    EXPECT_NE(shown.pixelColor(10, 10), shown.pixelColor(300, 300));
    EXPECT_EQ(adv->WMEraseBkGnd(), 1);
}

}  // namespace
}  // namespace kelvo
