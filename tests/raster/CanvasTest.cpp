#include <gtest/gtest.h>

#include "raster/Canvas.h"

namespace kelvo::raster {
namespace {

int countColor(const Bitmap& b, Color c, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += b.pixel(x, y) == c;
    return n;
}

TEST(CanvasText, GlyphPixelsAreExactlyTheTextColour) {
    Bitmap b(120, 40, PixelFormat::Pf24);
    Canvas& c = b.canvas();
    c.setBkMode(BkMode::Transparent);
    c.setTextColor(rgb(200, 10, 30));
    c.textOut(2, 2, "Kelvo");
    int text = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const Color p = b.pixel(x, y);
            ASSERT_TRUE(p == clWhite || p == rgb(200, 10, 30)) << x << "," << y;
            text += p != clWhite;
        }
    EXPECT_GT(text, 20);
}

TEST(CanvasText, OpaqueModeFillsTheCellsWithTheBackgroundColour) {
    Bitmap b(120, 40, PixelFormat::Pf24);
    Canvas& c = b.canvas();
    c.setBkMode(BkMode::Opaque);
    c.setBkColor(rgb(0, 0, 255));
    c.setTextColor(clBlack);
    c.textOut(2, 2, "ab");
    EXPECT_EQ(b.pixel(3, 3), rgb(0, 0, 255));
    EXPECT_EQ(b.pixel(100, 30), clWhite);
}

TEST(CanvasText, DrawTextWrapsCentresAndMeasures) {
    Bitmap b(200, 100, PixelFormat::Pf8);
    Canvas& c = b.canvas();
    c.setBkMode(BkMode::Transparent);
    TRect calc{0, 0, 60, 0};
    const int h1 = c.drawText("one two three four", calc, DT_CALCRECT | DT_WORDBREAK);
    TRect single{0, 0, 60, 0};
    const int h0 = c.drawText("one", single, DT_CALCRECT);
    EXPECT_GT(h1, h0);  // wrapped onto several lines
    EXPECT_LE(calc.width(), 60);

    TRect r{0, 0, 200, 30};
    c.drawText("x", r, DT_CENTER);
    EXPECT_EQ(countColor(b, clBlack, {0, 0, 80, 30}), 0);
    EXPECT_GT(countColor(b, clBlack, {80, 0, 120, 30}), 0);
    EXPECT_EQ(r, (TRect{0, 0, 200, 30}));
}

TEST(CanvasText, ClippingFollowsNoClipAndTheBitmapEdge) {
    Bitmap b(100, 40, PixelFormat::Pf24);
    Canvas& c = b.canvas();
    c.setBkMode(BkMode::Transparent);
    TRect narrow{0, 0, 8, 40};
    c.drawText("WWWW", narrow, 0);
    EXPECT_EQ(countColor(b, clBlack, {8, 0, 100, 40}), 0);
    c.drawText("WWWW", narrow, DT_NOCLIP);
    EXPECT_GT(countColor(b, clBlack, {8, 0, 100, 40}), 0);
    TRect outside{-50, -50, 200, 200};
    c.drawText("WWWWWWWWWWWWWWWWWWWW", outside, DT_NOCLIP | DT_WORDBREAK);  // must stay inside
}

TEST(CanvasText, SelectingAFontTakesItsColour) {
    Bitmap b(1, 1);
    Font f;
    f.color = rgb(1, 2, 3);
    b.canvas().setFont(f);
    EXPECT_EQ(b.canvas().textColor(), rgb(1, 2, 3));
}

}  // namespace
}  // namespace kelvo::raster
