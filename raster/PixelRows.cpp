#include "raster/PixelRows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "raster/InstructionSet.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KELVO_PIXELROWS_X86 1
#endif

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

#if KELVO_PIXELROWS_X86
__attribute__((target("avx2"))) void shuffleBlocks(const uint8_t* src, uint8_t* out,
                                                   const uint8_t* shuffle, const int* windows,
                                                   size_t blocks) {
    for (size_t b = 0; b < blocks; ++b) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + windows[b]));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle + 16 * b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * b), _mm_shuffle_epi8(w, s));
    }
}
#endif

}  // namespace

void paletteRow24(const uint8_t* idx, int count, const uint32_t* table, uint8_t* out) {
    store24(out, count, [&](int i) { return table[idx[i]]; });
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
    if (!shuffle_.empty() && activeInstructionSet() == InstructionSet::Avx2) {
        shuffleBlocks(src, out, shuffle_.data(), windows_.data(), windows_.size());
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
