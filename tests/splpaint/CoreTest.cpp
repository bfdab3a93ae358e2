#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <fstream>

#include "tests/splpaint/Fixture.h"
#include "tests/support/EachLocale.h"

namespace kelvo::testing {
namespace {

using raster::rgb;

TEST_F(SplPaintTest, KeyColourLoadMasksOnlyPureGreen) {
    Bitmap img = solid(4, 2, rgb(10, 20, 30));
    img.setPixel(0, 0, rgb(0, 255, 0));
    img.setPixel(1, 0, rgb(0, 254, 0));
    img.setPixel(2, 0, rgb(1, 255, 0));
    img.setPixel(3, 1, rgb(0, 255, 0));
    ASSERT_TRUE(paint.LoadSplite(5, write("k.bmp", img)));
    const TpbSplite& s = paint.Splites[5];
    EXPECT_EQ(s.Image.pixel(0, 0), 0u);
    EXPECT_EQ(s.Mask.pixel(0, 0), raster::clWhite);
    EXPECT_EQ(s.Image.pixel(3, 1), 0u);
    EXPECT_EQ(s.Image.pixel(1, 0), rgb(0, 254, 0));
    EXPECT_EQ(s.Image.pixel(2, 0), rgb(1, 255, 0));
    for (auto [x, y] : {std::pair{1, 0}, {2, 0}, {0, 1}})
        EXPECT_EQ(s.Mask.pixel(x, y), raster::clBlack);
    const TRect whole{0, 0, 4, 2};
    EXPECT_EQ(s.ImageRect, whole);
    EXPECT_EQ(s.BaseRect, whole);
    EXPECT_EQ(s.PosRect, whole);
    EXPECT_EQ(s.OldPosRect, whole);
}

TEST_F(SplPaintTest, AllGreenSpriteDrawsNothing) {
    const Bitmap bg = loadBackground();
    ASSERT_TRUE(paint.LoadSplite(0, write("g.bmp", solid(8, 8, rgb(0, 255, 0)))));
    paint.MoveSplite(0, 5, 5);
    paint.DrawSplite(0, true);
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
    EXPECT_EQ(firstDifference(paint.Temp, bg), "");
}

TEST_F(SplPaintTest, FailedLoads) {
    // A key-colour picture that is not 24-bit is loaded but gets no mask.
    EXPECT_FALSE(paint.LoadSplite(1, write("p8.bmp", solid(4, 4, 0, PixelFormat::Pf8))));
    EXPECT_EQ(paint.GetWidth(1), 4);
    EXPECT_TRUE(paint.Splites[1].Mask.empty());
    EXPECT_EQ(paint.Splites[1].PosRect, TRect{});

    // Sizes that disagree: false, but both pictures and the rectangles are taken.
    EXPECT_FALSE(
        paint.LoadSplite(2, write("i.bmp", noise(6, 4, 1)), write("m.bmp", noise(5, 4, 2))));
    EXPECT_EQ(paint.Splites[2].PosRect, (TRect{0, 0, 6, 4}));
    EXPECT_EQ(paint.Splites[2].Mask.width(), 5);
    EXPECT_TRUE(paint.LoadSplite(3, path("i.bmp"), write("m2.bmp", noise(6, 4, 3))));

    // Missing or unreadable files change nothing.
    std::ofstream(path("junk.bmp")) << "not a picture";
    EXPECT_FALSE(paint.LoadSplite(3, path("i.bmp"), path("none.bmp")));
    EXPECT_FALSE(paint.LoadSplite(3, path("junk.bmp"), path("m2.bmp")));
    EXPECT_FALSE(paint.LoadSplite(3, path("junk.bmp")));
    EXPECT_FALSE(paint.LoadBkGnd(path("junk.bmp"), true));
    EXPECT_FALSE(paint.LoadBkGnd(path("none.bmp"), true));
    EXPECT_EQ(paint.GetWidth(3), 6);
    EXPECT_TRUE(paint.BkGnd.empty());
    EXPECT_FALSE(paint.Loading);
}

// Sprites, masks and backgrounds in a folder named in Japanese, whatever locale the host program
// has set.
TEST_F(SplPaintTest, JapaneseFolderAndFileNamesLoad) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("画像")));
    const std::string image = write("画像/絵.bmp", noise(6, 4, 1));
    const std::string mask = write("画像/型.bmp", noise(6, 4, 2));
    const std::string background = write("画像/背景.bmp", noise(16, 12, 3));
    kelvo::test::inEachLocale([&] {
        EXPECT_TRUE(paint.LoadSplite(0, image));
        EXPECT_TRUE(paint.LoadSplite(1, image, mask));
        EXPECT_TRUE(paint.LoadBkGnd(background, true));
        EXPECT_EQ(paint.BkGnd.width(), 16);
    });
}

