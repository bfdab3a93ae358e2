#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/WholeFile.h"
#include "raster/Pixel.h"
#include "raster/codec/Bmp.h"

namespace kelvo::raster {
namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// One channel of a bit-field pixel, widened or narrowed to eight bits by shifting.
struct Channel {
    uint32_t mask = 0;
    int shift = 0, bits = 0;
    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m)
            return;
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
    }
    uint8_t operator()(uint32_t v) const {
        if (!bits)
            return 0;
        const uint32_t c = (v & mask) >> shift;
        return uint8_t(bits >= 8 ? c >> (bits - 8) : c << (8 - bits));
    }
};

struct Header {
    int width = 0, height = 0;
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[4] = {0, 0, 0, 0};
    Palette palette;
    uint32_t pixelOffset = 0;
};

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

// What the info header holds beyond Header: its size, which places the masks and the palette,
// and the palette's stated length.
struct InfoHeader {
    uint32_t size = 0;
    uint32_t clrUsed = 0;
    bool core() const { return size == 12; }
};

// The file header and the info header's fixed fields: size, depth, dimensions, compression.
bool parseInfoHeader(std::span<const uint8_t> d, Header& h, InfoHeader& info, std::string& error) {
    if (d.size() < 14 + 12)
        return fail(error, "file too short for a BMP header");
    if (d[0] != 'B' || d[1] != 'M')
        return fail(error, "not a BMP file");
    h.pixelOffset = le32(&d[10]);
    const uint32_t hsize = le32(&d[14]);
    if (hsize != 12 && hsize != 40 && hsize != 52 && hsize != 56 && hsize != 108 && hsize != 124)
        return fail(error, "unsupported BMP info header");
    if (d.size() < 14 + uint64_t(hsize))
        return fail(error, "BMP info header truncated");
    info.size = hsize;
    const uint8_t* ih = &d[14];
    int64_t w, hh;
    int planes;
    if (info.core()) {
        w = le16(ih + 4);
        hh = le16(ih + 6);
        planes = le16(ih + 8);
        h.bpp = le16(ih + 10);
    } else {
        w = int32_t(le32(ih + 4));
        hh = int32_t(le32(ih + 8));
        planes = le16(ih + 12);
        h.bpp = le16(ih + 14);
        h.compression = le32(ih + 16);
        info.clrUsed = le32(ih + 32);
    }
    if (planes != 1)
        return fail(error, "BMP plane count is not 1");
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        return fail(error, "unsupported bits per pixel");
    h.topDown = hh < 0;
    if (hh < 0)
        hh = -hh;
    if (w < 0 || w > Bitmap::kMaxSide || hh > Bitmap::kMaxSide)
        return fail(error, "BMP width or height out of range");
    h.width = int(w);
    h.height = int(hh);
    return true;
}

bool checkCompression(const Header& h, std::string& error) {
    switch (h.compression) {
        case BI_RGB:
            break;
        case BI_RLE8:
            if (h.bpp != 8)
                return fail(error, "RLE8 needs 8 bits per pixel");
            break;
        case BI_RLE4:
            if (h.bpp != 4)
                return fail(error, "RLE4 needs 4 bits per pixel");
            break;
        case BI_BITFIELDS:
            if (h.bpp != 16 && h.bpp != 32)
                return fail(error, "bit fields need 16 or 32 bits per pixel");
            break;
        default:
            return fail(error, "unsupported BMP compression");
    }
    if (h.topDown && (h.compression == BI_RLE8 || h.compression == BI_RLE4))
        return fail(error, "RLE bitmaps cannot be top-down");
    return true;
}

// The channel masks, stored or the depth's defaults; moves `pos` past masks stored after the
// info header.
bool readMasks(std::span<const uint8_t> d, Header& h, const InfoHeader& info, uint64_t& pos,
               std::string& error) {
    if (h.compression == BI_BITFIELDS) {
        // Version 3 headers keep the masks just after them; later versions inside.
        const uint64_t at = info.size == 40 ? pos : 14 + 40;
        if (d.size() < at + 12)
            return fail(error, "BMP bit-field masks truncated");
        for (int i = 0; i < 3; ++i)
            h.masks[i] = le32(&d[at + 4 * uint64_t(i)]);
        if (info.size == 40)
            pos += 12;
    } else if (h.bpp == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bpp == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    }
    return true;
}

