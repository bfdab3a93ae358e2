#pragma once

#include <cstdint>

namespace kelvo::raster {

// A colour in the system's 0x00BBGGRR form.
using Color = uint32_t;

constexpr Color rgb(uint8_t r, uint8_t g, uint8_t b) {
    return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}
constexpr uint8_t redOf(Color c) {
    return uint8_t(c);
}
constexpr uint8_t greenOf(Color c) {
    return uint8_t(c >> 8);
}
constexpr uint8_t blueOf(Color c) {
    return uint8_t(c >> 16);
}

constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;

// Palette entry flags.
constexpr uint8_t PC_RESERVED = 1;
constexpr uint8_t PC_EXPLICIT = 2;
constexpr uint8_t PC_NOCOLLAPSE = 4;

// One palette entry in the system's layout: red, green, blue, flags.
struct PaletteEntry {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
    Color color() const { return rgb(peRed, peGreen, peBlue); }
    bool operator==(const PaletteEntry&) const = default;
};

}  // namespace kelvo::raster
