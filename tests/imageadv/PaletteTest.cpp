#include "tests/imageadv/Fixture.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using raster::PaletteEntry;
using raster::PixelFormat;
using raster::rgb;
using testing::ImageAdvTest;

using PaletteTest = ImageAdvTest;

Bitmap oneEntryPicture(PaletteEntry e, int index = 10) {
    Bitmap b;
    EXPECT_TRUE(b.reset(4, 2, PixelFormat::Pf8));
    raster::Palette pal(256);
    pal[size_t(index)] = e;
    b.setPalette(pal);
    b.fillValue(uint32_t(index));
    return b;
}

TEST_F(PaletteTest, BrightnessOnEightBitChangesEntriesOnly) {
    const struct {
        int percent;
        PaletteEntry want;
    } cases[] = {{50, {255, 150, 0, 0}},
                 {-50, {100, 50, 0, 0}},
                 {0, {200, 100, 0, 0}},
                 {-150, {0, 0, 0, 0}}};  // below -100 clips at 0
    for (const auto& c : cases) {
        *adv->BmpBkGet(1) = oneEntryPicture({200, 100, 0, 0});
        ASSERT_TRUE(adv->RGBChg(1, c.percent, 0, 256, false));
        EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], c.want) << c.percent;
        EXPECT_EQ(adv->BmpBkGet(1)->pixelValue(3, 1), 10u);
    }
    // Only first..last-1 change.
    *adv->BmpBkGet(1) = oneEntryPicture({200, 100, 0, 0});
    ASSERT_TRUE(adv->RGBChg(1, 50, 0, 10, false));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], (PaletteEntry{200, 100, 0, 0}));
    EXPECT_TRUE(adv->RowBackUp.has_value());
    // With a back-up the entries come back.
    *adv->BmpBkGet(1) = oneEntryPicture({200, 100, 0, 0});
    adv->RGBChg(1, 30, 0, 256, true);
    EXPECT_TRUE(adv->RGBRestore(1));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], (PaletteEntry{200, 100, 0, 0}));
}

TEST_F(PaletteTest, BrightnessOnTrueColourAndItsRestore) {
    Bitmap b(3, 2, PixelFormat::Pf24);
    b.setPixel(0, 0, rgb(200, 100, 0));
    *adv->BmpBkGet(2) = b;
    adv->PaletteBackUp(2);  // backup true saves a palette only for 8-bit images
    ASSERT_TRUE(adv->RGBChg(2, 50, 0, 256, true));
    EXPECT_EQ(adv->BmpBkGet(2)->pixel(0, 0), rgb(100, 50, 0));
    EXPECT_FALSE(adv->RGBRestore(2));  // restores, yet reports false
    EXPECT_EQ(adv->BmpBkGet(2)->pixel(0, 0), rgb(200, 100, 0));
    ASSERT_TRUE(adv->RGBChg(2, 100, 0, 256, false));
    EXPECT_EQ(adv->BmpBkGet(2)->pixel(0, 0), raster::clBlack);
    // A negative percent brightens and saturates instead of wrapping.
    *adv->BmpBkGet(2) = b;
    ASSERT_TRUE(adv->RGBChg(2, -50, 0, 256, false));
    EXPECT_EQ(adv->BmpBkGet(2)->pixel(0, 0), rgb(255, 150, 0));
}

TEST_F(PaletteTest, TrueColourBrightnessIgnoresThePaletteRange) {
    Bitmap b(3, 2, PixelFormat::Pf16);
    b.fillValue(0x7BEF);  // a mid grey in 5-6-5
    for (auto range : {std::pair{0, 300}, std::pair{50, 10}, std::pair{-4, 2}}) {
        for (auto f : {PixelFormat::Pf16, PixelFormat::Pf24, PixelFormat::Pf32}) {
            Bitmap t = b;
            ASSERT_TRUE(t.setFormat(f));
            *adv->BmpBkGet(2) = t;
            adv->PaletteBackUp(2);
            ASSERT_TRUE(adv->RGBChg(2, 50, range.first, range.second, true)) << range.first;
            EXPECT_FALSE(adv->BmpBkGet(2)->samePixels(t));
            adv->RGBRestore(2);  // the rows saved by RGBChg come back
            EXPECT_TRUE(adv->BmpBkGet(2)->samePixels(t)) << range.first;
        }
    }
    // On an 8-bit image an empty range changes nothing and still succeeds; one reaching past
    // the 256 entries is refused.
    *adv->BmpBkGet(1) = oneEntryPicture({200, 100, 0, 0});
    EXPECT_TRUE(adv->RGBChg(1, 50, 20, 5, true));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], (PaletteEntry{200, 100, 0, 0}));
    EXPECT_FALSE(adv->RGBChg(1, 50, 0, 300, false));
}

