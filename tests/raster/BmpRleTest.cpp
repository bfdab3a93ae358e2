#include <gtest/gtest.h>

#include "raster/codec/Bmp.h"
#include "tests/raster/BmpBuilder.h"

namespace kelvo::raster {
namespace {

// A run-length file of the given size whose pixel data is exactly `stream`.
std::vector<uint8_t> rleFile(int width, int height, int bpp, const std::vector<uint8_t>& stream) {
    testing::BmpLayout s;
    s.width = 1, s.height = 1, s.bpp = bpp, s.compression = bpp == 8 ? 1 : 2;
    s.palette.resize(size_t(1) << bpp);
    s.pixels.assign(1, std::vector<uint32_t>(1, 0));
    std::vector<uint8_t> f = testing::buildBmp(s);
    f.resize(f[10] | size_t(f[11]) << 8);
    for (int i = 0; i < 4; ++i) {
        f[18 + size_t(i)] = uint8_t(uint32_t(width) >> (8 * i));
        f[22 + size_t(i)] = uint8_t(uint32_t(height) >> (8 * i));
    }
    f.insert(f.end(), stream.begin(), stream.end());
    return f;
}

// The picture's pixel values, row 0 at the top.
std::vector<std::vector<uint32_t>> decode(const std::vector<uint8_t>& file) {
    Bitmap b;
    std::string error;
    EXPECT_TRUE(readBmp(file, b, error)) << error;
    std::vector<std::vector<uint32_t>> rows(size_t(b.height()));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            rows[size_t(y)].push_back(b.pixelValue(x, y));
    return rows;
}

std::string refusal(const std::vector<uint8_t>& file) {
    Bitmap b(2, 2);
    std::string error;
    EXPECT_FALSE(readBmp(file, b, error));
    EXPECT_EQ(b.width(), 2);
    return error;
}

using Rows = std::vector<std::vector<uint32_t>>;

TEST(BmpRle, EveryCodeOfRle8) {
    // Rows are stored from the bottom: the first line of the stream is the picture's last row.
    const std::vector<uint8_t> stream = {
        3, 7, 0, 0,              // run of three 7s, end of line
        0, 3, 1, 2, 3, 0, 0, 0,  // absolute run of three (padded to even), end of line
        0, 2, 2, 0, 1, 9,        // delta two right, a 9
        0, 1,                    // end of bitmap
    };
    EXPECT_EQ(decode(rleFile(4, 3, 8, stream)), (Rows{{0, 0, 9, 0}, {1, 2, 3, 0}, {7, 7, 7, 0}}));
}

TEST(BmpRle, EveryCodeOfRle4) {
    const std::vector<uint8_t> stream = {
        5, 0x12, 0,    0,              // run alternating 1 and 2
        0, 3,    0x34, 0x50, 0, 0,     // absolute run of three nibbles, two bytes
        0, 2,    4,    0,    1, 0xF0,  // delta four right, one 15
        0, 1,
    };
    EXPECT_EQ(decode(rleFile(6, 3, 4, stream)),
              (Rows{{0, 0, 0, 0, 15, 0}, {3, 4, 5, 0, 0, 0}, {1, 2, 1, 2, 1, 0}}));
}

// Codes that leave the picture are clipped: nothing spills into the next row, and the codes
// after them still decode.
TEST(BmpRle, CodesLeavingThePictureAreClipped) {
    EXPECT_EQ(decode(rleFile(4, 2, 8, {200, 3, 0, 0, 1, 5, 0, 1})),
              (Rows{{5, 0, 0, 0}, {3, 3, 3, 3}}))
        << "run past the row end";
    EXPECT_EQ(decode(rleFile(4, 2, 8, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 1, 6, 0, 1})),
              (Rows{{6, 0, 0, 0}, {1, 2, 3, 4}}))
        << "absolute run past the row end, its data skipped";
    EXPECT_EQ(decode(rleFile(4, 2, 8, {1, 1, 0, 2, 250, 0, 2, 8, 0, 0, 1, 4, 0, 1})),
              (Rows{{4, 0, 0, 0}, {1, 0, 0, 0}}))
        << "delta past the right edge drops the rest of the row";
    EXPECT_EQ(decode(rleFile(4, 2, 8, {2, 6, 0, 2, 0, 250, 4, 9})),
              (Rows{{0, 0, 0, 0}, {6, 6, 0, 0}}))
        << "delta below the last row ends the picture";
    EXPECT_EQ(decode(rleFile(2, 1, 8, {2, 6, 0, 0, 2, 9})), (Rows{{6, 6}}))
        << "end of line on the last row ends the picture";
}

// Deltas that move the column 2^31 pixels to the right once wrapped it to a negative column,
// and the next pixel was written before the bitmap.
TEST(BmpRle, ColumnNeverWrapsHoweverFarDeltasMove) {
    std::vector<uint8_t> stream;
    const size_t deltas = (size_t(1) << 31) / 255 + 2;
    stream.reserve(deltas * 4 + 8);
    for (size_t k = 0; k < deltas; ++k)
        stream.insert(stream.end(), {0, 2, 255, 0});
    stream.insert(stream.end(), {1, 9, 0, 1});
    EXPECT_EQ(decode(rleFile(4, 2, 8, stream)), (Rows{{0, 0, 0, 0}, {0, 0, 0, 0}}));
    const std::vector<uint8_t> four = rleFile(4, 2, 4, stream);
    EXPECT_EQ(decode(four), (Rows{{0, 0, 0, 0}, {0, 0, 0, 0}}));
}

// A stream that runs out before its last row is refused before the picture is allocated; one
// that runs out on its last row (no final end of line or end of bitmap) is taken.
TEST(BmpRle, DataEndingBeforeTheLastRowIsRefused) {
    EXPECT_NE(refusal(rleFile(4, 2, 8, {4, 1})), "") << "no code reaches the top row";
    EXPECT_NE(refusal(rleFile(4, 2, 8, {0, 4, 1, 2})), "") << "cut inside an absolute run";
    EXPECT_NE(refusal(rleFile(4, 2, 8, {0, 2, 1})), "") << "cut inside a delta";
    EXPECT_NE(refusal(rleFile(4, 2, 8, {4, 1, 0})), "") << "cut inside a code";
    EXPECT_NE(refusal(rleFile(16384, 16384, 8, {0, 0})), "") << "a huge picture of two bytes";
    EXPECT_EQ(decode(rleFile(4, 2, 8, {4, 1, 0, 0, 2, 3})), (Rows{{3, 3, 0, 0}, {1, 1, 1, 1}}));
    EXPECT_EQ(decode(rleFile(4, 2, 8, {0, 2, 0, 1, 0, 1})), (Rows{{0, 0, 0, 0}, {0, 0, 0, 0}}))
        << "a delta onto the last row";
    EXPECT_EQ(decode(rleFile(4, 0, 8, {})), Rows{}) << "no rows need no data";
}

TEST(BmpRle, DecodedSizeStaysUnderTheCap) {
    const std::string why = refusal(rleFile(16385, 16384, 8, {0, 1}));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    Bitmap b;
    std::string error;
    EXPECT_FALSE(readBmp(rleFile(1024, 1024, 8, {0, 1}), b, error, 1 << 19)) << "a lowered cap";
}

}  // namespace
}  // namespace kelvo::raster
