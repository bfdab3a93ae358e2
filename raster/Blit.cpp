#include "raster/Blit.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "raster/BlitMap.h"
#include "raster/Pixel.h"
#include "raster/kernels/PixelRows.h"
#include "raster/kernels/RowOps.h"

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
    const size_t period = 8 * size_t(bpp), bytes = size_t(count + 8) * size_t(bpp);
    for (int y = 0; y < 8; ++y) {
        std::vector<uint8_t>& row = pr.rows[y];
        row.assign(bytes, 0);
        for (int x = 0; x < 8 && size_t(x) * size_t(bpp) < bytes; ++x)
            writePixel(row.data(), x, dst.format(), pr.values[y * 8 + x]);
        // The rest repeats the first eight pixels, doubling the filled part each time.
        for (size_t done = std::min(period, bytes); done < bytes; done *= 2)
            std::memcpy(row.data() + done, row.data(), std::min(done, bytes - done));
    }
}

// The destination span [x0, x0 + count) of one row, with the source already in destination
// pixel values (or null when the operation ignores it).
void applySpan(Bitmap& dst, int y, int x0, int count, const uint8_t* src, const PatternRows& pat,
               uint8_t r, const RowKernel& kernel) {
    const PixelFormat f = dst.format();
    const int bpp = bytesPerPixel(f);
    uint8_t* d = dst.row(y);
    if (bpp > 0) {
        const uint8_t* p = pat.rows[y & 7].empty()
                               ? nullptr
                               : pat.rows[y & 7].data() + size_t(x0 & 7) * size_t(bpp);
        kernel(d + size_t(x0) * size_t(bpp), src, p, size_t(count) * size_t(bpp));
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
          tr_(src.format(), src.palette(), dst.format(), dst.palette()),
          sf_(src.format()),
          df_(dst.format()),
          sbpp_(bytesPerPixel(src.format())),
          dbpp_(bytesPerPixel(dst.format())),
          buf_(size_t(maxCount) * size_t(std::max(1, dbpp_)) + 8) {}

    // Whether span() hands out the source's own bytes.
    bool direct() const { return tr_.identity() && sbpp_ > 0; }

    // Pixels sx..sx+count-1 of source row sy.
    const uint8_t* span(int sy, int sx, int count) {
        const uint8_t* s = src_.row(sy);
        if (direct())
            return s + size_t(sx) * size_t(sbpp_);
        convert(s, sx, count, buf_.data());
        return buf_.data();
    }
    // The same written straight into a destination row span (byte formats only).
    void spanInto(int sy, int sx, int count, uint8_t* out) {
        convert(src_.row(sy), sx, count, out);
    }

    // Gathers the pixels at columns map[0..count) of row sy; a row gathered last time is not
    // gathered again. Every call of one reader passes the same map.
    const uint8_t* gather(int sy, const int* map, int count) {
        if (sy != lastGathered_) {
            gatherInto(sy, map, count, buf_.data());
            lastGathered_ = sy;
        }
        return buf_.data();
    }
    void gatherInto(int sy, const int* map, int count, uint8_t* out) {
        const uint8_t* s = src_.row(sy);
        if (dbpp_ == 0) {
            for (int i = 0; i < count; ++i)
                out[i] = uint8_t(tr_(readPixel(s, map[i], sf_)));
            return;
        }
        if (tr_.identity() && sbpp_ == 3) {
            if (!gather24_)
                gather24_.emplace(map, count, src_.width());
            // A 4-byte load of the last pixel reads one byte past it, which must still lie
            // inside the bitmap.
            const bool roomy =
                size_t(sy) * size_t(src_.stride()) + 3 * size_t(src_.width()) < src_.byteSize();
            gather24_->run(s, out, roomy);
            return;
        }
        if (tr_.identity() && sbpp_ == 4) {
            for (int i = 0; i < count; ++i)
                std::memcpy(out + 4 * size_t(i), s + 4 * size_t(map[i]), 4);
            return;
        }
        if (const uint32_t* t = tr_.table(); t && sf_ == PixelFormat::Pf8 && dbpp_ == 3) {
            for (int i = 0; i < count; ++i) {
                const uint32_t v = t[s[map[i]]];
                out[3 * i] = uint8_t(v), out[3 * i + 1] = uint8_t(v >> 8);
                out[3 * i + 2] = uint8_t(v >> 16);
            }
            return;
        }
        for (int i = 0; i < count; ++i)
            writePixel(out, i, df_, tr_(readPixel(s, map[i], sf_)));
    }

  private:
    void convert(const uint8_t* s, int sx, int count, uint8_t* out) {
        if (dbpp_ == 0) {
            for (int i = 0; i < count; ++i)
                out[i] = uint8_t(tr_(readPixel(s, sx + i, sf_)));
            return;
        }
        if (const uint32_t* t = tr_.table(); t && sf_ == PixelFormat::Pf8) {
            if (dbpp_ == 3) {
                if (!palette24_)
                    palette24_.emplace(t);
                palette24_->run(s + sx, count, out);
                return;
            }
            if (dbpp_ == 4) {
                paletteRow32(s + sx, count, t, out);
                return;
            }
        }
        if (sf_ == PixelFormat::Pf24 && df_ == PixelFormat::Pf32) {
            const uint8_t* p = s + 3 * size_t(sx);
            for (int i = 0; i < count; ++i, p += 3, out += 4) {
                out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0;
            }
            return;
        }
        if (sf_ == PixelFormat::Pf32 && df_ == PixelFormat::Pf24) {
            const uint8_t* p = s + 4 * size_t(sx);
            for (int i = 0; i < count; ++i, p += 4, out += 3) {
                out[0] = p[0], out[1] = p[1], out[2] = p[2];
            }
            return;
        }
        if (isIndexed(df_) && !isIndexed(sf_)) {
            // Nearest-entry searches are costly; neighbouring pixels often share a colour.
            uint32_t lastIn = 0, lastOut = 0;
            bool have = false;
            for (int i = 0; i < count; ++i) {
                const uint32_t v = readPixel(s, sx + i, sf_);
                if (!have || v != lastIn) {
                    lastIn = v;
                    lastOut = tr_(v);
                    have = true;
                }
                writePixel(out, i, df_, lastOut);
            }
            return;
        }
        for (int i = 0; i < count; ++i)
            writePixel(out, i, df_, tr_(readPixel(s, sx + i, sf_)));
    }

    const Bitmap& src_;
    PixelTranslator tr_;
    PixelFormat sf_, df_;
    int sbpp_, dbpp_;
    std::vector<uint8_t> buf_;
    int lastGathered_ = -1;
    std::optional<Gather24> gather24_;
    std::optional<PaletteRow24> palette24_;
};

bool brushBlocks(uint8_t r, const Brush* brush) {
    return ropUsesPattern(r) && brush && brush->style() == Brush::Style::Clear;
}

// The operation's result does not depend on the destination's own pixels.
bool ignoresDestination(uint8_t r) {
    return ((r >> 1) & 0x55) == (r & 0x55);
}

// A copy of whole rows between bitmaps without row padding is one block.
bool copyAsOneBlock(const Bitmap& dst, int dx, int w, const Bitmap& src, int sx) {
    const int bpp = bytesPerPixel(dst.format());
    return bpp > 0 && &src != &dst && dx == 0 && sx == 0 && w == dst.width() && w == src.width() &&
           dst.stride() == w * bpp && src.stride() == w * bpp;
}

// The worker behind bitBlt: the rectangle is already clipped to both bitmaps.
void blitClipped(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
                 uint8_t r, const Brush* brush) {
    const bool useSrc = ropUsesSource(r);
    // A source overlapping its destination is read from a copy of the area.
    std::optional<Bitmap> copy;
    if (useSrc && src == &dst) {
        copy.emplace();
        if (!copy->reset(w, h, dst.format()))
            return;
        copy->setPalette(dst.palette());
        const int bpp = bytesPerPixel(dst.format());
        for (int j = 0; j < h; ++j) {
            if (bpp > 0) {
                std::memcpy(copy->row(j), dst.row(sy + j) + size_t(sx) * size_t(bpp),
                            size_t(w) * size_t(bpp));
                continue;
            }
            for (int i = 0; i < w; ++i)
                copy->setPixelValue(i, j, dst.pixelValue(sx + i, sy + j));
        }
        src = &*copy;
        sx = sy = 0;
    }

    const RowKernel kernel(r);
    PatternRows pat;
    if (ropUsesPattern(r))
        buildPattern(pat, dst, brush, w);
    if (!useSrc) {
        for (int j = 0; j < h; ++j)
            applySpan(dst, dy + j, dx, w, nullptr, pat, r, kernel);
        return;
    }
    SourceReader reader(*src, dst, w);
    const int bpp = bytesPerPixel(dst.format());
    if (kernel.copiesSource() && bpp > 0) {
        if (reader.direct() && copyAsOneBlock(dst, dx, w, *src, sx)) {
            std::memmove(dst.row(dy), src->row(sy), size_t(h) * size_t(dst.stride()));
            return;
        }
        for (int j = 0; j < h; ++j) {
            uint8_t* out = dst.row(dy + j) + size_t(dx) * size_t(bpp);
            if (reader.direct())
                std::memmove(out, reader.span(sy + j, sx, w), size_t(w) * size_t(bpp));
            else
                reader.spanInto(sy + j, sx, w, out);
        }
        return;
    }
    for (int j = 0; j < h; ++j)
        applySpan(dst, dy + j, dx, w, reader.span(sy + j, sx, w), pat, r, kernel);
}

void blitArea(Bitmap& dst, int64_t dx, int64_t dy, int64_t w, int64_t h, const Bitmap* src,
              int64_t sx, int64_t sy, uint8_t r, const Brush* brush) {
    const bool useSrc = ropUsesSource(r);
    if (w <= 0 || h <= 0 || dst.empty() || brushBlocks(r, brush) || (useSrc && !src))
        return;
    const int sw = useSrc ? src->width() : 0, sh = useSrc ? src->height() : 0;
    const ClippedAxis x = clipAxis(dx, sx, w, dst.width(), sw, useSrc);
    const ClippedAxis y = clipAxis(dy, sy, h, dst.height(), sh, useSrc);
    if (x.len <= 0 || y.len <= 0)
        return;
    blitClipped(dst, x.d, y.d, x.len, y.len, useSrc ? src : nullptr, x.s, y.s, r, brush);
}

}  // namespace

