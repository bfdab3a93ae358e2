#pragma once

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "raster/Bitmap.h"

namespace kelvo::raster::testing {

inline constexpr PixelFormat kAllFormats[] = {
    PixelFormat::Pf1,  PixelFormat::Pf4,  PixelFormat::Pf8, PixelFormat::Pf15,
    PixelFormat::Pf16, PixelFormat::Pf24, PixelFormat::Pf32};

inline const char* formatName(PixelFormat f) {
    static const char* names[] = {"Pf1", "Pf4", "Pf8", "Pf15", "Pf16", "Pf24", "Pf32"};
    return names[int(f)];
}

inline Palette randomPalette(std::mt19937_64& rng, PixelFormat f) {
    const int max = 1 << bitsPerPixel(f);
    std::uniform_int_distribution<int> count(1, max), byte(0, 255);
    Palette pal(size_t(count(rng)));
    for (auto& e : pal)
        e = {uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng) & 7)};
    return pal;
}

// Random size (1..maxSide), random raw pixel values (including indexes past the palette) and
// for indexed formats a random palette, or `pal` when given.
inline Bitmap randomBitmap(std::mt19937_64& rng, PixelFormat f, int maxSide,
                           const Palette* pal = nullptr) {
    std::uniform_int_distribution<int> side(1, maxSide);
    Bitmap b;
    EXPECT_TRUE(b.reset(side(rng), side(rng), f));
    if (isIndexed(f))
        b.setPalette(pal ? *pal : randomPalette(rng, f));
    std::uniform_int_distribution<uint32_t> any;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            b.setPixelValue(x, y, any(rng) & pixelMask(f));
    return b;
}

// Empty when equal, else where and how they first differ.
inline std::string firstDifference(const Bitmap& got, const Bitmap& want) {
    std::ostringstream os;
    if (got.width() != want.width() || got.height() != want.height() ||
        got.format() != want.format()) {
        os << "size/format " << got.width() << "x" << got.height() << " "
           << formatName(got.format()) << " vs " << want.width() << "x" << want.height() << " "
           << formatName(want.format());
        return os.str();
    }
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixelValue(x, y) != want.pixelValue(x, y)) {
                os << "pixel (" << x << ", " << y << "): got 0x" << std::hex << got.pixelValue(x, y)
                   << " want 0x" << want.pixelValue(x, y);
                return os.str();
            }
    return {};
}

}  // namespace kelvo::raster::testing
