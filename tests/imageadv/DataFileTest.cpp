#include <QDir>
#include <QImage>
#include <filesystem>
#include <random>

#include "components/imageadv/DataFiles.h"
#include "components/imageadv/Scramble.h"
#include "raster/QtImage.h"
#include "tests/imageadv/Fixture.h"
#include "tests/support/EachLocale.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using testing::ImageAdvTest;

TEST(Scramble, TwiceIsTheIdentityAndMatchesTheSimpleStream) {
    std::mt19937_64 rng(5);
    for (size_t size : {0u, 1u, 7u, 8u, 9u, 63u, 1000u}) {
        std::vector<uint8_t> data(size);
        for (auto& b : data)
            b = uint8_t(rng());
        const auto original = data;
        const uint32_t seed = rng();
        auto simple = data;
        descramble(data.data(), size, seed);
        descrambleSimple(simple.data(), size, seed);
        EXPECT_EQ(data, simple) << size;
        for (size_t i = 0; i < size; ++i)
            EXPECT_EQ(data[i] & 0x80, original[i] & 0x80);  // the top bit never changes
        descramble(data.data(), size, seed);
        EXPECT_EQ(data, original) << size;
    }
}

TEST(Scramble, KnownFirstBytes) {
    // state 0 -> 12345 -> 0x41C64E6D * 12345 + 12345 ...: bits 24..30 of each new state.
    uint8_t zero[3] = {0, 0, 0};
    descrambleSimple(zero, 3, 0);
    uint32_t s = 0;
    for (uint8_t b : zero) {
        s = s * 1103515245u + 12345u;
        EXPECT_EQ(b, uint8_t((s >> 24) & 0x7F));
    }
}

using DataFileTest = ImageAdvTest;

raster::Bitmap zeroPicture(int w, int h) {
    Bitmap b;
    EXPECT_TRUE(b.reset(w, h, raster::PixelFormat::Pf8));
    return b;
}

TEST_F(DataFileTest, PictureWithKeyZeroLoadsUnchanged) {
    const Bitmap pic = palettePicture(640, 480);
    writeFile("bg.bmp", raster::writeBmp(pic));
    ASSERT_TRUE(adv->GrpFileRead(path("bg.bmp"), 0, 1));
    EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(pic));
}

TEST_F(DataFileTest, PictureRowsAreDescrambledWithKeyPlusRow) {
    writeFile("z.bmp", raster::writeBmp(zeroPicture(640, 480)));
    ASSERT_TRUE(adv->GrpFileRead(path("z.bmp"), 77, 2));
    const Bitmap& b = *adv->BmpBkGet(2);
    for (int r : {0, 1, 479}) {
        std::vector<uint8_t> expect(640, 0);
        descrambleSimple(expect.data(), expect.size(), 77u + uint32_t(r));
        EXPECT_TRUE(std::equal(expect.begin(), expect.end(), b.row(r))) << "row " << r;
    }
    EXPECT_FALSE(std::equal(b.row(0), b.row(0) + 640, b.row(1)));
    // The palette is not scrambled.
    EXPECT_EQ(b.palette(), zeroPicture(1, 1).palette());
}

TEST_F(DataFileTest, ImageZeroUsesTheControlsSizeAndReadsOtherFormats) {
    // A picture wider than the control: only the control's width is descrambled.
    writeFile("wide.bmp", raster::writeBmp(zeroPicture(700, 2)));
    ASSERT_TRUE(adv->GrpFileRead(path("wide.bmp"), 5, 0));
    std::vector<uint8_t> expect(640, 0);
    descrambleSimple(expect.data(), expect.size(), 5);
    EXPECT_EQ(adv->BmpBkGet(0)->row(0)[639], expect[639]);
    EXPECT_EQ(adv->BmpBkGet(0)->row(0)[650], 0);
    QImage png(3, 2, QImage::Format_RGB32);
    png.fill(qRgb(9, 8, 7));
    ASSERT_TRUE(png.save(QString::fromStdString(path("p.png"))));
    ASSERT_TRUE(adv->GrpFileRead(path("p.png"), 0, 0));
    EXPECT_EQ(adv->BmpBkGet(0)->pixel(2, 1), raster::rgb(9, 8, 7));
}