TEST_F(SplPaintTest, IndexOutsideTheSlotsDoesNothing) {
    const std::string file = write("s.bmp", noise(4, 4, 1));
    for (int bad : {-1, 64, 1000}) {
        EXPECT_FALSE(paint.LoadSplite(bad, file));
        EXPECT_FALSE(paint.LoadSplite(bad, file, file));
        paint.MoveSplite(bad, TRect{1, 2, 3, 4});
        paint.MoveSplite(bad, 1, 2);
        paint.MoveSplite2(bad, 1, 2);
        paint.SetWidth(bad, 9);
        paint.SetHeight(bad, 9);
        paint.SetVisible(bad, false);
        paint.DrawSplite(bad, true);
        paint.PatchSplite(bad);
        EXPECT_EQ(paint.GetWidth(bad), 0);
        EXPECT_EQ(paint.GetHeight(bad), 0);
        EXPECT_FALSE(paint.GetVisible(bad));
        paint.FadeInSplite(bad);
        paint.FadeOutSplite(bad);
        paint.FadeSplite(bad, 0);
        paint.FadeSplite(0, bad);
        EXPECT_FALSE(paint.GetFadeing());
    }
    EXPECT_TRUE(paint.BkGnd.empty());
}

TEST_F(SplPaintTest, DrawSpriteMasksItOntoTheBuffers) {
    const Bitmap bg = loadBackground();
    loadSprite(0, 10, 8, 7);
    paint.MoveSplite(0, 20, 30);
    paint.DrawSplite(0, false);
    const Bitmap want = composed(bg, paint.Splites[0], 20, 30);
    EXPECT_EQ(firstDifference(paint.BkGnd, want), "");
    EXPECT_EQ(firstDifference(paint.Temp, bg), "");
    paint.DrawSplite(0, true);
    EXPECT_EQ(firstDifference(paint.Temp, want), "");

    paint.PatchSplite(0);
    EXPECT_EQ(firstDifference(paint.BkGnd, bg), "");
    EXPECT_EQ(firstDifference(paint.Temp, bg), "");
}

TEST_F(SplPaintTest, MovesAndScaledSprites) {
    const Bitmap bg = loadBackground();
    loadSprite(0, 6, 6, 3);
    paint.MoveSplite(0, 10, 12);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{10, 12, 16, 18}));
    paint.MoveSplite2(0, -3, 2);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{7, 14, 13, 20}));
    EXPECT_EQ(paint.Splites[0].OldPosRect, (TRect{10, 12, 16, 18}));

    // Twice the size: every source pixel covers a 2 x 2 block.
    paint.MoveSplite(0, TRect{4, 4, 16, 16});
    paint.DrawSplite(0, false);
    const TpbSplite& s = paint.Splites[0];
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const uint32_t want = s.Mask.pixelValue(x / 2, y / 2) == 0
                                      ? s.Image.pixelValue(x / 2, y / 2)
                                      : bg.pixelValue(4 + x, 4 + y);
            ASSERT_EQ(paint.BkGnd.pixelValue(4 + x, 4 + y), want) << x << "," << y;
        }
    paint.MoveSplite(0, 30, 30);
    EXPECT_EQ(paint.Splites[0].PosRect, (TRect{30, 30, 42, 42}));
}

