#include "raster/Blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "raster/Pixel.h"
#include "raster/RowOps.h"

namespace kelvo::raster {
namespace {

// The eight pattern rows in destination pixel values, each long enough for a span of `count`
// pixels starting at any phase: row y, phase x starts at rows[y & 7].data() + (x & 7) * bpp.
struct PatternRows {
    std::vector<uint8_t> rows[8];
    // Read by packed formats even when the operation ignores the pattern; zero keeps that defined.
    uint32_t values[64] = {};
};

void buildPattern(PatternRows& pr, const Bitmap& dst, const Brush* brush, int count) {
    for (int i = 0; i < 64; ++i)
        pr.values[i] =
            colorToPixel(brush ? brush->at(i & 7, i >> 3) : clBlack, dst.format(), dst.palette());
    const int bpp = bytesPerPixel(dst.format());
    if (bpp == 0)
        return;
    for (int y = 0; y < 8; ++y) {
        pr.rows[y].assign(size_t(count + 8) * size_t(bpp), 0);
        for (int x = 0; x < count + 8; ++x)
            writePixel(pr.rows[y].data(), x, dst.format(), pr.values[y * 8 + (x & 7)]);
    }
}

// The destination span [x0, x0 + count) of one row, with the source already in destination
// pixel values (or null when the operation ignores it).
void applySpan(Bitmap& dst, int y, int x0, int count, const uint8_t* src, const PatternRows& pat,
               uint8_t r) {
    const PixelFormat f = dst.format();
    const int bpp = bytesPerPixel(f);
    uint8_t* d = dst.row(y);
    if (bpp > 0) {
        const uint8_t* p = pat.rows[y & 7].empty()
                               ? nullptr
                               : pat.rows[y & 7].data() + size_t(x0 & 7) * size_t(bpp);
        rowOp(r, d + size_t(x0) * size_t(bpp), src, p, size_t(count) * size_t(bpp));
        return;
    }
    // Packed formats: one pixel at a time; the source span holds one value per byte.
    const uint32_t mask = pixelMask(f);
    for (int i = 0; i < count; ++i) {
        const int x = x0 + i;
        const uint32_t s = src ? src[i] : 0;
        const uint32_t p = pat.values[(y & 7) * 8 + (x & 7)];
        writePixel(d, x, f, applyRop<uint32_t>(r, p, s, readPixel(d, x, f)) & mask);
    }
}

// Source spans in destination pixel values. Byte formats lay values out as the destination
// does; packed destinations get one byte per pixel.
class SourceReader {
  public:
    SourceReader(const Bitmap& src, const Bitmap& dst, int maxCount)
        : src_(src),
          dst_(dst),
          tr_(src.format(), src.palette(), dst.format(), dst.palette()),
          outBpp_(std::max(1, bytesPerPixel(dst.format()))),
          buf_(size_t(maxCount) * size_t(outBpp_) + 8) {}

    // Pixels sx..sx+count-1 of source row sy.
    const uint8_t* span(int sy, int sx, int count) {
        const uint8_t* s = src_.row(sy);
        const PixelFormat sf = src_.format(), df = dst_.format();
        const int sbpp = bytesPerPixel(sf);
        if (tr_.identity() && sbpp > 0)
            return s + size_t(sx) * size_t(sbpp);
        uint8_t* out = buf_.data();
        if (bytesPerPixel(df) == 0) {
            for (int i = 0; i < count; ++i)
                out[i] = uint8_t(tr_(readPixel(s, sx + i, sf)));
            return out;
        }
        convert(s, sx, count, out);
        return out;
    }