TEST_F(PaletteTest, RestoreBeforeAnyBackUpDoesNothing) {
    Bitmap t(2, 2, PixelFormat::Pf32);
    *adv->BmpBkGet(1) = t;
    adv->RGBChg(1, 50, 0, 256, false);
    EXPECT_FALSE(adv->RGBRestore(1));
    EXPECT_NE(adv->BmpBkGet(1)->pixel(0, 0), raster::clWhite);
    *adv->BmpBkGet(3) = oneEntryPicture({1, 2, 3, 0});
    EXPECT_FALSE(adv->RGBRestore(3));
    EXPECT_EQ(adv->BmpBkGet(3)->palette()[10], (PaletteEntry{1, 2, 3, 0}));
}

TEST_F(PaletteTest, ContrastPushesReservedEntriesOnly) {
    Bitmap b = oneEntryPicture({30, 100, 230, raster::PC_RESERVED});
    auto pal = b.palette();
    pal[11] = {30, 100, 230, 0};
    b.setPalette(pal);
    *adv->BmpBkGet(1) = b;
    ASSERT_TRUE(adv->ContrastChg(1, 0, 256, 40, true));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], (PaletteEntry{0, 140, 255, 1}));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[11], (PaletteEntry{30, 100, 230, 0}));
    ASSERT_TRUE(adv->ContrastRestore(1));
    EXPECT_EQ(adv->BmpBkGet(1)->palette()[10], (PaletteEntry{30, 100, 230, 1}));
    *adv->BmpBkGet(2) = Bitmap(2, 2, PixelFormat::Pf24);
    EXPECT_FALSE(adv->ContrastChg(2, 0, 256, 40, false));
    EXPECT_FALSE(adv->ContrastRestore(2));
}

TEST_F(PaletteTest, RestoresKeepThePaletteLength) {
    using Restore = bool (*)(TImageAdv&);
    const Restore brightness = [](TImageAdv& a) { return a.RGBRestore(1); };
    const Restore contrast = [](TImageAdv& a) { return a.ContrastRestore(1); };
    const struct {
        size_t entries;
        Restore restore;
    } cases[] = {{16, brightness}, {16, contrast}, {256, brightness}, {256, contrast}};
    for (const auto& c : cases) {
        *adv->BmpBkGet(2) = palettePicture(4, 4);
        adv->PaletteBackUp(2);  // the entries past a short palette hold these colours
        const raster::Palette pal(c.entries, PaletteEntry{200, 100, 0, 0});
        Bitmap b;
        ASSERT_TRUE(b.reset(4, 2, PixelFormat::Pf8));
        b.setPalette(pal);
        *adv->BmpBkGet(1) = b;
        ASSERT_TRUE(adv->RGBChg(1, 50, 0, 256, true));
        ASSERT_TRUE(c.restore(*adv)) << c.entries;
        EXPECT_EQ(adv->BmpBkGet(1)->palette(), pal) << c.entries;
    }
}

TEST_F(PaletteTest, ContrastRestoreRightAfterConstructionIsBlack) {
    *adv->BmpBkGet(1) = palettePicture(4, 4);
    ASSERT_TRUE(adv->ContrastRestore(1));
    for (const auto& e : adv->BmpBkGet(1)->palette())
        ASSERT_EQ(e.color(), raster::clBlack);
    EXPECT_FALSE(adv->PalBackUpFlg);
}

TEST_F(PaletteTest, FlagsOfImageZero) {
    *adv->BmpBkGet(0) = palettePicture(4, 4);
    EXPECT_TRUE(adv->PalFlgSet(0, 256, 0));
    for (const auto& e : adv->BmpBkGet(0)->palette())
        ASSERT_EQ(e.peFlags, raster::PC_RESERVED);
    EXPECT_TRUE(adv->PalFlgSet(0, 256, 3));
    EXPECT_EQ(adv->BmpBkGet(0)->palette()[200].peFlags, raster::PC_RESERVED);
    EXPECT_TRUE(adv->PalFlgSet(5, 6, 1));
    EXPECT_EQ(adv->BmpBkGet(0)->palette()[5].peFlags, raster::PC_NOCOLLAPSE);
    EXPECT_TRUE(adv->PalFlgSet(5, 6, 2));
    EXPECT_EQ(adv->BmpBkGet(0)->palette()[5].peFlags, raster::PC_EXPLICIT);
}

TEST_F(PaletteTest, RangesOutsideThePaletteDoNothing) {
    *adv->BmpBkGet(0) = palettePicture(4, 4);
    const auto before = adv->BmpBkGet(0)->palette();
    EXPECT_FALSE(adv->PalFlgSet(-1, 10, 0));
    EXPECT_FALSE(adv->PalFlgSet(0, 257, 0));
    EXPECT_FALSE(adv->RGBChg(0, 50, 0, 300, false));
    EXPECT_FALSE(adv->ContrastChg(0, -5, 10, 40, false));
    EXPECT_FALSE(adv->RGBChg(8, 50, 0, 256, false));
    EXPECT_EQ(adv->BmpBkGet(0)->palette(), before);
}

TEST_F(PaletteTest, WhiteLastEntry) {
    *adv->BmpBkGet(4) = palettePicture(2, 2);
    adv->WhitePalSet(4);
    EXPECT_EQ(adv->BmpBkGet(4)->palette()[255], (PaletteEntry{255, 255, 255, 0}));
}

