#include "components/imageadv/ColorEffects.h"

#include <algorithm>

#include "raster/InstructionSet.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace kelvo {

void scaleBytesPortable(uint8_t* data, size_t size, int percent) {
    for (size_t i = 0; i < size; ++i) {
        const int64_t c = data[i];
        const int64_t v = c - c * percent / 100;
        data[i] = percent < 0 ? uint8_t(std::min<int64_t>(v, 255)) : uint8_t(v);
    }
}

#if defined(__SSE2__)
namespace {

// c * |percent| / 100 for |percent| = 100 * a + b is a * c + c * b / 100, and c * b / 100 is
// the high half of c * ceil(b * 65536 / 100): the rounding adds less than 255 / 65536, too
// little to cross an integer since c * b / 100 is at most 0.99 above one.
template <bool Darken, bool Whole>
size_t scaleSse2(uint8_t* data, size_t size, int a, int b) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i whole = _mm_set1_epi16(int16_t(a));
    const __m128i frac = _mm_set1_epi16(int16_t(uint16_t((b * 65536 + 99) / 100)));
    auto part = [&](__m128i c) {
        __m128i q = _mm_mulhi_epu16(c, frac);
        if constexpr (Whole)
            q = _mm_add_epi16(q, _mm_mullo_epi16(c, whole));
        return Darken ? _mm_sub_epi16(c, q) : _mm_add_epi16(c, q);
    };
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i lo = part(_mm_unpacklo_epi8(v, zero));
        const __m128i hi = part(_mm_unpackhi_epi8(v, zero));
        // Darkening by at most 100% stays at or above 0; brightening saturates at 255.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}

template <bool Darken, bool Whole>
__attribute__((target("avx2"))) size_t scaleAvx2(uint8_t* data, size_t size, int a, int b) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i whole = _mm256_set1_epi16(int16_t(a));
    const __m256i frac = _mm256_set1_epi16(int16_t(uint16_t((b * 65536 + 99) / 100)));
    size_t i = 0;
    // Unpacking and packing both work within 128-bit halves, so the bytes keep their order.
    for (; i + 32 <= size; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        __m256i lo = _mm256_unpacklo_epi8(v, zero), hi = _mm256_unpackhi_epi8(v, zero);
        __m256i qlo = _mm256_mulhi_epu16(lo, frac), qhi = _mm256_mulhi_epu16(hi, frac);
        if constexpr (Whole) {
            qlo = _mm256_add_epi16(qlo, _mm256_mullo_epi16(lo, whole));
            qhi = _mm256_add_epi16(qhi, _mm256_mullo_epi16(hi, whole));
        }
        lo = Darken ? _mm256_sub_epi16(lo, qlo) : _mm256_add_epi16(lo, qlo);
        hi = Darken ? _mm256_sub_epi16(hi, qhi) : _mm256_add_epi16(hi, qhi);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(data + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

// The same 64 bytes at a time.
template <bool Darken, bool Whole>
__attribute__((target("avx512f,avx512bw"))) size_t scaleAvx512(uint8_t* data, size_t size, int a,
                                                               int b) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i whole = _mm512_set1_epi16(int16_t(a));
    const __m512i frac = _mm512_set1_epi16(int16_t(uint16_t((b * 65536 + 99) / 100)));
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        const __m512i v = _mm512_loadu_si512(data + i);
        __m512i lo = _mm512_unpacklo_epi8(v, zero), hi = _mm512_unpackhi_epi8(v, zero);
        __m512i qlo = _mm512_mulhi_epu16(lo, frac), qhi = _mm512_mulhi_epu16(hi, frac);
        if constexpr (Whole) {
            qlo = _mm512_add_epi16(qlo, _mm512_mullo_epi16(lo, whole));
            qhi = _mm512_add_epi16(qhi, _mm512_mullo_epi16(hi, whole));
        }
        lo = Darken ? _mm512_sub_epi16(lo, qlo) : _mm512_add_epi16(lo, qlo);
        hi = Darken ? _mm512_sub_epi16(hi, qhi) : _mm512_add_epi16(hi, qhi);
        _mm512_storeu_si512(data + i, _mm512_packus_epi16(lo, hi));
    }
    return i;
}

template <bool Darken, bool Whole>
size_t scaleVector(uint8_t* data, size_t size, int a, int b) {
    if (raster::activeInstructionSet() >= raster::InstructionSet::Avx512Vbmi) {
        const size_t i = scaleAvx512<Darken, Whole>(data, size, a, b);
        return i + scaleAvx2<Darken, Whole>(data + i, size - i, a, b);
    }
    if (raster::activeInstructionSet() >= raster::InstructionSet::Avx2)
        return scaleAvx2<Darken, Whole>(data, size, a, b);
    return scaleSse2<Darken, Whole>(data, size, a, b);
}

}  // namespace
#endif

void scaleBytes(uint8_t* data, size_t size, int percent) {
    size_t i = 0;
#if defined(__SSE2__)
    if (percent >= -255 && percent <= 100 &&
        raster::activeInstructionSet() != raster::InstructionSet::Portable) {
        const int m = percent < 0 ? -percent : percent;
        const int a = m / 100, b = m % 100;
        if (percent >= 0)
            i = a ? scaleVector<true, true>(data, size, a, b)
                  : scaleVector<true, false>(data, size, a, b);
        else
            i = a ? scaleVector<false, true>(data, size, a, b)
                  : scaleVector<false, false>(data, size, a, b);
    }
#endif
    scaleBytesPortable(data + i, size - i, percent);
}

}  // namespace kelvo