    // Gathers the pixels at columns map[0..count) of row sy.
    const uint8_t* gather(int sy, const int* map, int count) {
        const uint8_t* s = src_.row(sy);
        const PixelFormat sf = src_.format(), df = dst_.format();
        uint8_t* out = buf_.data();
        if (bytesPerPixel(df) == 0) {
            for (int i = 0; i < count; ++i)
                out[i] = uint8_t(tr_(readPixel(s, map[i], sf)));
            return out;
        }
        const int sbpp = bytesPerPixel(sf);
        if (tr_.identity() && sbpp == 3) {
            for (int i = 0; i < count; ++i)
                std::memcpy(out + 3 * i, s + 3 * map[i], 3);
            return out;
        }
        if (tr_.identity() && sbpp == 4) {
            for (int i = 0; i < count; ++i)
                std::memcpy(out + 4 * i, s + 4 * map[i], 4);
            return out;
        }
        for (int i = 0; i < count; ++i)
            writePixel(out, i, df, tr_(readPixel(s, map[i], sf)));
        return out;
    }

  private:
    void convert(const uint8_t* s, int sx, int count, uint8_t* out) {
        const PixelFormat sf = src_.format(), df = dst_.format();
        if (sf == PixelFormat::Pf24 && df == PixelFormat::Pf32) {
            const uint8_t* p = s + 3 * size_t(sx);
            for (int i = 0; i < count; ++i, p += 3, out += 4) {
                out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0;
            }
            return;
        }
        if (sf == PixelFormat::Pf32 && df == PixelFormat::Pf24) {
            const uint8_t* p = s + 4 * size_t(sx);
            for (int i = 0; i < count; ++i, p += 4, out += 3) {
                out[0] = p[0], out[1] = p[1], out[2] = p[2];
            }
            return;
        }
        if (sf == PixelFormat::Pf8 && df == PixelFormat::Pf24) {
            for (int i = 0; i < count; ++i, out += 3) {
                const uint32_t v = tr_(s[sx + i]);
                out[0] = uint8_t(v), out[1] = uint8_t(v >> 8), out[2] = uint8_t(v >> 16);
            }
            return;
        }
        if (isIndexed(df) && !isIndexed(sf)) {
            // Nearest-entry searches are costly; neighbouring pixels often share a colour.
            uint32_t lastIn = 0, lastOut = 0;
            bool have = false;
            for (int i = 0; i < count; ++i) {
                const uint32_t v = readPixel(s, sx + i, sf);
                if (!have || v != lastIn) {
                    lastIn = v;
                    lastOut = tr_(v);
                    have = true;
                }
                writePixel(out, i, df, lastOut);
            }
            return;
        }
        for (int i = 0; i < count; ++i)
            writePixel(out, i, df, tr_(readPixel(s, sx + i, sf)));
    }

