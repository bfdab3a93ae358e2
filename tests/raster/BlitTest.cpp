#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "raster/Blit.h"
#include "raster/BlitReference.h"
#include "raster/Pixel.h"
#include "raster/kernels/InstructionSet.h"
#include "tests/raster/RandomBitmap.h"
#include "tests/support/EveryInstructionSet.h"

namespace kelvo::raster {
namespace {

using testing::firstDifference;
using testing::formatName;
using testing::kAllFormats;
using testing::randomBitmap;

// The operations the components use, a few others, and random ones.
uint32_t pickRop(std::mt19937_64& rng) {
    static constexpr uint32_t used[] = {rop::SRCCOPY,   rop::SRCAND,     rop::SRCPAINT,
                                        rop::MERGECOPY, rop::MERGEPAINT, rop::DSTANDPAT,
                                        rop::PATCOPY,   rop::SRCINVERT,  rop::NOTSRCCOPY,
                                        rop::DSTINVERT, rop::BLACKNESS,  rop::WHITENESS};
    std::uniform_int_distribution<int> pick(0, 15);
    const int i = pick(rng);
    if (i < 12)
        return used[i];
    return uint32_t(std::uniform_int_distribution<int>(0, 255)(rng)) << 16;
}

Brush pickBrush(std::mt19937_64& rng) {
    std::uniform_int_distribution<uint32_t> any;
    switch (any(rng) % 4) {
        case 0:
            return Brush::solid(any(rng) & 0xFFFFFF);
        case 1: {
            std::array<uint8_t, 8> rows{};
            for (auto& r : rows)
                r = uint8_t(any(rng));
            return Brush::monoPattern(rows);
        }
        case 2:
            return Brush::pattern(randomBitmap(rng, PixelFormat::Pf24, 8));
        default:
            return Brush::clear();
    }
}

struct Case {
    std::mt19937_64 rng;
    Bitmap dst, src;
    Brush brush;
    uint32_t code;

