#pragma once

#include <cstdint>

namespace kelvo::raster {

// Pixel formats as they lie in memory. The indexed ones go through the palette; Pf15 and Pf16
// are both two bytes per pixel (5-5-5 with the top bit unused, and 5-6-5); Pf24 is blue, green,
// red; Pf32 is blue, green, red and a fourth byte that is kept but never means alpha.
enum class PixelFormat : uint8_t { Pf1, Pf4, Pf8, Pf15, Pf16, Pf24, Pf32 };

constexpr int bitsPerPixel(PixelFormat f) {
    switch (f) {
        case PixelFormat::Pf1:
            return 1;
        case PixelFormat::Pf4:
            return 4;
        case PixelFormat::Pf8:
            return 8;
        case PixelFormat::Pf15:
        case PixelFormat::Pf16:
            return 16;
        case PixelFormat::Pf24:
            return 24;
        case PixelFormat::Pf32:
            return 32;
    }
    return 0;
}

constexpr bool isIndexed(PixelFormat f) {
    return bitsPerPixel(f) <= 8;
}

// Bytes per pixel for the byte-addressable formats, 0 for the packed ones.
constexpr int bytesPerPixel(PixelFormat f) {
    return bitsPerPixel(f) >= 8 ? bitsPerPixel(f) / 8 : 0;
}

// Rows are padded to a multiple of four bytes.
constexpr int64_t rowStride(int width, PixelFormat f) {
    return ((int64_t(width) * bitsPerPixel(f) + 31) / 32) * 4;
}

// Mask of the bits one pixel value occupies.
constexpr uint32_t pixelMask(PixelFormat f) {
    return bitsPerPixel(f) == 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel(f)) - 1;
}

}  // namespace kelvo::raster
