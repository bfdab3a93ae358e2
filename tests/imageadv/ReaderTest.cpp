#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdlib>

#include "raster/QtImage.h"
#include "tests/imageadv/Fixture.h"
#include "tests/raster/BmpBuilder.h"

namespace kelvo {
namespace {

using raster::Bitmap;
using raster::PixelFormat;
using ReaderTest = testing::ImageAdvTest;

// Every image keeps its picture when a read is refused, and the reason is kept.
class RefusedReads : public ReaderTest {
  protected:
    RefusedReads() {
        for (int n = 0; n <= 4; ++n)
            *adv->BmpBkGet(n) = palettePicture(6, 4);
    }
    void expectRefused(const std::string& file, int n, int key, const std::string& reasonPart) {
        expectPathRefused(path(file), n, key, reasonPart);
    }
    void expectPathRefused(const std::string& file, int n, int key, const std::string& reasonPart) {
        SCOPED_TRACE(file + " into image " + std::to_string(n));
        EXPECT_FALSE(adv->GrpFileRead(file, key, n));
        EXPECT_TRUE(adv->BmpBkGet(n)->samePixels(palettePicture(6, 4)));
        EXPECT_NE(adv->lastReadError().find(reasonPart), std::string::npos) << adv->lastReadError();
    }
};

// A few kilobytes of PNG wider than a bitmap can be: the bitmap once clamped its width and the
// copy of each row ran past it.
TEST_F(RefusedReads, PictureWiderOrTallerThanABitmapCanBe) {
    for (QSize size : {QSize(40000, 8), QSize(8, 40000)}) {
        QImage wide(size, QImage::Format_RGB32);
        wide.fill(qRgb(1, 2, 3));
        ASSERT_TRUE(wide.save(QString::fromStdString(path("wide.png"))));
        expectRefused("wide.png", 0, 0, "32768");
        expectRefused("wide.png", 0, 9, "32768");
        QImage indexed = wide.convertToFormat(QImage::Format_Indexed8);
        ASSERT_TRUE(indexed.save(QString::fromStdString(path("indexed.png"))));
        expectRefused("indexed.png", 0, 0, "32768");
    }
    raster::testing::BmpLayout s;
    s.width = 1, s.height = 1, s.bpp = 24;
    s.pixels = {{0}};
    std::vector<uint8_t> bmp = raster::testing::buildBmp(s);
    bmp[18] = 0x41, bmp[19] = 0x9C;  // 40001 wide
    writeFile("wide.bmp", bmp);
    for (int n = 0; n <= 4; ++n)
        expectRefused("wide.bmp", n, 3, "out of range");
}

TEST_F(RefusedReads, PictureOverTheByteLimitIsRefusedBeforeItIsDecoded) {
    adv->setPictureByteLimit(int64_t(1) << 20);
    QImage big(600, 600, QImage::Format_RGB32);
    big.fill(qRgb(4, 5, 6));
    ASSERT_TRUE(big.save(QString::fromStdString(path("big.png"))));
    expectRefused("big.png", 0, 0, "larger than the reader allows");
    writeFile("big.bmp", raster::writeBmp(Bitmap(600, 600, PixelFormat::Pf24)));
    for (int n = 0; n <= 4; ++n)
        expectRefused("big.bmp", n, 0, "too large");
    adv->setPictureByteLimit(int64_t(2) << 20);
    EXPECT_TRUE(adv->GrpFileRead(path("big.png"), 0, 0)) << adv->lastReadError();
    EXPECT_EQ(adv->BmpBkGet(0)->pixel(599, 599), raster::rgb(4, 5, 6));
}

TEST_F(RefusedReads, UndecodablePicturesSayWhy) {
    writeFile("junk.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    expectRefused("junk.png", 0, 0, "cannot read the picture");
    writeFile("junk.bmp", {'B', 'M', 1, 2, 3});
    for (int n = 0; n <= 4; ++n)
        expectRefused("junk.bmp", n, 0, "too short");
    expectRefused("missing.png", 0, 0, "cannot read the picture");
    EXPECT_FALSE(adv->GrpFileRead(path("junk.bmp"), 0, 5));
    EXPECT_NE(adv->lastReadError(), "");
}

// The system's PNG decoder allocates what a chunk claims before it finds the file short: a
// 100-byte file once asked it for 816 MiB. Such a file is refused before any decoder sees it,
// also as a picture inside an icon.
TEST_F(RefusedReads, ChunksClaimingMoreThanTheFileHoldsNeverReachTheDecoder) {
    QImage small(4, 3, QImage::Format_RGB32);
    small.fill(qRgb(7, 8, 9));
    ASSERT_TRUE(small.save(QString::fromStdString(path("ok.png"))));
    QFile saved(QString::fromStdString(path("ok.png")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray good = saved.readAll();
    std::vector<uint8_t> png(good.begin(), good.end());
    const std::vector<uint8_t> text = {0x33, 0x00, 0x00, 0x2A, 't', 'E', 'X', 't', 'a', 'b'};
    png.insert(png.begin() + 33, text.begin(), text.end());  // after the header chunk
    writeFile("claims.png", png);
    expectRefused("claims.png", 0, 0, "runs past the end of the file");
    png[33] = 0x80;  // over the format's 2^31 - 1
    writeFile("claims.png", png);
    expectRefused("claims.png", 0, 0, "longer than the format allows");

    // An icon of one entry: the header, the entry (size and offset last), the picture.
    auto icon = [](const std::vector<uint8_t>& picture) {
        std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 4, 3, 0, 0, 1, 0, 32, 0};
        const uint32_t size = uint32_t(picture.size()), offset = 22;
        for (uint32_t v : {size, offset})
            for (int b = 0; b < 4; ++b)
                ico.push_back(uint8_t(v >> (8 * b)));
        ico.insert(ico.end(), picture.begin(), picture.end());
        return ico;
    };
    png[33] = 0x33;
    writeFile("claims.ico", icon(png));
    expectRefused("claims.ico", 0, 0, "runs past the end of the file");
    writeFile("fine.ico", icon(std::vector<uint8_t>(good.begin(), good.end())));
    ASSERT_TRUE(adv->GrpFileRead(path("fine.ico"), 0, 0)) << adv->lastReadError();
    EXPECT_EQ(adv->BmpBkGet(0)->pixel(3, 2), raster::rgb(7, 8, 9));
}

// A pipe would keep the reader waiting for a writer that never comes. Windows has no named pipes
// in the file system; a device stands in for one there.
TEST_F(RefusedReads, APipeIsNoPicture) {
#ifdef _WIN32
    // The null device reads as an empty file there: refused, whichever reason the reader gives.
    for (int n = 0; n <= 4; ++n)
        expectPathRefused("NUL", n, 0, "");
#else
    ASSERT_EQ(std::system(("mkfifo '" + path("pipe.png") + "'").c_str()), 0);
    for (int n = 0; n <= 4; ++n)
        expectRefused("pipe.png", n, 0, "not a regular file");
#endif
}

// Qt's allocation limit holds for the whole process: a read lowers it only while it runs.
TEST_F(ReaderTest, TheHostsOwnAllocationLimitComesBack) {
    const int before = QImageReader::allocationLimit();
    QImage small(4, 3, QImage::Format_RGB32);
    small.fill(qRgb(1, 1, 1));
    ASSERT_TRUE(small.save(QString::fromStdString(path("s.png"))));
    adv->setPictureByteLimit(int64_t(1) << 20);
    for (int host : {0, 77}) {
        QImageReader::setAllocationLimit(host);
        EXPECT_TRUE(adv->GrpFileRead(path("s.png"), 0, 0)) << adv->lastReadError();
        EXPECT_EQ(QImageReader::allocationLimit(), host);
    }
    QImageReader::setAllocationLimit(before);
}

// Image 0 through Qt: indexed pictures stay 8-bit with their colours, others become 24-bit.
TEST_F(ReaderTest, QtPicturesKeepIndexesOrBecomeTrueColour) {
    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50)});
    indexed.fill(1);
    indexed.setPixel(4, 2, 0);
    ASSERT_TRUE(indexed.save(QString::fromStdString(path("i.png"))));
    ASSERT_TRUE(adv->GrpFileRead(path("i.png"), 0, 0)) << adv->lastReadError();
    const Bitmap& b = *adv->BmpBkGet(0);
    EXPECT_EQ(b.format(), PixelFormat::Pf8);
    EXPECT_EQ(b.pixelValue(4, 2), 0u);
    EXPECT_EQ(b.pixel(0, 0), raster::rgb(200, 100, 50));
    EXPECT_EQ(adv->lastReadError(), "");
}

// A run-length BMP under another name reaches Qt's reader, which leaves the pixels its deltas
// skip undefined; BMP content is read by ours instead, whatever the file is called.
TEST_F(ReaderTest, BmpContentUnderAnotherNameIsReadByOurReader) {
    raster::testing::BmpLayout s;
    s.width = 4, s.height = 2, s.bpp = 8, s.compression = 1;
    s.palette.resize(4);
    s.pixels = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    std::vector<uint8_t> file = raster::testing::buildBmp(s);
    file.resize(file[10] | size_t(file[11]) << 8);
    file.insert(file.end(), {0, 2, 2, 1, 2, 3, 0, 1});  // skip two pixels and a row
    writeFile("rle.png", file);
    ASSERT_TRUE(adv->GrpFileRead(path("rle.png"), 0, 0)) << adv->lastReadError();
    const Bitmap& b = *adv->BmpBkGet(0);
    EXPECT_EQ(b.format(), PixelFormat::Pf8);
    EXPECT_EQ(b.pixelValue(0, 0), 0u);
    EXPECT_EQ(b.pixelValue(2, 0), 3u);
    EXPECT_EQ(b.pixelValue(0, 1), 0u);
}

// The bridge refuses an image the bitmap cannot hold, whichever way Qt decoded it.
TEST(QtBridge, ImagesLargerThanABitmapLeaveTheTarget) {
    for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_Indexed8, QImage::Format_Mono,
                             QImage::Format_Grayscale8}) {
        QImage img(Bitmap::kMaxSide + 1, 2, f);
        ASSERT_FALSE(img.isNull());
        Bitmap out(3, 3);
        const raster::SizeResult r = raster::qt::fromQImage(img, out);
        EXPECT_EQ(r.code(), raster::SizeResult::SideTooLarge) << int(f);
        EXPECT_EQ(out.width(), 3);
    }
    Bitmap out(3, 3);
    EXPECT_TRUE(raster::qt::fromQImage(QImage(), out));
    EXPECT_TRUE(out.empty());
}

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