TEST_F(SplPaintTest, DrawAllSkipsOneAndHiddenSprites) {
    const Bitmap bg = loadBackground();
    loadSprite(0, 8, 8, 1);
    loadSprite(1, 8, 8, 2);
    loadSprite(2, 8, 8, 3);
    paint.MoveSplite(1, 20, 0);
    paint.MoveSplite(2, 40, 0);
    paint.SetVisible(2, false);
    paint.FillBkWhite(false);  // DrawAll restores the whole background first

    paint.DrawAll(1);
    EXPECT_EQ(firstDifference(paint.BkGnd, composed(bg, paint.Splites[0], 0, 0)), "");
    paint.DrawAll(-1);
    const Bitmap both = composed(composed(bg, paint.Splites[0], 0, 0), paint.Splites[1], 20, 0);
    EXPECT_EQ(firstDifference(paint.BkGnd, both), "");
    EXPECT_EQ(firstDifference(paint.Temp, both), "");
}

TEST_F(SplPaintTest, FirstVisibleSpriteMakesAGreenBackground) {
    paint.resize(32, 24);
    loadSprite(0, 8, 8, 1);
    paint.SetVisible(0, false);
    paint.DrawSplite(0, false);
    EXPECT_TRUE(paint.BkGnd.empty());

    paint.SetVisible(0, true);
    paint.DrawSplite(0, false);
    ASSERT_EQ(paint.BkGnd.width(), 32);
    ASSERT_EQ(paint.BkGnd.height(), 24);
    EXPECT_EQ(paint.BkGnd.pixel(31, 23), rgb(0, 128, 0));
    EXPECT_EQ(firstDifference(paint.OrgBkGnd, solid(32, 24, rgb(0, 128, 0))), "");
}

TEST_F(SplPaintTest, BackgroundLoads) {
    const std::string file = write("bg.bmp", noise(40, 30, 5));
    // Without toBkGnd on a fresh instance the control takes the empty BkGnd's size.
    EXPECT_FALSE(paint.LoadBkGnd(file, false, 123));
    EXPECT_TRUE(paint.BkGnd.empty());
    EXPECT_EQ(paint.width(), 0);
    EXPECT_EQ(paint.OrgBkGnd.width(), 40);
    EXPECT_EQ(paint.Temp.height(), 30);
    EXPECT_EQ(paint.ScreenRect, (TRect{0, 0, 40, 30}));

    EXPECT_TRUE(paint.LoadBkGnd(file, true));
    EXPECT_EQ(paint.width(), 40);
    EXPECT_EQ(paint.height(), 30);
    EXPECT_FALSE(paint.SetBkGnd(nullptr, true));
    EXPECT_TRUE(paint.SetBkGnd(&paint.OrgBkGnd, true));
    EXPECT_FALSE(paint.Loading);
}

TEST_F(SplPaintTest, SetHeightKeepsTheLoadedRectangle) {
    loadSprite(0, 8, 6, 1);
    paint.SetHeight(0, 3);
    paint.SetWidth(0, 5);
    EXPECT_EQ(paint.GetHeight(0), 3);
    EXPECT_EQ(paint.GetWidth(0), 5);
    EXPECT_EQ(paint.Splites[0].Mask.height(), 3);
    EXPECT_EQ(paint.Splites[0].ImageRect, (TRect{0, 0, 8, 6}));
}

TEST_F(SplPaintTest, CopyRectToBkGndIncludesTheBottomRow) {
    const Bitmap bg = loadBackground();
    const Bitmap other = noise(64, 48, 9);
    paint.Temp = other;
    paint.CopyRectToBkGnd(false, TRect{0, 0, 10, 10});
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x < 10 && y <= 10;
            ASSERT_EQ(paint.BkGnd.pixelValue(x, y), (inside ? other : bg).pixelValue(x, y))
                << x << "," << y;
        }

    paint.surface() = noise(64, 48, 11);
    paint.CopyRectToBkGnd(true, TRect{60, 40, 70, 50});
    EXPECT_EQ(paint.BkGnd.pixelValue(63, 47), paint.surface().pixelValue(63, 47));
    EXPECT_EQ(paint.BkGnd.pixelValue(59, 47), bg.pixelValue(59, 47));
}

