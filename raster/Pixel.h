#pragma once

#include <cstdint>
#include <cstring>

#include "raster/Palette.h"

namespace kelvo::raster {

// Raw pixel values: a palette index for the indexed formats, the little-endian value of the
// pixel's bytes otherwise (0x00RRGGBB for Pf24, 0xXXRRGGBB for Pf32).
inline uint32_t readPixel(const uint8_t* row, int x, PixelFormat f) {
    switch (f) {
        case PixelFormat::Pf1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case PixelFormat::Pf4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        case PixelFormat::Pf8:
            return row[x];
        case PixelFormat::Pf15:
        case PixelFormat::Pf16:
            return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        case PixelFormat::Pf24: {
            const uint8_t* p = row + 3 * x;
            return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        }
        case PixelFormat::Pf32: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
    }
    return 0;
}

inline void writePixel(uint8_t* row, int x, PixelFormat f, uint32_t v) {
    switch (f) {
        case PixelFormat::Pf1: {
            const int shift = 7 - (x & 7);
            row[x >> 3] = uint8_t((row[x >> 3] & ~(1 << shift)) | ((v & 1) << shift));
            return;
        }
        case PixelFormat::Pf4:
            if (x & 1)
                row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (v & 0x0F));
            else
                row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
            return;
        case PixelFormat::Pf8:
            row[x] = uint8_t(v);
            return;
        case PixelFormat::Pf15:
        case PixelFormat::Pf16:
            row[2 * x] = uint8_t(v);
            row[2 * x + 1] = uint8_t(v >> 8);
            return;
        case PixelFormat::Pf24:
            row[3 * x] = uint8_t(v);
            row[3 * x + 1] = uint8_t(v >> 8);
            row[3 * x + 2] = uint8_t(v >> 16);
            return;
        case PixelFormat::Pf32:
            std::memcpy(row + 4 * x, &v, 4);
            return;
    }
}

// The colour a raw value shows. Indexes past the palette's end show black. The 16-bit channels
// are widened by a plain shift (31 becomes 248), as the system and Qt's BMP reader both do.
Color pixelToColor(uint32_t v, PixelFormat f, const Palette& pal);

// The raw value for a colour: the nearest palette entry for indexed formats; the fourth byte of
// Pf32 and the top bit of Pf15 are 0.
uint32_t colorToPixel(Color c, PixelFormat f, const Palette& pal);

// How a source pixel value becomes a destination pixel value: unchanged between equal formats
// with equal palette colours, through its colour otherwise.
class PixelTranslator {
  public:
    PixelTranslator(PixelFormat from, const Palette& fromPal, PixelFormat to, const Palette& toPal);
    bool identity() const { return identity_; }
    uint32_t operator()(uint32_t v) const {
        if (identity_)
            return v;
        if (isIndexed(from_))
            return table_[v & 0xFF];
        return throughColor(v);
    }
    // For an indexed source that is not copied unchanged: the value of every index.
    const uint32_t* table() const { return isIndexed(from_) && !identity_ ? table_ : nullptr; }

  private:
    uint32_t throughColor(uint32_t v) const;

    PixelFormat from_, to_;
    const Palette& fromPal_;
    const Palette& toPal_;
    bool identity_;
    uint32_t table_[256];  // indexed sources: the translation of every index
};

}  // namespace kelvo::raster