    const Bitmap& src_;
    const Bitmap& dst_;
    PixelTranslator tr_;
    int outBpp_;
    std::vector<uint8_t> buf_;
};

bool brushBlocks(uint8_t r, const Brush* brush) {
    return ropUsesPattern(r) && brush && brush->style() == Brush::Style::Clear;
}

}  // namespace

void bitBlt(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
            uint32_t rop, const Brush* brush) {
    const uint8_t r = ropIndex(rop);
    const bool useSrc = ropUsesSource(r);
    if (w <= 0 || h <= 0 || dst.empty() || brushBlocks(r, brush) || (useSrc && !src))
        return;
    // Clip against the destination, then the source, moving both origins together.
    auto clip = [](int& d, int& s, int& len, int dLimit, int sLimit, bool withSrc) {
        int lo = std::max(0, -d);
        if (withSrc)
            lo = std::max(lo, -s);
        d += lo, s += lo, len -= lo;
        int hi = dLimit - d;
        if (withSrc)
            hi = std::min(hi, sLimit - s);
        len = std::min(len, hi);
    };
    clip(dx, sx, w, dst.width(), src ? src->width() : 0, useSrc);
    clip(dy, sy, h, dst.height(), src ? src->height() : 0, useSrc);
    if (w <= 0 || h <= 0)
        return;

    // A source overlapping its destination is read from a copy of the area.
    std::optional<Bitmap> copy;
    if (useSrc && src == &dst) {
        copy.emplace();
        if (!copy->reset(w, h, dst.format()))
            return;
        copy->setPalette(dst.palette());
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                copy->setPixelValue(i, j, dst.pixelValue(sx + i, sy + j));
        src = &*copy;
        sx = sy = 0;
    }

    PatternRows pat;
    if (ropUsesPattern(r))
        buildPattern(pat, dst, brush, w);
    std::optional<SourceReader> reader;
    if (useSrc)
        reader.emplace(*src, dst, w);
    for (int j = 0; j < h; ++j) {
        const uint8_t* s = reader ? reader->span(sy + j, sx, w) : nullptr;
        applySpan(dst, dy + j, dx, w, s, pat, r);
    }
}

void stretchBlt(Bitmap& dst, const TRect& dr, const Bitmap* src, const TRect& sr, uint32_t rop,
                const Brush* brush) {
    const uint8_t r = ropIndex(rop);
    const bool useSrc = ropUsesSource(r);
    const int dw = std::abs(dr.width()), dh = std::abs(dr.height());
    const int sw = std::abs(sr.width()), sh = std::abs(sr.height());
    const bool flipX = (dr.width() < 0) != (sr.width() < 0);
    const bool flipY = (dr.height() < 0) != (sr.height() < 0);
    const int dl = std::min(dr.Left, dr.Right), dt = std::min(dr.Top, dr.Bottom);
    const int sl = std::min(sr.Left, sr.Right), st = std::min(sr.Top, sr.Bottom);
    if (!useSrc || (dw == sw && dh == sh && !flipX && !flipY)) {
        if (useSrc)
            bitBlt(dst, dl, dt, dw, dh, src, sl, st, rop, brush);
        else
            bitBlt(dst, dl, dt, dw, dh, nullptr, 0, 0, rop, brush);
        return;
    }
    if (!src || dw == 0 || dh == 0 || sw == 0 || sh == 0 || dst.empty() || brushBlocks(r, brush))
        return;

    // Source column and row of every destination pixel, -1 where outside either bitmap.
    auto mapAxis = [](int dStart, int dLen, int dLimit, int sStart, int sLen, int sLimit,
                      bool flip) {
        std::vector<int> m(size_t(dLen), -1);
        for (int i = 0; i < dLen; ++i) {
            const int d = dStart + i;
            int u = int((int64_t(2 * i + 1) * sLen) / (2 * int64_t(dLen)));
            if (flip)
                u = sLen - 1 - u;
            const int s = sStart + u;
            if (d >= 0 && d < dLimit && s >= 0 && s < sLimit)
                m[size_t(i)] = s;
        }
        return m;
    };
    const std::vector<int> cols = mapAxis(dl, dw, dst.width(), sl, sw, src->width(), flipX);
    const std::vector<int> rows = mapAxis(dt, dh, dst.height(), st, sh, src->height(), flipY);
    // The columns that map inside both bitmaps form one run.
    int i0 = 0;
    while (i0 < dw && cols[size_t(i0)] < 0)
        ++i0;
    int i1 = i0;
    while (i1 < dw && cols[size_t(i1)] >= 0)
        ++i1;
    if (i0 == i1)
        return;

    std::optional<Bitmap> copy;
    if (src == &dst) {
        copy.emplace(dst);
        src = &*copy;
    }
    PatternRows pat;
    if (ropUsesPattern(r))
        buildPattern(pat, dst, brush, i1 - i0);
    SourceReader reader(*src, dst, i1 - i0);
    for (int j = 0; j < dh; ++j) {
        const int sy = rows[size_t(j)];
        if (sy < 0)
            continue;
        const uint8_t* s = reader.gather(sy, cols.data() + i0, i1 - i0);
        applySpan(dst, dt + j, dl + i0, i1 - i0, s, pat, r);
    }
}

void patBlt(Bitmap& dst, const TRect& rect, uint32_t rop, const Brush& brush) {
    bitBlt(dst, rect.Left, rect.Top, rect.width(), rect.height(), nullptr, 0, 0, rop, &brush);
}

void fillRect(Bitmap& dst, const TRect& rect, Color c) {
    const Brush b = Brush::solid(c);
    patBlt(dst, rect, rop::PATCOPY, b);
}

}  // namespace kelvo::raster
