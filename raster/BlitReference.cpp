#include "raster/BlitReference.h"

#include <cstdlib>

#include "raster/Pixel.h"

namespace kelvo::raster::reference {
namespace {

uint32_t translate(uint32_t v, const Bitmap& from, const Bitmap& to) {
    if (from.format() == to.format() &&
        (!isIndexed(from.format()) || sameColors(from.palette(), to.palette())))
        return v;
    return colorToPixel(pixelToColor(v, from.format(), from.palette()), to.format(), to.palette());
}

uint32_t ropBits(uint8_t r, uint32_t p, uint32_t s, uint32_t d, int bits) {
    uint32_t out = 0;
    for (int b = 0; b < bits; ++b) {
        const int i = int(((p >> b) & 1) << 2 | ((s >> b) & 1) << 1 | ((d >> b) & 1));
        out |= uint32_t((r >> i) & 1) << b;
    }
    return out;
}

// One destination pixel; sxp/syp is its source pixel (ignored when the source is unused).
void plot(Bitmap& dst, int x, int y, const Bitmap* src, int sxp, int syp, uint8_t r,
          const Brush* brush) {
    if (x < 0 || y < 0 || x >= dst.width() || y >= dst.height())
        return;
    uint32_t s = 0, p = 0;
    if (ropUsesSource(r)) {
        if (!src || sxp < 0 || syp < 0 || sxp >= src->width() || syp >= src->height())
            return;
        s = translate(src->pixelValue(sxp, syp), *src, dst);
    }
    if (ropUsesPattern(r)) {
        if (brush && brush->style() == Brush::Style::Clear)
            return;
        p = colorToPixel(brush ? brush->at(x, y) : clBlack, dst.format(), dst.palette());
    }
    const uint32_t d = dst.pixelValue(x, y);
    dst.setPixelValue(x, y, ropBits(r, p, s, d, dst.bitsPerPixel()));
}

}  // namespace

void bitBlt(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
            uint32_t rop, const Brush* brush) {
    const Bitmap snapshot = src ? *src : Bitmap();
    const uint8_t r = ropIndex(rop);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            plot(dst, dx + i, dy + j, src ? &snapshot : nullptr, sx + i, sy + j, r, brush);
}

void stretchBlt(Bitmap& dst, const TRect& dr, const Bitmap* src, const TRect& sr, uint32_t rop,
                const Brush* brush) {
    const Bitmap snapshot = src ? *src : Bitmap();
    const uint8_t r = ropIndex(rop);
    const int dw = std::abs(dr.width()), dh = std::abs(dr.height());
    const int sw = std::abs(sr.width()), sh = std::abs(sr.height());
    const bool flipX = (dr.width() < 0) != (sr.width() < 0);
    const bool flipY = (dr.height() < 0) != (sr.height() < 0);
    const int dl = std::min(dr.Left, dr.Right), dt = std::min(dr.Top, dr.Bottom);
    const int sl = std::min(sr.Left, sr.Right), st = std::min(sr.Top, sr.Bottom);
    if (ropUsesSource(r) && (sw == 0 || sh == 0))
        return;
    for (int j = 0; j < dh; ++j) {
        for (int i = 0; i < dw; ++i) {
            // Centre of destination pixel i, measured in source pixels.
            int u = int((int64_t(2 * i + 1) * sw) / (2 * int64_t(dw)));
            int v = int((int64_t(2 * j + 1) * sh) / (2 * int64_t(dh)));
            if (flipX)
                u = sw - 1 - u;
            if (flipY)
                v = sh - 1 - v;
            plot(dst, dl + i, dt + j, src ? &snapshot : nullptr, sl + u, st + v, r, brush);
        }
    }
}

}  // namespace kelvo::raster::reference
