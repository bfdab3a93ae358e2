#include "components/splpaint/LevelBytes.h"

#include <algorithm>
#include <cstring>

#include "raster/InstructionSet.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KELVO_LEVEL_X86 1
#endif

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

#if KELVO_LEVEL_X86
size_t contrastSse2(uint8_t* data, size_t size, ContrastTerms t) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i cap = _mm_set1_epi16(int16_t(t.cap));
    const __m128i shift = _mm_cvtsi32_si128(t.shift);
    const __m128i factor = _mm_set1_epi16(int16_t(t.factor));
    auto part = [&](__m128i c) {
        return _mm_mulhi_epu16(_mm_sll_epi16(_mm_min_epi16(c, cap), shift), factor);
    };
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i lo = part(_mm_unpacklo_epi8(v, zero));
        const __m128i hi = part(_mm_unpackhi_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}

__attribute__((target("avx2"))) inline __m256i contrastLanes(__m256i c, __m256i cap, __m128i shift,
                                                             __m256i factor) {
    return _mm256_mulhi_epu16(_mm256_sll_epi16(_mm256_min_epi16(c, cap), shift), factor);
}

__attribute__((target("avx2"))) size_t contrastAvx2(uint8_t* data, size_t size, ContrastTerms t) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i cap = _mm256_set1_epi16(int16_t(t.cap));
    const __m128i shift = _mm_cvtsi32_si128(t.shift);
    const __m256i factor = _mm256_set1_epi16(int16_t(t.factor));
    size_t i = 0;
    // Unpacking and packing both work within 128-bit halves, so the bytes keep their order.
    for (; i + 32 <= size; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i lo = contrastLanes(_mm256_unpacklo_epi8(v, zero), cap, shift, factor);
        const __m256i hi = contrastLanes(_mm256_unpackhi_epi8(v, zero), cap, shift, factor);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(data + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

size_t offsetSse2(uint8_t* data, size_t size, int offset) {
    const __m128i amount = _mm_set1_epi8(char(uint8_t(std::abs(offset))));
    size_t i = 0;
    if (offset >= 0) {
        for (; i + 16 <= size; i += 16) {
            auto* p = reinterpret_cast<__m128i*>(data + i);
            _mm_storeu_si128(p, _mm_adds_epu8(_mm_loadu_si128(p), amount));
        }
    } else {
        for (; i + 16 <= size; i += 16) {
            auto* p = reinterpret_cast<__m128i*>(data + i);
            _mm_storeu_si128(p, _mm_subs_epu8(_mm_loadu_si128(p), amount));
        }
    }
    return i;
}

__attribute__((target("avx2"))) size_t offsetAvx2(uint8_t* data, size_t size, int offset) {
    const __m256i amount = _mm256_set1_epi8(char(uint8_t(std::abs(offset))));
    size_t i = 0;
    if (offset >= 0) {
        for (; i + 32 <= size; i += 32) {
            auto* p = reinterpret_cast<__m256i*>(data + i);
            _mm256_storeu_si256(p, _mm256_adds_epu8(_mm256_loadu_si256(p), amount));
        }
    } else {
        for (; i + 32 <= size; i += 32) {
            auto* p = reinterpret_cast<__m256i*>(data + i);
            _mm256_storeu_si256(p, _mm256_subs_epu8(_mm256_loadu_si256(p), amount));
        }
    }
    return i;
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
#if KELVO_LEVEL_X86
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
#if KELVO_LEVEL_X86
    if (hasVectors())
        done = wide && hasAvx2() ? offsetAvx2(data, size, offset) : offsetSse2(data, size, offset);
#endif
    offsetBytesPlain(data + done, size - done, offset);
}

}  // namespace kelvo