TEST_F(SplPaintTest, TransfersBetweenBuffersAndScreen) {
    const Bitmap bg = loadBackground();
    paint.DrawToScreen(true);
    EXPECT_EQ(firstDifference(paint.surface(), bg), "");

    paint.FillBkBlack(false);
    paint.DrawToScreen(true, 60, 40);
    EXPECT_EQ(paint.surface().pixelValue(60, 40), 0u);
    EXPECT_EQ(paint.surface().pixelValue(59, 40), bg.pixelValue(59, 40));
    paint.CopyRectToScreen(false, TRect{0, 0, 2, 2});
    EXPECT_EQ(paint.surface().pixelValue(0, 0), bg.pixelValue(0, 0));

    // Temp follows BkGnd's size and is 24-bit; a rectangle copies only its area.
    paint.Temp = solid(3, 3, raster::clWhite, PixelFormat::Pf8);
    paint.CopyRectToTemp(TRect{0, 0, 2, 2});
    EXPECT_EQ(paint.Temp.format(), PixelFormat::Pf24);
    EXPECT_EQ(paint.Temp.width(), 64);
    EXPECT_EQ(paint.Temp.pixel(1, 1), raster::clBlack);
    EXPECT_EQ(paint.Temp.pixel(2, 2), raster::clWhite);
    paint.DrawToTemp();
    EXPECT_EQ(firstDifference(paint.Temp, paint.BkGnd), "");

    paint.DrawToBkGnd(true);
    EXPECT_EQ(firstDifference(paint.BkGnd, paint.surface()), "");
}

TEST_F(SplPaintTest, TwentyFourBitTransfersIgnoreOtherFormats) {
    const Bitmap eight = solid(16, 16, raster::clWhite, PixelFormat::Pf8);
    paint.SetBkGnd(&eight, true);
    paint.Temp = noise(16, 16, 1);
    paint.DrawToBkGnd(false);
    paint.CopyRectToBkGnd(false, TRect{0, 0, 4, 4});
    EXPECT_EQ(firstDifference(paint.BkGnd, eight), "");
    paint.DrawToTemp();
    EXPECT_EQ(paint.Temp.format(), PixelFormat::Pf24);
    EXPECT_EQ(firstDifference(paint.Temp, noise(16, 16, 1)), "");
    // The fills and sprites work on any format.
    paint.FillBkBlack(true);
    EXPECT_EQ(paint.OrgBkGnd.pixel(15, 15), raster::clBlack);
}

TEST_F(SplPaintTest, FillsCoverScreenRectOfTheChosenBuffers) {
    const Bitmap bg = loadBackground();
    paint.FillBkWhite(false);
    EXPECT_EQ(firstDifference(paint.BkGnd, solid(64, 48, raster::clWhite)), "");
    EXPECT_EQ(firstDifference(paint.Temp, bg), "");
    paint.ScreenRect = {0, 0, 10, 10};
    paint.FillBkBlack(true);
    EXPECT_EQ(paint.OrgBkGnd.pixel(9, 9), raster::clBlack);
    EXPECT_EQ(paint.Temp.pixel(9, 9), raster::clBlack);
    EXPECT_EQ(paint.Temp.pixelValue(10, 9), bg.pixelValue(10, 9));
}

TEST_F(SplPaintTest, PaintAsksTheOwnerAndShowsTheSurface) {
    const Bitmap bg = loadBackground();
    int asked = 0;
    QObject::connect(&paint, &TSplPaint::OnPaint, [&] {
        ++asked;
        paint.DrawToScreen(true);
    });
    paint.show();
    paint.repaint();
    QCoreApplication::processEvents();
    // Copying to the surface from inside the paint schedules no further paint.
    const int afterPaint = asked;
    QCoreApplication::processEvents();
    EXPECT_GE(afterPaint, 1);
    EXPECT_EQ(asked, afterPaint);
    EXPECT_EQ(paint.grab().toImage().pixel(5, 7),
              QColor(raster::redOf(bg.pixel(5, 7)), raster::greenOf(bg.pixel(5, 7)),
                     raster::blueOf(bg.pixel(5, 7)))
                  .rgb());
}

}  // namespace
}  // namespace kelvo::testing