// The colour table at `pos`, for depths of 8 bits and less.
bool readPalette(std::span<const uint8_t> d, Header& h, const InfoHeader& info, uint64_t pos,
                 std::string& error) {
    if (info.clrUsed > 256)
        return fail(error, "BMP palette has more than 256 entries");
    if (h.bpp > 8)
        return true;
    const uint32_t maxCount = 1u << h.bpp;
    const uint32_t count = info.clrUsed ? info.clrUsed : maxCount;
    if (count > maxCount)
        return fail(error, "BMP palette larger than its pixel format allows");
    const uint64_t entry = info.core() ? 3 : 4;
    if (pos + count * entry > d.size())
        return fail(error, "BMP palette truncated");
    h.palette.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = &d[pos + i * entry];
        h.palette[i] = {p[2], p[1], p[0], 0};
    }
    return true;
}

bool parseHeader(std::span<const uint8_t> d, Header& h, std::string& error) {
    InfoHeader info;
    if (!parseInfoHeader(d, h, info, error) || !checkCompression(h, error))
        return false;
    uint64_t pos = 14 + uint64_t(info.size);
    if (!readMasks(d, h, info, pos, error) || !readPalette(d, h, info, pos, error))
        return false;
    if (h.pixelOffset < 14 + uint64_t(info.size) || h.pixelOffset > d.size())
        return fail(error, "BMP pixel data offset outside the file");
    return true;
}

PixelFormat outputFormat(const Header& h) {
    switch (h.bpp) {
        case 1:
            return PixelFormat::Pf1;
        case 4:
            return PixelFormat::Pf4;
        case 8:
            return PixelFormat::Pf8;
        case 16:
            if (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F)
                return PixelFormat::Pf15;
            if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F)
                return PixelFormat::Pf16;
            return PixelFormat::Pf24;
        case 24:
            return PixelFormat::Pf24;
        default:
            return PixelFormat::Pf32;
    }
}

// Unpacks one row of bit-field pixels into Pf24 or Pf32.
void convertMaskedRow(const uint8_t* in, uint8_t* out, int width, int bpp, PixelFormat f,
                      const Channel (&ch)[3]) {
    const int outBpp = f == PixelFormat::Pf24 ? 3 : 4;
    for (int x = 0; x < width; ++x) {
        const uint32_t v = bpp == 16 ? le16(in + 2 * x) : le32(in + 4 * x);
        uint8_t* o = out + outBpp * x;
        o[0] = ch[2](v), o[1] = ch[1](v), o[2] = ch[0](v);
        if (outBpp == 4)
            o[3] = 0;
    }
}

// Where an RLE stream stopped: at its end-of-bitmap code, below the last row, or where its data
// ran out (on `row`, counted from the bottom).
struct RleEnd {
    enum { EndOfBitmap, PastLastRow, Truncated } how;
    int64_t row;
};

// Walks an RLE8 or RLE4 stream and hands every pixel span that lies inside the picture to
// `span(row, x, count, pixelAt)`, rows counted from the bottom. Codes that leave the picture
// are clipped as a viewer does: pixels past the row end are dropped, a delta past the right
// edge drops the rest of that row, and a delta or end of line below the last row ends the
// picture. The position is 64-bit and held at the right edge, so no count can wrap it.
template <class Span>
RleEnd walkRle(std::span<const uint8_t> d, size_t i, int width, int height, bool four,
               Span&& span) {
    int64_t x = 0, y = 0;
    auto emit = [&](int64_t n, auto&& pixelAt) {
        if (x < width)
            span(int(y), int(x), int(std::min<int64_t>(n, width - x)), pixelAt);
        x = std::min<int64_t>(x + n, width);
    };
    while (y < height) {
        if (d.size() - i < 2)
            return {RleEnd::Truncated, y};
        const uint8_t n = d[i], v = d[i + 1];
        i += 2;
        if (n > 0) {
            emit(n, [v, four](int k) { return four ? ((k & 1) ? v & 0x0F : v >> 4) : v; });
            continue;
        }
        if (v == 0) {  // end of line
            x = 0;
            ++y;
        } else if (v == 1) {
            return {RleEnd::EndOfBitmap, y};
        } else if (v == 2) {  // delta: right and up by two unsigned bytes
            if (d.size() - i < 2)
                return {RleEnd::Truncated, y};
            x = std::min<int64_t>(x + d[i], width);
            y += d[i + 1];
            i += 2;
        } else {  // absolute run of v pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(v) + 1) / 2 : v;
            if (d.size() - i < bytes)
                return {RleEnd::Truncated, y};
            const uint8_t* p = d.data() + i;
            emit(v, [p, four](int k) {
                return four ? ((k & 1) ? p[k / 2] & 0x0F : p[k / 2] >> 4) : p[k];
            });
            i += std::min(bytes + (bytes & 1), d.size() - i);
        }
    }
    return {RleEnd::PastLastRow, y};
}

