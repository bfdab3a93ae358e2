#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <random>

#include "raster/codec/Bmp.h"
#include "tests/raster/BmpBuilder.h"
#include "tests/raster/RandomBitmap.h"
#include "tests/support/EachLocale.h"

namespace kelvo::raster {
namespace {

using testing::firstDifference;

TEST(BmpRoundTrip, EveryFormatComesBackUnchanged) {
    std::mt19937_64 rng(21);
    for (PixelFormat f : testing::kAllFormats) {
        for (int n = 0; n < 5; ++n) {
            Bitmap a = testing::randomBitmap(rng, f, 30);
            if (isIndexed(f)) {
                // Flags are not stored in the file; indexes must stay inside the palette.
                Palette pal = a.palette();
                for (auto& e : pal)
                    e.peFlags = 0;
                a.setPalette(pal);
                for (int y = 0; y < a.height(); ++y)
                    for (int x = 0; x < a.width(); ++x)
                        a.setPixelValue(x, y, a.pixelValue(x, y) % uint32_t(pal.size()));
            }
            if (f == PixelFormat::Pf15)
                for (int y = 0; y < a.height(); ++y)
                    for (int x = 0; x < a.width(); ++x)
                        a.setPixelValue(x, y, a.pixelValue(x, y) & 0x7FFF);
            Bitmap b;
            std::string error;
            ASSERT_TRUE(readBmp(writeBmp(a), b, error)) << testing::formatName(f) << error;
            ASSERT_EQ(firstDifference(b, a), "") << testing::formatName(f);
            EXPECT_EQ(b.palette(), a.palette());
        }
    }
}

// Names are UTF-8 on every system, a folder's too, whatever locale the host program has set; what
// is no file is refused with a reason.
TEST(BmpFile, JapaneseFolderAndFileNamesAndNonFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("画像")));
    const std::string folder = dir.filePath(QStringLiteral("画像")).toStdString();
    std::mt19937_64 rng(3);
    const Bitmap a = testing::randomBitmap(rng, PixelFormat::Pf24, 20);
    kelvo::test::inEachLocale([&] {
        Bitmap b;
        std::string error;
        ASSERT_TRUE(writeBmpFile(folder + "/画像.bmp", a, error)) << error;
        ASSERT_TRUE(readBmpFile(folder + "/画像.bmp", b, error)) << error;
        EXPECT_EQ(firstDifference(b, a), "");
        EXPECT_FALSE(readBmpFile(folder + "/無い.bmp", b, error));
        EXPECT_EQ(error, "cannot open the file");
        EXPECT_FALSE(readBmpFile(folder, b, error));
        EXPECT_EQ(error, "not a regular file");
        EXPECT_FALSE(writeBmpFile(folder, a, error));
        EXPECT_FALSE(writeBmpFile(folder + "/無い/画像.bmp", a, error));
    });
}

std::vector<uint8_t> validFile() {
    testing::BmpLayout s;
    s.width = 4, s.height = 3, s.bpp = 8;
    s.palette = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    s.pixels.assign(3, std::vector<uint32_t>(4, 1));
    return testing::buildBmp(s);
}

void set32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        f[at + size_t(i)] = uint8_t(v >> (8 * i));
}

void expectRejected(const std::vector<uint8_t>& f, const std::string& why) {
    Bitmap b(2, 2);
    const Bitmap before = b;
    std::string error;
    EXPECT_FALSE(readBmp(f, b, error)) << why;
    EXPECT_FALSE(error.empty()) << why;
    EXPECT_TRUE(b.samePixels(before)) << why << ": output touched";
}

TEST(BmpReaderHardening, RejectsBadHeadersWithAReason) {
    const std::vector<uint8_t> good = validFile();
    Bitmap b;
    std::string error;
    ASSERT_TRUE(readBmp(good, b, error)) << error;

    expectRejected({}, "empty");
    expectRejected(std::vector<uint8_t>(good.begin(), good.begin() + 20), "short header");
    // One 32-bit header field set to a value the reader must refuse.
    const struct {
        size_t at;
        uint32_t value;
        const char* why;
    } fields[] = {
        {14, 41, "header size"},
        {18, 40000, "width"},
        {22, uint32_t(-40000), "top-down height"},
        {22, 0x80000000u, "smallest int height"},
        {30, 9, "compression"},
        {30, 2, "RLE4 on 8 bits"},
        {46, 300, "palette count above 256"},
        {10, uint32_t(good.size() + 1), "pixel offset past the end"},
        {10, 20, "pixel offset inside the header"},
    };
    for (const auto& c : fields) {
        auto f = good;
        set32(f, c.at, c.value);
        expectRejected(f, c.why);
    }
    auto f = good;
    f[0] = 'X';
    expectRejected(f, "magic");
    f = good;
    f[28] = 7;
    expectRejected(f, "bits per pixel");
    f = good;
    f.resize(f.size() - 1);
    expectRejected(f, "pixel data one byte short");
    f = good;
    set32(f, 18, 30000);
    set32(f, 22, 30000);
    expectRejected(f, "image over the size cap, with a lying image size");
}

TEST(BmpReaderHardening, PaletteLargerThanFormatAllows) {
    testing::BmpLayout s;
    s.width = 2, s.height = 2, s.bpp = 1;
    s.palette.resize(3);
    s.pixels.assign(2, std::vector<uint32_t>(2, 0));
    expectRejected(testing::buildBmp(s), "three entries for one bit");
}

TEST(BmpReaderHardening, RleTopDownIsRejected) {
    testing::BmpLayout s;
    s.width = 2, s.height = 2, s.bpp = 8, s.compression = 1, s.topDown = true;
    s.palette.resize(2);
    s.pixels.assign(2, std::vector<uint32_t>(2, 1));
    expectRejected(testing::buildBmp(s), "top-down RLE");
}

TEST(BmpReader, ZeroSizedPictureIsEmpty) {
    testing::BmpLayout s;
    s.width = 0, s.height = 0, s.bpp = 24;
    Bitmap b(3, 3);
    std::string error;
    ASSERT_TRUE(readBmp(testing::buildBmp(s), b, error)) << error;
    EXPECT_TRUE(b.empty());
}

}  // namespace
}  // namespace kelvo::raster
