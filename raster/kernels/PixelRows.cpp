#include "raster/kernels/PixelRows.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "raster/kernels/InstructionSet.h"
#include "raster/kernels/PixelRowsX86.h"

namespace kelvo::raster {
namespace {

// Pixel values are the little-endian reading of their bytes.
static_assert(std::endian::native == std::endian::little);

inline uint32_t load24(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Writes `count` 3-byte pixels from 32-bit values whose top byte is zero: eight at a time as
// three 64-bit words, the rest byte by byte.
template <class Value>
inline void store24(uint8_t* out, int count, Value value) {
    int i = 0;
    for (; i + 8 <= count; i += 8, out += 24) {
        const uint64_t t0 = value(i), t1 = value(i + 1), t2 = value(i + 2), t3 = value(i + 3);
        const uint64_t t4 = value(i + 4), t5 = value(i + 5), t6 = value(i + 6), t7 = value(i + 7);
        // Three separate stores: one wide store of words just built would stall on forwarding.
        const uint64_t w0 = t0 | t1 << 24 | t2 << 48;
        const uint64_t w1 = t2 >> 16 | t3 << 8 | t4 << 32 | t5 << 56;
        const uint64_t w2 = t5 >> 8 | t6 << 16 | t7 << 40;
        std::memcpy(out, &w0, 8);
        std::memcpy(out + 8, &w1, 8);
        std::memcpy(out + 16, &w2, 8);
    }
    for (; i < count; ++i, out += 3) {
        const uint32_t v = value(i);
        out[0] = uint8_t(v), out[1] = uint8_t(v >> 8), out[2] = uint8_t(v >> 16);
    }
}

// Keeps x in a register whose second byte can be read by itself (x86), so that the compiler does
// not fold the shifts back into one per index.
inline void keepInByteRegister(uint64_t& x) {
#if defined(__GNUC__) && defined(__x86_64__)
    asm("" : "+Q"(x));
#else
    (void)x;
#endif
}

// Eight pixels from the eight indexes in x, a pair at a time: the low and the second byte of a
// register are read as they stand, then the register moves on by two bytes. Each 8-byte store
// spills two bytes into the next pair, which the next store mends.
template <size_t... K>
inline void storeFourPairs(uint8_t* out, uint64_t x, const PaletteRow24::PairTables& t,
                           std::index_sequence<K...>) {
    uint64_t pair;
    ((pair = t.first[x & 0xFF] | t.second[(x >> 8) & 0xFF], std::memcpy(out + 6 * K, &pair, 8),
      x >>= 16, keepInByteRegister(x)),
     ...);
}

// Out of line: inlined, the compiler gives the indexes registers without a second byte.
[[gnu::noinline]] void pairRow24(const uint8_t* idx, int count, const PaletteRow24::PairTables& t,
                                 uint8_t* out) {
    if (count <= 0)
        return;
    int i = 0;
    for (const int blocksEnd = count - 16; i < blocksEnd; i += 16, out += 48) {
        // The last store spills into pixel i + 16. Unrolled further the loop measured slower.
        uint64_t lo, hi;
        std::memcpy(&lo, idx + i, 8);
        std::memcpy(&hi, idx + i + 8, 8);
        storeFourPairs(out, lo, t, std::make_index_sequence<4>());
        storeFourPairs(out + 24, hi, t, std::make_index_sequence<4>());
    }
    for (const int pairsEnd = count - 2; i < pairsEnd; i += 2, out += 6) {
        const uint64_t pair = t.first[idx[i]] | t.second[idx[i + 1]];
        std::memcpy(out, &pair, 8);
    }
    if (count - i == 2) {  // the first of the last two spills into the second
        std::memcpy(out, &t.first[idx[i]], 4);
        std::memcpy(out + 3, &t.first[idx[i + 1]], 3);
    } else if (count - i == 1) {
        std::memcpy(out, &t.first[idx[i]], 3);
    }
}

}  // namespace

PaletteRow24::PaletteRow24(const uint32_t* table) {
#if KELVO_PIXELROWS_X86
    planar_ = activeInstructionSet() >= InstructionSet::Avx512Vbmi;
#endif
    // Only the tables of the path chosen here: a blit makes this object for every call.
    for (int i = 0; i < 256; ++i) {
        const uint32_t v = table[i] & 0xFFFFFF;
        if (planar_) {
            for (int c = 0; c < 3; ++c)
                planes_[c][i] = uint8_t(v >> (8 * c));
        } else {
            pairs_.first[i] = v;
            pairs_.second[i] = uint64_t(v) << 24;
        }
    }
}

void PaletteRow24::run(const uint8_t* idx, int count, uint8_t* out) const {
#if KELVO_PIXELROWS_X86
    if (planar_) {
        x86::paletteRowVbmi(idx, count, planes_, out);
        return;
    }
#endif
    pairRow24(idx, count, pairs_, out);
}

void paletteRow24(const uint8_t* idx, int count, const uint32_t* table, uint8_t* out) {
    for (int i = 0; i < count; ++i, out += 3) {
        const uint32_t v = table[idx[i]];
        out[0] = uint8_t(v), out[1] = uint8_t(v >> 8), out[2] = uint8_t(v >> 16);
    }
}

void paletteRow32(const uint8_t* idx, int count, const uint32_t* table, uint8_t* out) {
    for (int i = 0; i < count; ++i)
        std::memcpy(out + 4 * i, &table[idx[i]], 4);
}

Gather24::Gather24(const int* map, int count, int srcWidth)
    : count_(count), offsets_(size_t(count)) {
    for (int i = 0; i < count; ++i)
        offsets_[size_t(i)] = 3 * uint32_t(map[i]);
#if KELVO_PIXELROWS_X86
    const int rowBytes = 3 * srcWidth;
    const size_t blocks = size_t(3) * size_t(count) / 16;
    if (rowBytes < 16 || blocks == 0)
        return;
    std::vector<uint8_t> shuffle(16 * blocks);
    std::vector<int> windows(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        auto byteAt = [&](size_t k) {
            const size_t o = 16 * b + k;
            return int(offsets_[o / 3] + o % 3);
        };
        int lo = byteAt(0), hi = lo;
        for (size_t k = 1; k < 16; ++k)
            lo = std::min(lo, byteAt(k)), hi = std::max(hi, byteAt(k));
        if (hi - lo >= 16)
            return;  // this block's bytes lie too far apart for one shuffle
        // The window stays inside the row's pixel bytes.
        const int start = std::min(lo, rowBytes - 16);
        windows[b] = start;
        for (size_t k = 0; k < 16; ++k)
            shuffle[16 * b + k] = uint8_t(byteAt(k) - start);
    }
    shuffle_ = std::move(shuffle);
    windows_ = std::move(windows);
#else
    (void)srcWidth;
#endif
}

void Gather24::run(const uint8_t* src, uint8_t* out, bool roomy) const {
#if KELVO_PIXELROWS_X86
    if (!shuffle_.empty() && activeInstructionSet() >= InstructionSet::Avx2) {
        x86::shuffleBlocks(src, out, shuffle_.data(), windows_.data(), windows_.size());
        // The bytes after the last whole block, which may end inside a pixel.
        for (size_t o = 16 * windows_.size(); o < 3 * size_t(count_); ++o)
            out[o] = src[offsets_[o / 3] + o % 3];
        return;
    }
#endif
    runPixels(src, out, roomy);
}

void Gather24::runPixels(const uint8_t* src, uint8_t* out, bool roomy) const {
    const uint32_t* off = offsets_.data();
    if (roomy)
        store24(out, count_, [&](int i) { return load32(src + off[i]) & 0xFFFFFF; });
    else
        store24(out, count_, [&](int i) { return load24(src + off[i]); });
}

}  // namespace kelvo::raster
