#include <gtest/gtest.h>

#include <stdexcept>

#include "raster/Bitmap.h"
#include "raster/Canvas.h"

namespace kelvo::raster {
namespace {

// A small picture with a pixel to recognise it by.
Bitmap marked(PixelFormat f = PixelFormat::Pf8) {
    Bitmap b(3, 2, f);
    b.setPixelValue(2, 1, 1);
    return b;
}

void expectUnchanged(const Bitmap& b, PixelFormat f = PixelFormat::Pf8) {
    EXPECT_EQ(b.width(), 3);
    EXPECT_EQ(b.height(), 2);
    EXPECT_EQ(b.format(), f);
    EXPECT_EQ(b.pixelValue(2, 1), 1u);
}

TEST(BitmapLimits, SizesOutsideTheLimitsAreRefusedWithTheirReason) {
    struct Case {
        int w, h;
        PixelFormat f;
        SizeResult::Code why;
    } const cases[] = {
        {-1, 4, PixelFormat::Pf24, SizeResult::NegativeSide},
        {4, -1, PixelFormat::Pf24, SizeResult::NegativeSide},
        {Bitmap::kMaxSide + 1, 1, PixelFormat::Pf1, SizeResult::SideTooLarge},
        {1, Bitmap::kMaxSide + 1, PixelFormat::Pf1, SizeResult::SideTooLarge},
        {Bitmap::kMaxSide, Bitmap::kMaxSide, PixelFormat::Pf24, SizeResult::TooManyBytes},
        // 16384 x 16384 x 4 is exactly the byte limit; one row more is over it.
        {16384, 16385, PixelFormat::Pf32, SizeResult::TooManyBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EXPECT_EQ(Bitmap::check(c.w, c.h, c.f).code(), c.why);
        Bitmap b = marked();
        const SizeResult reset = b.reset(c.w, c.h, c.f);
        EXPECT_EQ(reset.code(), c.why);
        EXPECT_STRNE(reset.reason(), "");
        expectUnchanged(b);
        Bitmap same = marked(c.f);
        EXPECT_EQ(same.setSize(c.w, c.h).code(), c.why);
        expectUnchanged(same, c.f);
        EXPECT_THROW(Bitmap(c.w, c.h, c.f), std::length_error);
    }
    EXPECT_TRUE(Bitmap::check(16384, 16384, PixelFormat::Pf32));
    EXPECT_TRUE(Bitmap::check(Bitmap::kMaxSide, 1, PixelFormat::Pf32));
    EXPECT_TRUE(Bitmap::check(0, 0, PixelFormat::Pf24));
}

TEST(BitmapLimits, EveryReasonIsDistinct) {
    const SizeResult::Code codes[] = {SizeResult::NegativeSide, SizeResult::SideTooLarge,
                                      SizeResult::TooManyBytes, SizeResult::OutOfMemory};
    for (auto a : codes)
        for (auto b : codes) {
            if (a != b) {
                EXPECT_STRNE(SizeResult(a).reason(), SizeResult(b).reason());
            }
        }
    EXPECT_STREQ(SizeResult().reason(), "");
}

// A format change multiplies the bytes: a 1-bit picture that fits may not fit as 32-bit.
TEST(BitmapLimits, FormatChangeOverTheByteLimitKeepsThePicture) {
    Bitmap b;
    ASSERT_TRUE(b.reset(Bitmap::kMaxSide, 8193, PixelFormat::Pf1));
    b.setPixelValue(5, 5, 1);
    EXPECT_EQ(b.setFormat(PixelFormat::Pf32).code(), SizeResult::TooManyBytes);
    EXPECT_EQ(b.format(), PixelFormat::Pf1);
    EXPECT_EQ(b.width(), Bitmap::kMaxSide);
    EXPECT_EQ(b.pixelValue(5, 5), 1u);
}

TEST(BitmapLimits, RefusalKeepsTheCanvasOfTheBitmap) {
    Bitmap b = marked();
    Canvas* before = &b.canvas();
    EXPECT_FALSE(b.setSize(-3, 1));
    ASSERT_TRUE(b.setSize(5, 5));
    EXPECT_EQ(&b.canvas(), before);
    EXPECT_EQ(b.pixelValue(2, 1), 1u);
}

}  // namespace
}  // namespace kelvo::raster