TEST_F(PaletteTest, MergeShowsOverlayThroughEntries128On) {
    *adv->BmpBkGet(1) = palettePicture(16, 8);
    const Bitmap background = *adv->BmpBkGet(1);
    Bitmap overlay;
    ASSERT_TRUE(overlay.reset(4, 3, PixelFormat::Pf8));
    raster::Palette opal(256);
    opal[5] = {1, 2, 3, 0};
    overlay.setPalette(opal);
    overlay.setPixelValue(1, 1, 5);  // the rest is index 0, the key
    *adv->BmpBkGet(2) = overlay;
    ASSERT_TRUE(adv->BmpBkMarge(1, 3, 6, 2, 0));
    const Bitmap& out = *adv->BmpBkGet(1);
    EXPECT_EQ(out.pixelValue(4, 7), 133u);
    EXPECT_EQ(out.pixel(4, 7), rgb(1, 2, 3));
    EXPECT_EQ(out.pixelValue(3, 6), background.pixelValue(3, 6));  // transparent
    EXPECT_EQ(out.pixelValue(0, 0), background.pixelValue(0, 0));
    // The overlay keeps its own palette; RowBackUp holds the composed picture.
    EXPECT_EQ(adv->BmpBkGet(2)->palette(), opal);
    EXPECT_EQ((*adv->RowBackUp)[7][4], 133);
}

TEST_F(PaletteTest, MergeExtendsAShortTargetPalette) {
    Bitmap target;
    ASSERT_TRUE(target.reset(8, 4, PixelFormat::Pf8));
    target.setPalette(raster::Palette(16, PaletteEntry{9, 9, 9, 0}));
    *adv->BmpBkGet(1) = target;
    Bitmap overlay;
    ASSERT_TRUE(overlay.reset(2, 2, PixelFormat::Pf8));
    raster::Palette opal(48, PaletteEntry{0, 0, 0, 0});
    opal[47] = {10, 20, 30, 0};
    overlay.setPalette(opal);
    overlay.fillValue(47);
    *adv->BmpBkGet(2) = overlay;
    ASSERT_TRUE(adv->BmpBkMarge(1, 0, 0, 2, 0));
    const Bitmap& out = *adv->BmpBkGet(1);
    ASSERT_GE(out.palette().size(), 176u);
    EXPECT_EQ(out.palette()[15], (PaletteEntry{9, 9, 9, 0}));  // the target's own entries stay
    EXPECT_EQ(out.pixelValue(1, 1), 175u);
    EXPECT_EQ(out.pixel(1, 1), rgb(10, 20, 30));
}

TEST_F(PaletteTest, MergeKeysOutsideAByteMakeNothingTransparent) {
    Bitmap overlay;
    ASSERT_TRUE(overlay.reset(3, 1, PixelFormat::Pf8));
    overlay.setPixelValue(0, 0, 255);
    overlay.setPixelValue(1, 0, 0);
    overlay.setPixelValue(2, 0, 5);
    *adv->BmpBkGet(2) = overlay;
    for (int key : {-1, 256, 261}) {
        *adv->BmpBkGet(1) = palettePicture(8, 2);
        ASSERT_TRUE(adv->BmpBkMarge(1, 0, 0, 2, key)) << key;
        const Bitmap& out = *adv->BmpBkGet(1);
        EXPECT_EQ(out.pixelValue(0, 0), uint32_t((255 + 128) & 0xFF)) << key;
        EXPECT_EQ(out.pixelValue(1, 0), 128u) << key;
        EXPECT_EQ(out.pixelValue(2, 0), 133u) << key;
    }
    *adv->BmpBkGet(1) = palettePicture(8, 2);
    ASSERT_TRUE(adv->BmpBkMarge(1, 0, 0, 2, 5));  // a key in range still works
    EXPECT_EQ(adv->BmpBkGet(1)->pixelValue(2, 0), 2u);
}

TEST_F(PaletteTest, OverlayThatDoesNotFitDoesNothing) {
    *adv->BmpBkGet(1) = palettePicture(16, 8);
    const Bitmap before = *adv->BmpBkGet(1);
    Bitmap overlay;
    ASSERT_TRUE(overlay.reset(4, 3, PixelFormat::Pf8));
    *adv->BmpBkGet(2) = overlay;
    EXPECT_FALSE(adv->BmpBkMarge(1, 13, 0, 2, 0));
    EXPECT_FALSE(adv->BmpBkMarge(1, -1, 0, 2, 0));
    EXPECT_FALSE(adv->RowBackUp.has_value());
    EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(before));
    // Rows below the target are not drawn.
    EXPECT_TRUE(adv->BmpBkMarge(1, 0, 6, 2, 9));
    EXPECT_EQ(adv->BmpBkGet(1)->pixelValue(0, 7), 128u);
    // A back-up of another image's size is not merged into.
    *adv->BmpBkGet(3) = palettePicture(20, 8);
    EXPECT_FALSE(adv->MargeRestore(0, 0, 0, adv->BmpBkGet(2), 3, false));
}

}  // namespace
}  // namespace kelvo