// The stream is walked once without a bitmap, so that a truncated one is refused before
// anything is allocated for it. A stream that runs out on its last row (an encoder that left
// out the final end of line or end of bitmap) is taken as it is.
bool rleComplete(std::span<const uint8_t> d, const Header& h) {
    const RleEnd end = walkRle(d, h.pixelOffset, h.width, h.height, h.compression == BI_RLE4,
                               [](int, int, int, auto&&) {});
    return end.how != RleEnd::Truncated || end.row >= h.height - 1;
}

void decodeRle(std::span<const uint8_t> d, const Header& h, Bitmap& bmp) {
    const PixelFormat f = bmp.format();
    walkRle(d, h.pixelOffset, h.width, h.height, h.compression == BI_RLE4,
            [&](int row, int x, int count, auto&& pixelAt) {
                uint8_t* out = bmp.row(h.height - 1 - row);
                for (int k = 0; k < count; ++k)
                    writePixel(out, x + k, f, uint32_t(pixelAt(k)));
            });
}

}  // namespace

bool readBmp(std::span<const uint8_t> d, Bitmap& out, std::string& error, int64_t maxPixelBytes) {
    Header h;
    if (!parseHeader(d, h, error))
        return false;
    const PixelFormat f = outputFormat(h);
    const int64_t fileStride = ((int64_t(h.width) * h.bpp + 31) / 32) * 4;
    const int64_t cap = std::min(maxPixelBytes, kBmpMaxPixelBytes);
    if (fileStride * h.height > cap || rowStride(h.width, f) * h.height > cap)
        return fail(error, "BMP image too large");
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    if (!rle && h.pixelOffset + fileStride * h.height > int64_t(d.size()))
        return fail(error, "BMP pixel data truncated");
    if (rle && !rleComplete(d, h))
        return fail(error, "BMP RLE data ends before its last row");

    Bitmap bmp;
    if (const SizeResult r = bmp.reset(h.width, h.height, f); !r)
        return fail(error, r.reason());
    bmp.setPalette(h.palette);
    if (bmp.empty()) {
        // No pixels: nothing to decode (and zero-length rows have no storage).
    } else if (rle) {
        decodeRle(d, h, bmp);
    } else {
        const Channel ch[3] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2])};
        const bool raw =
            bitsPerPixel(f) == h.bpp &&
            (h.bpp != 32 || (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF));
        for (int r = 0; r < h.height; ++r) {
            const uint8_t* in = d.data() + h.pixelOffset + size_t(r) * size_t(fileStride);
            uint8_t* o = bmp.row(h.topDown ? r : h.height - 1 - r);
            if (raw)
                std::memcpy(o, in, size_t(fileStride));
            else
                convertMaskedRow(in, o, h.width, h.bpp, f, ch);
        }
    }
    out = std::move(bmp);
    error.clear();
    return true;
}

bool readBmpFile(const std::string& path, Bitmap& out, std::string& error, int64_t maxPixelBytes) {
    // The platform's read waits on no pipe or device and takes the name as UTF-8 everywhere.
    const FileRead file = readWholeFile(path, size_t(kBmpMaxFileBytes));
    switch (file.status) {
        case FileRead::Status::Ok:
            break;
        case FileRead::Status::TooLarge:
            return fail(error, "file too large for a BMP");
        case FileRead::Status::Missing:
            return fail(error, "cannot open the file");
        case FileRead::Status::Failed:
            return fail(error, pathKind(path) == PathKind::Other ? "not a regular file"
                                                                 : "cannot read the file");
    }
    return readBmp(
        std::span(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size()), out,
        error, maxPixelBytes);
}

}  // namespace kelvo::raster
