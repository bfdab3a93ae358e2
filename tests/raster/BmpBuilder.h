#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "raster/Palette.h"

namespace kelvo::raster::testing {

// Writes BMP files of every variant the reader takes, independently of the writer under test.
struct BmpLayout {
    int width = 0, height = 0;
    bool topDown = false;
    int bpp = 8;
    uint32_t compression = 0;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    int headerSize = 40;
    uint32_t masks[3] = {0, 0, 0};
    Palette palette;
    std::vector<std::vector<uint32_t>> pixels;  // raw values, [row from the top][column]
};

inline void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// One row run-length encoded: repeats as encoded runs, the rest in absolute runs of 3 or more.
inline void encodeRleRow(std::vector<uint8_t>& out, const std::vector<uint32_t>& row, bool four) {
    const size_t n = row.size();
    size_t i = 0;
    auto same = [&](size_t a, size_t b) { return row[a] == row[b]; };
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 254 && same(i, i + run))
            ++run;
        if (run >= 3 || n - i < 3) {
            const size_t len = run >= 3 ? run : 1;
            out.push_back(uint8_t(len));
            out.push_back(uint8_t(four ? (row[i] << 4 | row[i]) : row[i]));
            i += len;
            continue;
        }
        size_t len = 3;
        while (i + len < n && len < 254 &&
               !(i + len + 2 < n && same(i + len, i + len + 1) && same(i + len, i + len + 2)))
            ++len;
        out.push_back(0);
        out.push_back(uint8_t(len));
        size_t bytes = 0;
        for (size_t k = 0; k < len; k += four ? 2 : 1, ++bytes) {
            if (four)
                out.push_back(uint8_t(row[i + k] << 4 | (k + 1 < len ? row[i + k + 1] : 0)));
            else
                out.push_back(uint8_t(row[i + k]));
        }
        if (bytes & 1)
            out.push_back(0);
        i += len;
    }
    out.push_back(0);
    out.push_back(0);
}

inline std::vector<uint8_t> buildBmp(const BmpLayout& s) {
    std::vector<uint8_t> pix;
    const int h = s.height;
    const size_t stride = ((size_t(s.width) * size_t(s.bpp) + 31) / 32) * 4;
    for (int i = 0; i < h; ++i) {
        const auto& row = s.pixels[size_t(s.topDown ? i : h - 1 - i)];
        if (s.compression == 1 || s.compression == 2) {
            encodeRleRow(pix, row, s.compression == 2);
            continue;
        }
        std::vector<uint8_t> line(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = row[size_t(x)];
            switch (s.bpp) {
                case 1:
                    line[size_t(x / 8)] |= uint8_t((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    line[size_t(x / 2)] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
                    break;
                default:
                    for (int b = 0; b < s.bpp / 8; ++b)
                        line[size_t(x * (s.bpp / 8) + b)] = uint8_t(v >> (8 * b));
            }
        }
        pix.insert(pix.end(), line.begin(), line.end());
    }
    if (s.compression == 1 || s.compression == 2) {
        pix.push_back(0);
        pix.push_back(1);
    }
    const bool core = s.headerSize == 12;
    const size_t entry = core ? 3 : 4;
    const bool trailingMasks = s.compression == 3 && s.headerSize == 40;
    const size_t offset =
        14 + size_t(s.headerSize) + (trailingMasks ? 12 : 0) + entry * s.palette.size();
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    put32(v, uint32_t(offset + pix.size()));
    put32(v, 0);
    put32(v, uint32_t(offset));
    put32(v, uint32_t(s.headerSize));
    if (core) {
        put16(v, uint32_t(s.width));
        put16(v, uint32_t(s.height));
        put16(v, 1);
        put16(v, uint32_t(s.bpp));
    } else {
        put32(v, uint32_t(s.width));
        put32(v, uint32_t(s.topDown ? -s.height : s.height));
        put16(v, 1);
        put16(v, uint32_t(s.bpp));
        put32(v, s.compression);
        put32(v, uint32_t(pix.size()));
        put32(v, 2835);
        put32(v, 2835);
        put32(v, uint32_t(s.bpp <= 8 ? s.palette.size() : 0));
        put32(v, 0);
        size_t written = 40;
        if (s.headerSize > 40 || trailingMasks) {
            for (uint32_t m : s.masks)
                put32(v, m);
            written += 12;
        }
        if (s.headerSize > 52) {
            put32(v, 0);  // no alpha
            written += 4;
        }
        for (; written < size_t(s.headerSize); ++written)
            v.push_back(0);
    }
    for (const PaletteEntry& e : s.palette) {
        v.push_back(e.peBlue);
        v.push_back(e.peGreen);
        v.push_back(e.peRed);
        if (!core)
            v.push_back(0);
    }
    v.insert(v.end(), pix.begin(), pix.end());
    return v;
}

// Random pixels below `limit`; runs of equal values now and then, so RLE has work.
inline std::vector<std::vector<uint32_t>> randomPixels(std::mt19937_64& rng, int w, int h,
                                                       uint64_t limit) {
    std::vector<std::vector<uint32_t>> px(size_t(h), std::vector<uint32_t>(size_t(w), 0));
    std::uniform_int_distribution<uint64_t> any(0, limit - 1);
    for (auto& row : px)
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = (x > 0 && rng() % 3 == 0) ? row[x - 1] : uint32_t(any(rng));
    return px;
}

}  // namespace kelvo::raster::testing
