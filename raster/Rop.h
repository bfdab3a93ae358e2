#pragma once

#include <cstdint>

namespace kelvo::raster {

// Ternary raster operations by their system codes. Bits 16..23 hold the operation's truth
// table over pattern (0xF0), source (0xCC) and destination (0xAA).
namespace rop {
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t DSTANDPAT = 0x00A000C9;  // destination AND pattern
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t WHITENESS = 0x00FF0062;
}  // namespace rop

constexpr uint8_t ropIndex(uint32_t code) {
    return uint8_t(code >> 16);
}
// Whether the result depends on the source, the pattern.
constexpr bool ropUsesSource(uint8_t r) {
    return ((r >> 2) & 0x33) != (r & 0x33);
}
constexpr bool ropUsesPattern(uint8_t r) {
    return ((r >> 4) & 0x0F) != (r & 0x0F);
}

// Applies operation r to every bit of p, s and d at once: the OR of the truth table's minterms.
template <class T>
constexpr T applyRop(uint8_t r, T p, T s, T d) {
    T out = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((r >> i) & 1))
            continue;
        const T mp = (i & 4) ? p : T(~p);
        const T ms = (i & 2) ? s : T(~s);
        const T md = (i & 1) ? d : T(~d);
        out |= mp & ms & md;
    }
    return out;
}

}  // namespace kelvo::raster