    Case(uint32_t seed, PixelFormat sf, PixelFormat df) : rng(seed) {
        dst = randomBitmap(rng, df, 20);
        // Now and then share the palette so that indexes pass through unchanged.
        const bool share = isIndexed(sf) && sf == df && (rng() & 1);
        src = randomBitmap(rng, sf, 20, share ? &dst.palette() : nullptr);
        brush = pickBrush(rng);
        code = pickRop(rng);
    }
    int coord() { return std::uniform_int_distribution<int>(-8, 24)(rng); }
    std::string describe(const std::string& what) const {
        std::ostringstream os;
        os << what << " " << formatName(src.format()) << " -> " << formatName(dst.format())
           << " rop 0x" << std::hex << code;
        return os.str();
    }
};

// Every comparison with the reference runs once per instruction set this machine can take.
class BlitFastPaths : public testsupport::EveryInstructionSet {};
KELVO_ON_EVERY_INSTRUCTION_SET(BlitFastPaths);

TEST_P(BlitFastPaths, MatchReferenceForEveryFormatPair) {
    uint32_t seed = 1;
    for (PixelFormat sf : kAllFormats) {
        for (PixelFormat df : kAllFormats) {
            for (int n = 0; n < 40; ++n) {
                Case c(seed++, sf, df);
                const int dx = c.coord(), dy = c.coord(), sx = c.coord(), sy = c.coord();
                const int w = c.coord() + 8, h = c.coord() + 8;
                Bitmap fast = c.dst, ref = c.dst;
                bitBlt(fast, dx, dy, w, h, &c.src, sx, sy, c.code, &c.brush);
                reference::bitBlt(ref, dx, dy, w, h, &c.src, sx, sy, c.code, &c.brush);
                const std::string diff = firstDifference(fast, ref);
                ASSERT_TRUE(diff.empty())
                    << c.describe("bitBlt") << " at (" << dx << ", " << dy << ") " << w << "x" << h
                    << " from (" << sx << ", " << sy << "): " << diff;
            }
        }
    }
}

TEST_P(BlitFastPaths, StretchMatchesReferenceForEveryFormatPair) {
    uint32_t seed = 5000;
    for (PixelFormat sf : kAllFormats) {
        for (PixelFormat df : kAllFormats) {
            for (int n = 0; n < 20; ++n) {
                Case c(seed++, sf, df);
                const TRect dr{c.coord(), c.coord(), c.coord(), c.coord()};
                const TRect sr{c.coord(), c.coord(), c.coord(), c.coord()};
                Bitmap fast = c.dst, ref = c.dst;
                stretchBlt(fast, dr, &c.src, sr, c.code, &c.brush);
                reference::stretchBlt(ref, dr, &c.src, sr, c.code, &c.brush);
                const std::string diff = firstDifference(fast, ref);
                ASSERT_TRUE(diff.empty())
                    << c.describe("stretchBlt") << " (" << dr.Left << "," << dr.Top << ","
                    << dr.Right << "," << dr.Bottom << ") from (" << sr.Left << "," << sr.Top << ","
                    << sr.Right << "," << sr.Bottom << "): " << diff;
            }
        }
    }
}

TEST_P(BlitFastPaths, OverlappingBlitWithinOneBitmapMatchesReference) {
    for (PixelFormat f : kAllFormats) {
        for (uint32_t seed = 0; seed < 30; ++seed) {
            Case c(900 + seed, f, f);
            const int dx = c.coord() / 2, dy = c.coord() / 2, sx = c.coord() / 2,
                      sy = c.coord() / 2;
            Bitmap fast = c.dst, ref = c.dst;
            bitBlt(fast, dx, dy, 12, 12, &fast, sx, sy, c.code, &c.brush);
            reference::bitBlt(ref, dx, dy, 12, 12, &ref, sx, sy, c.code, &c.brush);
            ASSERT_EQ(firstDifference(fast, ref), "") << formatName(f) << " seed " << seed;
        }
    }
}

// Larger pictures reach the whole-block copy, the eight-pixel packing and the shuffled gathers
// of enlarging stretches, which the small random cases above rarely do.
TEST_P(BlitFastPaths, WideRowsMatchReference) {
    std::mt19937_64 rng(31);
    const PixelFormat pairs[][2] = {{PixelFormat::Pf24, PixelFormat::Pf24},
                                    {PixelFormat::Pf8, PixelFormat::Pf24},
                                    {PixelFormat::Pf8, PixelFormat::Pf32},
                                    {PixelFormat::Pf32, PixelFormat::Pf32},
                                    {PixelFormat::Pf8, PixelFormat::Pf8}};
    const uint32_t rops[] = {rop::SRCCOPY, rop::SRCAND, rop::MERGECOPY, 0x00E20746,
                             0x00B80000,   0x001D0000,  rop::PATINVERT};
    for (const auto& pair : pairs) {
        for (int n = 0; n < 12; ++n) {
            Bitmap src;
            ASSERT_TRUE(src.reset(40 + int(rng() % 60), 20 + int(rng() % 20), pair[0]));
            if (isIndexed(pair[0]))
                src.setPalette(testing::randomPalette(rng, pair[0]));
            for (size_t i = 0; i < src.byteSize(); ++i)
                src.bits()[i] = uint8_t(rng());
            Bitmap dst;
            ASSERT_TRUE(dst.reset(n % 3 == 0 ? src.width() : 97, 50, pair[1]));
            for (size_t i = 0; i < dst.byteSize(); ++i)
                dst.bits()[i] = uint8_t(rng());
            const uint32_t code = rops[rng() % std::size(rops)];
            const Brush brush = pickBrush(rng);
            Bitmap fast = dst, ref = dst;
            bitBlt(fast, 0, 0, src.width(), src.height(), &src, 0, 0, code, &brush);
            reference::bitBlt(ref, 0, 0, src.width(), src.height(), &src, 0, 0, code, &brush);
            ASSERT_EQ(firstDifference(fast, ref), "") << "bitBlt rop " << std::hex << code;
            // Enlarging by 1.5 to 4, and now and then shrinking or mirroring.
            const int w = int(src.width() * (15 + int(rng() % 26)) / 10);
            TRect dr{int(rng() % 9) - 4, int(rng() % 5) - 2, 0, 0};
            dr.Right = dr.Left + (n % 5 == 4 ? -w : w);
            dr.Bottom = dr.Top + (n % 4 == 3 ? src.height() / 2 : src.height() * 2);
            const TRect sr = src.bounds();
            fast = dst, ref = dst;
            stretchBlt(fast, dr, &src, sr, code, &brush);
            reference::stretchBlt(ref, dr, &src, sr, code, &brush);
            ASSERT_EQ(firstDifference(fast, ref), "")
                << "stretchBlt rop " << std::hex << code << std::dec << " to " << dr.Left << ","
                << dr.Top << "," << dr.Right << "," << dr.Bottom;
        }
    }
}

// Row padding and every pixel outside the clipped area are guards that must keep their bytes.
TEST(BlitClipping, LeavesPaddingAndOutsidePixelsAlone) {
    for (PixelFormat f : kAllFormats) {
        std::mt19937_64 rng(77);
        Bitmap dst = randomBitmap(rng, f, 1);
        ASSERT_TRUE(dst.reset(7, 5, f));  // 7 pixels leave padding in every format
        const int usedBits = 7 * bitsPerPixel(f);
        for (int y = 0; y < dst.height(); ++y)
            for (int b = usedBits; b < dst.stride() * 8; ++b)
                dst.row(y)[b / 8] |= uint8_t(0x80 >> (b % 8));
        const Bitmap before = dst;
        const Bitmap src = randomBitmap(rng, PixelFormat::Pf24, 40);
        const TRect areas[] = {{-100, -100, 3, 2}, {4, 3, 1000, 1000}, {-5, 2, 100, 3}};
        for (const TRect& a : areas) {
            Bitmap d = before;
            bitBlt(d, a.Left, a.Top, a.width(), a.height(), &src, 0, 0, rop::SRCCOPY);
            stretchBlt(d, a, &src, {0, 0, 3, 3}, rop::SRCINVERT);
            patBlt(d, a, rop::PATINVERT, Brush::solid(0x123456));
            for (int y = 0; y < d.height(); ++y) {
                for (int b = usedBits; b < d.stride() * 8; ++b)
                    ASSERT_TRUE((d.row(y)[b / 8] >> (7 - b % 8)) & 1)
                        << formatName(f) << " padding bit " << b << " of row " << y;
                for (int x = 0; x < d.width(); ++x) {
                    if (!a.contains(x, y)) {
                        ASSERT_EQ(d.pixelValue(x, y), before.pixelValue(x, y))
                            << formatName(f) << " (" << x << ", " << y << ")";
                    }
                }
            }
        }
    }
}

TEST(BlitOperations, PatternTilesFromTheDestinationOrigin) {
    Bitmap dst(16, 16, PixelFormat::Pf24);
    // Only the top-left pixel of each 8 x 8 tile is white.
    const Brush b = Brush::monoPattern({0x80, 0, 0, 0, 0, 0, 0, 0});
    bitBlt(dst, 3, 5, 10, 10, nullptr, 0, 0, rop::DSTANDPAT, &b);
    EXPECT_EQ(dst.pixel(8, 8), clWhite);
    EXPECT_EQ(dst.pixel(3, 5), clBlack);
    EXPECT_EQ(dst.pixel(2, 5), clWhite);  // outside the blit
    EXPECT_EQ(dst.pixel(9, 8), clBlack);
}

TEST(BlitOperations, BitwiseResultsOnTrueColour) {
    Bitmap d(1, 1, PixelFormat::Pf24), s(1, 1, PixelFormat::Pf24);
    d.setPixel(0, 0, rgb(0xF0, 0x0F, 0x33));
    s.setPixel(0, 0, rgb(0x3C, 0xFF, 0x00));
    const Brush b = Brush::solid(rgb(0x0F, 0xF0, 0xFF));
    const std::pair<uint32_t, uint32_t> cases[] = {
        {rop::SRCAND, rgb(0x30, 0x0F, 0x00)},
        {rop::SRCPAINT, rgb(0xFC, 0xFF, 0x33)},
        {rop::MERGEPAINT, rgb(0xF3, 0x0F, 0xFF)},  // D | ~S
        {rop::MERGECOPY, rgb(0x0C, 0xF0, 0x00)},   // S & P
    };
    for (auto [code, want] : cases) {
        Bitmap r = d;
        bitBlt(r, 0, 0, 1, 1, &s, 0, 0, code, code == rop::MERGECOPY ? &b : nullptr);
        EXPECT_EQ(r.pixel(0, 0), want) << std::hex << code;
    }
}

TEST(BlitOperations, IndexedSourcesGoThroughColour) {
    Bitmap src(2, 1, PixelFormat::Pf8);
    src.setPalette({{255, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}});
    src.setPixelValue(0, 0, 2);
    src.setPixelValue(1, 0, 1);
    Bitmap dst24(2, 1, PixelFormat::Pf24);
    bitBlt(dst24, 0, 0, 2, 1, &src, 0, 0, rop::SRCCOPY);
    EXPECT_EQ(dst24.pixel(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(dst24.pixel(1, 0), rgb(0, 0, 255));

    // Same palette: indexes are copied, even where two entries share a colour.
    Bitmap same(2, 1, PixelFormat::Pf8);
    same.setPalette(src.palette());
    bitBlt(same, 0, 0, 2, 1, &src, 0, 0, rop::SRCCOPY);
    EXPECT_EQ(same.pixelValue(0, 0), 2u);
    // Another palette: the nearest entry of the destination.
    Bitmap other(2, 1, PixelFormat::Pf8);
    other.setPalette({{0, 0, 0, 0}, {250, 10, 0, 0}, {0, 0, 200, 0}});
    bitBlt(other, 0, 0, 2, 1, &src, 0, 0, rop::SRCCOPY);
    EXPECT_EQ(other.pixelValue(0, 0), 1u);
    EXPECT_EQ(other.pixelValue(1, 0), 2u);
}

TEST(BlitOperations, StretchIsNearestNeighbour) {
    Bitmap src(2, 1, PixelFormat::Pf24);
    src.setPixel(0, 0, rgb(1, 2, 3));
    src.setPixel(1, 0, rgb(4, 5, 6));
    Bitmap up(4, 2, PixelFormat::Pf24);
    stretchBlt(up, {0, 0, 4, 2}, &src, {0, 0, 2, 1}, rop::SRCCOPY);
    EXPECT_EQ(up.pixel(1, 1), rgb(1, 2, 3));
    EXPECT_EQ(up.pixel(2, 0), rgb(4, 5, 6));
    Bitmap mirrored(2, 1, PixelFormat::Pf24);
    stretchBlt(mirrored, {2, 0, 0, 1}, &src, {0, 0, 2, 1}, rop::SRCCOPY);
    EXPECT_EQ(mirrored.pixel(0, 0), rgb(4, 5, 6));
}

TEST(BlitOperations, RopUsageFlags) {
    EXPECT_TRUE(ropUsesSource(ropIndex(rop::SRCCOPY)));
    EXPECT_FALSE(ropUsesPattern(ropIndex(rop::SRCCOPY)));
    EXPECT_TRUE(ropUsesPattern(ropIndex(rop::MERGECOPY)));
    EXPECT_FALSE(ropUsesSource(ropIndex(rop::DSTANDPAT)));
    EXPECT_FALSE(ropUsesSource(ropIndex(rop::BLACKNESS)));
}

}  // namespace
}  // namespace kelvo::raster
