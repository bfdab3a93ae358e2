#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>

#include "raster/Blit.h"
#include "raster/Canvas.h"

// The largest single allocation while a test watches: blits of extreme rectangles must size
// what they allocate by the bitmaps, never by the rectangle.
namespace {
std::atomic<bool> watching{false};
std::atomic<size_t> largestNew{0};
}  // namespace

void* operator new(size_t n) {
    if (watching.load(std::memory_order_relaxed) && n > largestNew.load(std::memory_order_relaxed))
        largestNew.store(n, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
// Not inlined: GCC would then see a new expression's pointer reach free() and warn.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace kelvo::raster {
namespace {

class Watch {
  public:
    Watch() {
        largestNew = 0;
        watching = true;
    }
    ~Watch() { watching = false; }
    size_t largest() const { return largestNew.load(); }
};

Bitmap numbered(int w, int h) {
    Bitmap b(w, h, PixelFormat::Pf24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, rgb(uint8_t(x), uint8_t(y), 7));
    return b;
}

constexpr int kMin = INT_MIN, kMax = INT_MAX;

TEST(HostileRectangles, StretchToTheWholeIntRangeShowsTheSourceCentre) {
    const Bitmap src = numbered(4, 4);
    Bitmap dst(64, 32, PixelFormat::Pf24);
    const size_t bound = 16 * dst.byteSize();
    {
        Watch w;
        stretchBlt(dst, {kMin, kMin, kMax, kMax}, &src, src.bounds(), rop::SRCCOPY);
        EXPECT_LT(w.largest(), bound);
    }
    // Every pixel inside lies just past the middle of the range: source pixel (2, 2).
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(63, 31), src.pixel(2, 2));
}

TEST(HostileRectangles, ExtremeRectanglesNeitherAllocateNorCrash) {
    const Bitmap src = numbered(16, 16);
    const TRect extremes[] = {{kMin, kMin, kMax, kMax}, {kMax, kMax, kMin, kMin},
                              {kMin, 0, kMax, 8},       {0, kMin, 8, kMax},
                              {kMax - 1, 0, kMax, 1},   {kMin, kMin, kMin + 1, kMin + 1},
                              {-5, -5, kMax, kMax},     {kMin, kMin, 10, 10}};
    const uint32_t rops[] = {rop::SRCCOPY, rop::SRCAND, rop::MERGECOPY, rop::PATCOPY};
    for (PixelFormat f : {PixelFormat::Pf24, PixelFormat::Pf8, PixelFormat::Pf1}) {
        Bitmap dst(40, 30, f);
        const Brush brush = Brush::solid(rgb(1, 2, 3));
        Watch w;
        for (const TRect& d : extremes) {
            for (const TRect& s : extremes) {
                for (uint32_t code : rops) {
                    stretchBlt(dst, d, &src, s, code, &brush);
                    stretchBlt(dst, d, &src, src.bounds(), code, &brush);
                }
            }
            patBlt(dst, d, rop::PATINVERT, brush);
            fillRect(dst, d, clWhite);
            bitBlt(dst, d.Left, d.Top, d.Right, d.Bottom, &src, d.Right, d.Left, rop::SRCCOPY);
            bitBlt(dst, d.Left, d.Top, kMax, kMax, &src, d.Left, d.Top, rop::SRCINVERT);
            dst.canvas().copyRect(d, src, src.bounds());
        }
        EXPECT_LT(w.largest(), 64 * 1024u) << int(f);
    }
}

TEST(HostileRectangles, ClippingMovesSourceAndDestinationTogether) {
    const Bitmap src = numbered(8, 8);
    Bitmap dst(8, 8, PixelFormat::Pf24);
    // Only the source's pixel (7, 7) lands inside, at the destination's (0, 0).
    bitBlt(dst, kMin + 7, kMin + 7, kMax, kMax, &src, kMin + 14, kMin + 14, rop::SRCCOPY);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(7, 7));
    EXPECT_EQ(dst.pixel(1, 0), clWhite);
    EXPECT_EQ(dst.pixel(0, 1), clWhite);
    Bitmap again(8, 8, PixelFormat::Pf24);
    bitBlt(again, -7, -7, kMax, kMax, &src, 0, 0, rop::SRCCOPY);
    EXPECT_TRUE(again.samePixels(dst));
}

}  // namespace
}  // namespace kelvo::raster
