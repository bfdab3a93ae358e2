#include "components/splpaint/LevelBytes.h"

#include <algorithm>
#include <cstring>

#include "raster/kernels/ByteLanes.h"
#include "raster/kernels/InstructionSet.h"

namespace kelvo {
namespace {

// For level >= 25500 every non-zero byte already reaches 255, so larger levels act alike.
constexpr int kLevelLimit = 25500;

// The vector paths compute b * level / 100 with one multiplication in 16-bit lanes:
// ((min(b, cap) << shift) * factor) >> 16, where factor = ceil(level * 2^(16 - shift) / 100) is
// the largest that fits 16 bits. From `cap` on a byte reaches 255 anyway; the clipped product's
// error stays below 1/100, so the truncated result equals the plain formula's (the tests check
// every byte and level pair).
struct ContrastTerms {
    int level;
    int cap;
    int shift;
    uint16_t factor;
};

int64_t factorFor(int level, int shift) {
    return ((int64_t(level) << (16 - shift)) + 99) / 100;
}

ContrastTerms contrastTerms(int level) {
    const int l = std::min(level, kLevelLimit);
    int shift = 0;
    while (factorFor(l, shift) > 0xFFFF)
        ++shift;
    return {l, l > 100 ? (kLevelLimit + l - 1) / l : 255, shift, uint16_t(factorFor(l, shift))};
}

#if KELVO_BYTE_LANES
using namespace raster;

struct ContrastSse2 {
    __m128i cap, shift, factor;
    explicit ContrastSse2(ContrastTerms t)
        : cap(_mm_set1_epi16(int16_t(t.cap))),
          shift(_mm_cvtsi32_si128(t.shift)),
          factor(_mm_set1_epi16(int16_t(t.factor))) {}
    __m128i operator()(__m128i c) const {
        return _mm_mulhi_epu16(_mm_sll_epi16(_mm_min_epi16(c, cap), shift), factor);
    }
};

struct ContrastAvx2 {
    __m256i cap, factor;
    __m128i shift;
    KELVO_TARGET_AVX2 explicit ContrastAvx2(ContrastTerms t)
        : cap(_mm256_set1_epi16(int16_t(t.cap))),
          factor(_mm256_set1_epi16(int16_t(t.factor))),
          shift(_mm_cvtsi32_si128(t.shift)) {}
    KELVO_TARGET_AVX2 __m256i operator()(__m256i c) const {
        return _mm256_mulhi_epu16(_mm256_sll_epi16(_mm256_min_epi16(c, cap), shift), factor);
    }
};

KELVO_TARGET_AVX2 size_t contrastAvx2(uint8_t* data, size_t size, ContrastTerms t) {
    WordsAvx2<ContrastAvx2> op{ContrastAvx2(t)};
    return mapBlocksAvx2(data, size, op);
}

size_t contrastSse2(uint8_t* data, size_t size, ContrastTerms t) {
    WordsSse2<ContrastSse2> op{ContrastSse2(t)};
    return mapBlocksSse2(data, size, op);
}

// Saturating byte adds and subtracts.
template <bool Up>
struct OffsetSse2 {
    __m128i amount;
    __m128i operator()(__m128i v) const {
        return Up ? _mm_adds_epu8(v, amount) : _mm_subs_epu8(v, amount);
    }
};

template <bool Up>
struct OffsetAvx2 {
    __m256i amount;
    KELVO_TARGET_AVX2 __m256i operator()(__m256i v) const {
        return Up ? _mm256_adds_epu8(v, amount) : _mm256_subs_epu8(v, amount);
    }
};

KELVO_TARGET_AVX2 size_t offsetAvx2(uint8_t* data, size_t size, int offset) {
    const __m256i amount = _mm256_set1_epi8(char(uint8_t(std::abs(offset))));
    OffsetAvx2<true> up{amount};
    OffsetAvx2<false> down{amount};
    return offset >= 0 ? mapBlocksAvx2(data, size, up) : mapBlocksAvx2(data, size, down);
}

size_t offsetSse2(uint8_t* data, size_t size, int offset) {
    const __m128i amount = _mm_set1_epi8(char(uint8_t(std::abs(offset))));
    OffsetSse2<true> up{amount};
    OffsetSse2<false> down{amount};
    return offset >= 0 ? mapBlocksSse2(data, size, up) : mapBlocksSse2(data, size, down);
}

bool hasAvx2() {
    return raster::activeInstructionSet() >= raster::InstructionSet::Avx2;
}

bool hasVectors() {
    return raster::activeInstructionSet() != raster::InstructionSet::Portable;
}
#endif

}  // namespace

void contrastBytesPlain(uint8_t* data, size_t size, int level) {
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(std::clamp<int64_t>(int64_t(data[i]) * level / 100, 0, 255));
}

void contrastBytes(uint8_t* data, size_t size, int level, bool wide) {
    if (level == 100)
        return;
    if (level <= 0) {
        std::memset(data, 0, size);
        return;
    }
    const ContrastTerms t = contrastTerms(level);
    size_t done = 0;
#if KELVO_BYTE_LANES
    if (hasVectors())
        done = wide && hasAvx2() ? contrastAvx2(data, size, t) : contrastSse2(data, size, t);
#endif
    contrastBytesPlain(data + done, size - done, t.level);
}

void offsetBytesPlain(uint8_t* data, size_t size, int offset) {
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(std::clamp<int64_t>(int64_t(data[i]) + offset, 0, 255));
}

void offsetBytes(uint8_t* data, size_t size, int offset, bool wide) {
    offset = std::clamp(offset, -255, 255);
    size_t done = 0;
#if KELVO_BYTE_LANES
    if (hasVectors())
        done = wide && hasAvx2() ? offsetAvx2(data, size, offset) : offsetSse2(data, size, offset);
#endif
    offsetBytesPlain(data + done, size - done, offset);
}

}  // namespace kelvo