TEST_F(DataFileTest, UnreadablePictureLeavesTheImage) {
    *adv->BmpBkGet(1) = palettePicture(4, 4);
    EXPECT_FALSE(adv->GrpFileRead(path("missing.bmp"), 0, 1));
    writeFile("bad.bmp", {'B', 'M', 1, 2, 3});
    EXPECT_FALSE(adv->GrpFileRead(path("bad.bmp"), 3, 1));
    EXPECT_EQ(adv->BmpBkGet(1)->width(), 4);
    EXPECT_FALSE(adv->GrpFileRead(path("bad.bmp"), 0, 6));
}

TEST_F(DataFileTest, TextIsDescrambledAndCutAtItsFirstZero) {
    std::vector<uint8_t> text{'h', 'e', 'l', 'l', 'o', 0, 'x'};
    descramble(text.data(), text.size(), 1234);
    writeFile("t.txt", text);
    EXPECT_EQ(adv->TxtFileRead(path("t.txt"), 1234), "hello");
    EXPECT_EQ(adv->TxtData, "hello");
    // Key 0 still changes the bytes.
    writeFile("plain.txt", {'a', 'b', 'c'});
    EXPECT_NE(adv->TxtFileRead(path("plain.txt"), 0), "abc");
    EXPECT_TRUE(messages.empty());
}

TEST_F(DataFileTest, EmptyFileGivesEmptyTextAndMissingFileTheMarker) {
    writeFile("empty.txt", {});
    EXPECT_EQ(adv->TxtFileRead(path("empty.txt"), 9), "");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(adv->TxtFileRead(path("none.txt"), 9), "0");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "ファイルオープンエラー: ファイルが開けません");
    EXPECT_EQ(adv->TxtData, "");
}

TEST_F(DataFileTest, TwoReadsKeepThePreviousText) {
    std::vector<uint8_t> a{'o', 'n', 'e'}, b{'t', 'w', 'o'};
    descramble(a.data(), 3, 1);
    descramble(b.data(), 3, 1);
    writeFile("a.txt", a);
    writeFile("b.txt", b);
    adv->TxtFileRead(path("a.txt"), 1);
    adv->TxtFileRead(path("b.txt"), 1);
    EXPECT_EQ(adv->TxtDataOld, "one");
    EXPECT_EQ(adv->TxtData, "two");
}

// A folder and files named in Japanese open through every loading operation, whatever locale the
// host program has set.
TEST_F(DataFileTest, JapaneseFolderAndFileNamesOpen) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("画像")));
    const Bitmap pic = palettePicture(64, 48);
    writeFile("画像/画像.bmp", raster::writeBmp(pic));
    ASSERT_TRUE(raster::qt::toQImage(pic).save(QString::fromStdString(path("画像/画像.png"))));
    std::vector<uint8_t> text{'t', 'e', 'x', 't'};
    descramble(text.data(), text.size(), 7);
    writeFile("画像/データ.txt", text);
    kelvo::test::inEachLocale([&] {
        for (int n : {0, 1})
            EXPECT_TRUE(adv->GrpFileRead(path("画像/画像.bmp"), 0, n)) << adv->lastReadError();
        EXPECT_TRUE(adv->BmpBkGet(1)->samePixels(pic));
        EXPECT_TRUE(adv->GrpFileRead(path("画像/画像.png"), 0, 0)) << adv->lastReadError();
        EXPECT_EQ(adv->TxtFileRead(path("画像/データ.txt"), 7), "text");
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(DataFileTest, OverLargeTextFileIsRefusedWithTheMessage) {
    writeFile("big.txt", {});
    std::filesystem::resize_file(path("big.txt"), uintmax_t(TImageAdv::kMaxTextFileBytes) + 1);
    EXPECT_EQ(adv->TxtFileRead(path("big.txt"), 0), "0");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(adv->TxtFileRead(dir.path().toStdString(), 0), "0");  // a directory
}

}  // namespace
}  // namespace kelvo
