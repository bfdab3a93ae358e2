#include "raster/Pixel.h"

namespace kelvo::raster {

Color pixelToColor(uint32_t v, PixelFormat f, const Palette& pal) {
    switch (f) {
        case PixelFormat::Pf1:
        case PixelFormat::Pf4:
        case PixelFormat::Pf8:
            return v < pal.size() ? pal[v].color() : clBlack;
        case PixelFormat::Pf15:
            return rgb(uint8_t(((v >> 10) & 31) << 3), uint8_t(((v >> 5) & 31) << 3),
                       uint8_t((v & 31) << 3));
        case PixelFormat::Pf16:
            return rgb(uint8_t(((v >> 11) & 31) << 3), uint8_t(((v >> 5) & 63) << 2),
                       uint8_t((v & 31) << 3));
        case PixelFormat::Pf24:
        case PixelFormat::Pf32:
            return rgb(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
    }
    return clBlack;
}

uint32_t colorToPixel(Color c, PixelFormat f, const Palette& pal) {
    const uint32_t r = redOf(c), g = greenOf(c), b = blueOf(c);
    switch (f) {
        case PixelFormat::Pf1:
        case PixelFormat::Pf4:
        case PixelFormat::Pf8:
            return uint32_t(nearestIndex(pal, c));
        case PixelFormat::Pf15:
            return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        case PixelFormat::Pf16:
            return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        case PixelFormat::Pf24:
        case PixelFormat::Pf32:
            return r << 16 | g << 8 | b;
    }
    return 0;
}

PixelTranslator::PixelTranslator(PixelFormat from, const Palette& fromPal, PixelFormat to,
                                 const Palette& toPal)
    : from_(from), to_(to), fromPal_(fromPal), toPal_(toPal) {
    identity_ = from == to && (!isIndexed(from) || sameColors(fromPal, toPal));
    if (isIndexed(from) && !identity_) {
        const uint32_t n = 1u << bitsPerPixel(from);
        for (uint32_t i = 0; i < n; ++i)
            table_[i] = colorToPixel(pixelToColor(i, from, fromPal), to, toPal);
    }
}

uint32_t PixelTranslator::throughColor(uint32_t v) const {
    return colorToPixel(pixelToColor(v, from_, fromPal_), to_, toPal_);
}

}  // namespace kelvo::raster
