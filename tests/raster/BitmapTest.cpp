#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "raster/Canvas.h"
#include "tests/raster/RandomBitmap.h"

namespace kelvo::raster {
namespace {

TEST(Bitmap, RowsArePaddedToFourBytes) {
    EXPECT_EQ(Bitmap(1, 1, PixelFormat::Pf1).stride(), 4);
    EXPECT_EQ(Bitmap(33, 1, PixelFormat::Pf1).stride(), 8);
    EXPECT_EQ(Bitmap(9, 1, PixelFormat::Pf4).stride(), 8);
    EXPECT_EQ(Bitmap(5, 1, PixelFormat::Pf8).stride(), 8);
    EXPECT_EQ(Bitmap(3, 1, PixelFormat::Pf15).stride(), 8);
    EXPECT_EQ(Bitmap(5, 1, PixelFormat::Pf24).stride(), 16);
    EXPECT_EQ(Bitmap(3, 1, PixelFormat::Pf32).stride(), 12);
}

TEST(Bitmap, CopyIsIndependentAndKeepsItsOwnCanvas) {
    Bitmap a(4, 4, PixelFormat::Pf8);
    a.canvas().setCopyMode(rop::SRCPAINT);
    Bitmap b = a;
    b.setPixelValue(0, 0, 7);
    b.setPalette({{1, 2, 3, 4}});
    EXPECT_NE(a.pixelValue(0, 0), 7u);
    EXPECT_EQ(a.palette().size(), 256u);
    EXPECT_EQ(b.canvas().copyMode(), rop::SRCCOPY);
    EXPECT_EQ(&b.canvas().bitmap(), &b);
}

TEST(Bitmap, SetSizeKeepsTopLeftAndFillsWhite) {
    for (PixelFormat f : testing::kAllFormats) {
        std::mt19937_64 rng(3);
        Bitmap a = testing::randomBitmap(rng, f, 9);
        Bitmap b = a;
        ASSERT_TRUE(b.setSize(a.width() + 3, a.height() + 2));
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                ASSERT_EQ(b.pixelValue(x, y), a.pixelValue(x, y)) << testing::formatName(f);
        Bitmap white(1, 1, f);
        white.setPalette(a.palette());
        white.setPixel(0, 0, clWhite);
        EXPECT_EQ(b.pixelValue(a.width() + 2, 0), white.pixelValue(0, 0));
    }
}

TEST(Bitmap, SetFormatConvertsThroughColour) {
    Bitmap a(2, 1, PixelFormat::Pf24);
    a.setPixel(0, 0, rgb(250, 2, 3));
    a.setPixel(1, 0, rgb(10, 10, 10));
    ASSERT_TRUE(a.setFormat(PixelFormat::Pf8));
    EXPECT_EQ(a.pixel(0, 0), rgb(255, 0, 0));  // nearest default entry
    EXPECT_EQ(a.pixel(1, 0), rgb(8, 8, 8));
    ASSERT_TRUE(a.setFormat(PixelFormat::Pf16));
    EXPECT_EQ(a.pixel(0, 0), rgb(248, 0, 0));
    EXPECT_TRUE(a.palette().empty());
}

TEST(Bitmap, PaletteIsCappedByTheFormat) {
    Bitmap a(1, 1, PixelFormat::Pf4);
    a.setPalette(Palette(40));
    EXPECT_EQ(a.palette().size(), 16u);
    Bitmap t(1, 1, PixelFormat::Pf24);
    t.setPalette(Palette(3));
    EXPECT_TRUE(t.palette().empty());
}

TEST(Bitmap, CheckedPixelAccessIgnoresOutsideCoordinates) {
    Bitmap a(2, 2, PixelFormat::Pf24);
    a.setPixel(-1, 0, clBlack);
    a.setPixel(2, 5, clBlack);
    EXPECT_EQ(a.pixel(-1, 0), clBlack);
    EXPECT_EQ(a.pixel(1, 1), clWhite);
}

TEST(Canvas, LockIsReentrantForItsThread) {
    Bitmap a(1, 1);
    Canvas& c = a.canvas();
    c.lock();
    c.lock();
    std::atomic<bool> got{true};
    auto probe = [&] {
        std::thread t([&] {
            got = c.tryLock();
            if (got)
                c.unlock();
        });
        t.join();
    };
    probe();
    EXPECT_FALSE(got);
    c.unlock();
    probe();
    EXPECT_FALSE(got);
    c.unlock();
    probe();
    EXPECT_TRUE(got);
}

TEST(Canvas, FillCopyAndDrawUseBrushAndCopyMode) {
    Bitmap a(4, 4, PixelFormat::Pf24);
    a.canvas().setBrush(Brush::solid(rgb(0, 0, 255)));
    a.canvas().fillRect({1, 1, 3, 3});
    EXPECT_EQ(a.pixel(1, 1), rgb(0, 0, 255));
    EXPECT_EQ(a.pixel(0, 0), clWhite);
    Bitmap s(1, 1, PixelFormat::Pf24);
    s.setPixel(0, 0, rgb(255, 0, 0));
    a.canvas().setCopyMode(rop::SRCPAINT);
    a.canvas().draw(1, 1, s);
    EXPECT_EQ(a.pixel(1, 1), rgb(255, 0, 255));
    a.canvas().setCopyMode(rop::SRCCOPY);
    a.canvas().copyRect({0, 0, 2, 2}, s, {0, 0, 1, 1});
    EXPECT_EQ(a.pixel(1, 0), rgb(255, 0, 0));
    a.canvas().invertRect({3, 3, 4, 4});
    EXPECT_EQ(a.pixel(3, 3), clBlack);
}

}  // namespace
}  // namespace kelvo::raster
