#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <random>
#include <sstream>

#include "raster/codec/Bmp.h"
#include "tests/raster/BmpBuilder.h"
#include "tests/raster/RandomBitmap.h"

namespace kelvo::raster {
namespace {

using testing::BmpLayout;

QImage qtDecode(const std::vector<uint8_t>& file) {
    QByteArray bytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buf(&bytes);
    QImageReader reader(&buf, "bmp");
    return reader.read();
}

// Every variant's pixels must show the colours Qt's own reader sees in the same file.
void expectSameAsQt(const BmpLayout& layout, const std::string& what) {
    const std::vector<uint8_t> file = testing::buildBmp(layout);
    Bitmap ours;
    std::string error;
    ASSERT_TRUE(readBmp(file, ours, error)) << what << ": " << error;
    const QImage qt = qtDecode(file);
    ASSERT_FALSE(qt.isNull()) << what << ": Qt cannot read it";
    ASSERT_EQ(ours.width(), qt.width()) << what;
    ASSERT_EQ(ours.height(), qt.height()) << what;
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x) {
            const QRgb q = qt.pixel(x, y);
            const Color c = ours.pixel(x, y);
            ASSERT_EQ(c, rgb(uint8_t(qRed(q)), uint8_t(qGreen(q)), uint8_t(qBlue(q))))
                << what << " at (" << x << ", " << y << ")";
        }
}

BmpLayout layout(std::mt19937_64& rng, int bpp, uint32_t compression, bool topDown,
                 int header = 40) {
    BmpLayout s;
    s.width = int(rng() % 37) + 1;
    s.height = int(rng() % 23) + 1;
    s.bpp = bpp;
    s.compression = compression;
    s.topDown = topDown;
    s.headerSize = header;
    if (bpp <= 8) {
        // A palette as long as the format allows, or shorter, and pixels that stay inside it.
        const int max = 1 << bpp;
        const int count = (rng() & 1) ? max : int(rng() % unsigned(max)) + 1;
        s.palette.resize(size_t(count));
        for (auto& e : s.palette)
            e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
        s.pixels = testing::randomPixels(rng, s.width, s.height, uint64_t(count));
    } else {
        s.pixels = testing::randomPixels(rng, s.width, s.height, uint64_t(1) << bpp);
    }
    return s;
}

TEST(BmpReaderOracle, UncompressedIndexedAndTrueColour) {
    std::mt19937_64 rng(11);
    for (int bpp : {1, 4, 8, 16, 24, 32})
        for (bool topDown : {false, true})
            for (int header : {40, 124})
                for (int n = 0; n < 4; ++n) {
                    std::ostringstream what;
                    what << bpp << " bpp, header " << header << (topDown ? ", top-down" : "");
                    expectSameAsQt(layout(rng, bpp, 0, topDown, header), what.str());
                }
}

TEST(BmpReaderOracle, CoreHeaderWithThreeBytePalette) {
    std::mt19937_64 rng(12);
    for (int bpp : {1, 4, 8, 24}) {
        BmpLayout s = layout(rng, bpp, 0, false, 12);
        if (bpp <= 8) {
            s.palette.resize(size_t(1) << bpp);  // a core palette always has 2^bpp entries
        }
        expectSameAsQt(s, "core header " + std::to_string(bpp) + " bpp");
    }
}

TEST(BmpReaderOracle, BitFields) {
    std::mt19937_64 rng(13);
    struct Masks {
        int bpp;
        uint32_t r, g, b;
        PixelFormat expect;
    };
    const Masks cases[] = {{16, 0xF800, 0x07E0, 0x001F, PixelFormat::Pf16},
                           {16, 0x7C00, 0x03E0, 0x001F, PixelFormat::Pf15},
                           {16, 0x0F00, 0x00F0, 0x000F, PixelFormat::Pf24},
                           {32, 0xFF0000, 0xFF00, 0xFF, PixelFormat::Pf32},
                           {32, 0xFF, 0xFF00, 0xFF0000, PixelFormat::Pf32},
                           {32, 0xFF000000, 0xFF0000, 0xFF00, PixelFormat::Pf32}};
    for (const Masks& m : cases)
        for (int header : {40, 108}) {
            BmpLayout s = layout(rng, m.bpp, 3, rng() & 1, header);
            s.masks[0] = m.r, s.masks[1] = m.g, s.masks[2] = m.b;
            std::ostringstream what;
            what << m.bpp << " bpp masks " << std::hex << m.r << "/" << m.g << "/" << m.b;
            expectSameAsQt(s, what.str());
            Bitmap b;
            std::string error;
            ASSERT_TRUE(readBmp(testing::buildBmp(s), b, error));
            EXPECT_EQ(b.format(), m.expect) << what.str();
        }
}

TEST(BmpReaderOracle, RunLengthEncoded) {
    std::mt19937_64 rng(14);
    for (int n = 0; n < 12; ++n) {
        expectSameAsQt(layout(rng, 8, 1, false), "RLE8 #" + std::to_string(n));
        expectSameAsQt(layout(rng, 4, 2, false), "RLE4 #" + std::to_string(n));
    }
}

TEST(BmpReaderOracle, KeepsFormatAndPalette) {
    std::mt19937_64 rng(15);
    const BmpLayout s = layout(rng, 4, 0, false);
    Bitmap b;
    std::string error;
    ASSERT_TRUE(readBmp(testing::buildBmp(s), b, error));
    EXPECT_EQ(b.format(), PixelFormat::Pf4);
    EXPECT_EQ(b.palette(), s.palette);
}

}  // namespace
}  // namespace kelvo::raster
