#include "components/LevelBytes.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KELVO_LEVEL_X86 1
#endif

namespace kelvo {
namespace {

// For level >= 25500 every non-zero byte already reaches 255, so larger levels act alike.
constexpr int kLevelLimit = 25500;

// The vector paths clip a byte before multiplying: from `cap` on, b * level / 100 is at least
// 255 anyway, and cap * level stays below 2 * 25500, inside an unsigned 16-bit lane. The
// division by 100 is floor(floor(x / 4) / 25) = mulhi(x >> 2, 5243) >> 1, exact for every
// 16-bit x (the tests check all byte and level pairs against the plain formula).
struct ContrastTerms {
    int level;
    int cap;
};

ContrastTerms contrastTerms(int level) {
    const int l = std::min(level, kLevelLimit);
    return {l, l > 100 ? (kLevelLimit + l - 1) / l : 255};
}

#if KELVO_LEVEL_X86
size_t contrastSse2(uint8_t* data, size_t size, ContrastTerms t) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i level = _mm_set1_epi16(int16_t(t.level));
    const __m128i cap = _mm_set1_epi16(int16_t(t.cap));
    const __m128i magic = _mm_set1_epi16(5243);
    auto part = [&](__m128i c) {
        const __m128i prod = _mm_mullo_epi16(_mm_min_epi16(c, cap), level);
        return _mm_srli_epi16(_mm_mulhi_epu16(_mm_srli_epi16(prod, 2), magic), 1);
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

__attribute__((target("avx2"))) inline __m256i contrastLanes(__m256i c, __m256i cap, __m256i level,
                                                             __m256i magic) {
    const __m256i prod = _mm256_mullo_epi16(_mm256_min_epi16(c, cap), level);
    return _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_srli_epi16(prod, 2), magic), 1);
}

__attribute__((target("avx2"))) size_t contrastAvx2(uint8_t* data, size_t size, ContrastTerms t) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i level = _mm256_set1_epi16(int16_t(t.level));
    const __m256i cap = _mm256_set1_epi16(int16_t(t.cap));
    const __m256i magic = _mm256_set1_epi16(5243);
    size_t i = 0;
    // Unpacking and packing both work within 128-bit halves, so the bytes keep their order.
    for (; i + 32 <= size; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i lo = contrastLanes(_mm256_unpacklo_epi8(v, zero), cap, level, magic);
        const __m256i hi = contrastLanes(_mm256_unpackhi_epi8(v, zero), cap, level, magic);
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
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

void contrastBytesPlain(uint8_t* data, size_t size, int level) {
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(std::clamp<int64_t>(int64_t(data[i]) * level / 100, 0, 255));
}

void contrastBytes(uint8_t* data, size_t size, int level) {
    if (level == 100)
        return;
    if (level <= 0) {
        std::memset(data, 0, size);
        return;
    }
    const ContrastTerms t = contrastTerms(level);
    size_t done = 0;
#if KELVO_LEVEL_X86
    done = hasAvx2() ? contrastAvx2(data, size, t) : contrastSse2(data, size, t);
#endif
    contrastBytesPlain(data + done, size - done, t.level);
}

void offsetBytesPlain(uint8_t* data, size_t size, int offset) {
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(std::clamp<int64_t>(int64_t(data[i]) + offset, 0, 255));
}

void offsetBytes(uint8_t* data, size_t size, int offset) {
    offset = std::clamp(offset, -255, 255);
    size_t done = 0;
#if KELVO_LEVEL_X86
    done = hasAvx2() ? offsetAvx2(data, size, offset) : offsetSse2(data, size, offset);
#endif
    offsetBytesPlain(data + done, size - done, offset);
}

}  // namespace kelvo