void bitBlt(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
            uint32_t rop, const Brush* brush) {
    blitArea(dst, dx, dy, w, h, src, sx, sy, ropIndex(rop), brush);
}

void stretchBlt(Bitmap& dst, const TRect& dr, const Bitmap* src, const TRect& sr, uint32_t rop,
                const Brush* brush) {
    const uint8_t r = ropIndex(rop);
    const bool useSrc = ropUsesSource(r);
    // Extents in 64 bits: Right - Left of an extreme rectangle does not fit an int.
    const RectExtent dX = extentOf(dr.Left, dr.Right), dY = extentOf(dr.Top, dr.Bottom);
    const RectExtent sX = extentOf(sr.Left, sr.Right), sY = extentOf(sr.Top, sr.Bottom);
    const bool flipX = dX.flipped != sX.flipped, flipY = dY.flipped != sY.flipped;
    if (!useSrc || (dX.len == sX.len && dY.len == sY.len && !flipX && !flipY)) {
        blitArea(dst, dX.start, dY.start, dX.len, dY.len, src, sX.start, sY.start, r, brush);
        return;
    }
    if (!src || dX.len == 0 || dY.len == 0 || sX.len == 0 || sY.len == 0 || dst.empty() ||
        brushBlocks(r, brush))
        return;

    // Only destination pixels inside dst are mapped, so nothing here grows with the rectangle.
    const AxisMap cols = mapAxis(dX, dst.width(), sX, src->width(), flipX);
    const AxisMap rows = mapAxis(dY, dst.height(), sY, src->height(), flipY);
    if (cols.count() == 0 || rows.count() == 0)
        return;
    const int x0 = cols.first, n = cols.count();

    std::optional<Bitmap> copy;
    if (src == &dst) {
        copy.emplace(dst);
        src = &*copy;
    }
    const RowKernel kernel(r);
    PatternRows pat;
    if (ropUsesPattern(r))
        buildPattern(pat, dst, brush, n);
    SourceReader reader(*src, dst, n);
    const int bpp = bytesPerPixel(dst.format());
    // Where neighbouring rows read one source row and the result depends on the source alone,
    // a row is a copy of the one above it.
    const bool repeatRows = bpp > 0 && ignoresDestination(r) && !ropUsesPattern(r);
    const size_t rowBytes = size_t(n) * size_t(bpp);
    int lastSy = -1, lastY = -1;
    for (int j = 0; j < rows.count(); ++j) {
        const int y = rows.first + j, sy = rows.source[size_t(j)];
        if (repeatRows && sy == lastSy) {
            std::memcpy(dst.row(y) + size_t(x0) * size_t(bpp),
                        dst.row(lastY) + size_t(x0) * size_t(bpp), rowBytes);
        } else if (kernel.copiesSource() && bpp > 0) {
            reader.gatherInto(sy, cols.source.data(), n, dst.row(y) + size_t(x0) * size_t(bpp));
        } else {
            applySpan(dst, y, x0, n, reader.gather(sy, cols.source.data(), n), pat, r, kernel);
        }
        lastSy = sy, lastY = y;
    }
}

void patBlt(Bitmap& dst, const TRect& rect, uint32_t rop, const Brush& brush) {
    const RectExtent x = extentOf(rect.Left, rect.Right), y = extentOf(rect.Top, rect.Bottom);
    if (x.flipped || y.flipped)
        return;
    blitArea(dst, x.start, y.start, x.len, y.len, nullptr, 0, 0, ropIndex(rop), &brush);
}

void fillRect(Bitmap& dst, const TRect& rect, Color c) {
    const Brush b = Brush::solid(c);
    patBlt(dst, rect, rop::PATCOPY, b);
}

}  // namespace kelvo::raster
