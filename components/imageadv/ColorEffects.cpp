#include "components/imageadv/ColorEffects.h"

#include <algorithm>

#include "raster/kernels/ByteLanes.h"
#include "raster/kernels/InstructionSet.h"

namespace kelvo {

void scaleBytesPortable(uint8_t* data, size_t size, int percent) {
    for (size_t i = 0; i < size; ++i) {
        const int64_t c = data[i];
        const int64_t v = c - c * percent / 100;
        data[i] = percent < 0 ? uint8_t(std::min<int64_t>(v, 255)) : uint8_t(v);
    }
}

#if KELVO_BYTE_LANES
namespace {

using namespace raster;

// c * |percent| / 100 for |percent| = 100 * a + b is a * c + c * b / 100, and c * b / 100 is
// the high half of c * ceil(b * 65536 / 100): the rounding adds less than 255 / 65536, too
// little to cross an integer since c * b / 100 is at most 0.99 above one. Darkening by at most
// 100% stays at or above 0; brightening saturates at 255 when the words are packed.
uint16_t fractionOf(int b) {
    return uint16_t((b * 65536 + 99) / 100);
}

template <bool Darken, bool Whole>
struct ScaleSse2 {
    __m128i whole, frac;
    ScaleSse2(int a, int b)
        : whole(_mm_set1_epi16(int16_t(a))), frac(_mm_set1_epi16(int16_t(fractionOf(b)))) {}
    __m128i operator()(__m128i c) const {
        __m128i q = _mm_mulhi_epu16(c, frac);
        if constexpr (Whole)
            q = _mm_add_epi16(q, _mm_mullo_epi16(c, whole));
        return Darken ? _mm_sub_epi16(c, q) : _mm_add_epi16(c, q);
    }
};

template <bool Darken, bool Whole>
struct ScaleAvx2 {
    __m256i whole, frac;
    KELVO_TARGET_AVX2 ScaleAvx2(int a, int b)
        : whole(_mm256_set1_epi16(int16_t(a))), frac(_mm256_set1_epi16(int16_t(fractionOf(b)))) {}
    KELVO_TARGET_AVX2 __m256i operator()(__m256i c) const {
        __m256i q = _mm256_mulhi_epu16(c, frac);
        if constexpr (Whole)
            q = _mm256_add_epi16(q, _mm256_mullo_epi16(c, whole));
        return Darken ? _mm256_sub_epi16(c, q) : _mm256_add_epi16(c, q);
    }
};

template <bool Darken, bool Whole>
struct ScaleAvx512 {
    __m512i whole, frac;
    KELVO_TARGET_AVX512 ScaleAvx512(int a, int b)
        : whole(_mm512_set1_epi16(int16_t(a))), frac(_mm512_set1_epi16(int16_t(fractionOf(b)))) {}
    KELVO_TARGET_AVX512 __m512i operator()(__m512i c) const {
        __m512i q = _mm512_mulhi_epu16(c, frac);
        if constexpr (Whole)
            q = _mm512_add_epi16(q, _mm512_mullo_epi16(c, whole));
        return Darken ? _mm512_sub_epi16(c, q) : _mm512_add_epi16(c, q);
    }
};

template <bool Darken, bool Whole>
KELVO_TARGET_AVX2 size_t scaleAvx2(uint8_t* data, size_t size, int a, int b) {
    WordsAvx2<ScaleAvx2<Darken, Whole>> op{{a, b}};
    return mapBlocksAvx2(data, size, op);
}

template <bool Darken, bool Whole>
KELVO_TARGET_AVX512 size_t scaleAvx512(uint8_t* data, size_t size, int a, int b) {
    WordsAvx512<ScaleAvx512<Darken, Whole>> op{{a, b}};
    return mapBlocksAvx512(data, size, op);
}

template <bool Darken, bool Whole>
size_t scaleVector(uint8_t* data, size_t size, int a, int b) {
    if (activeInstructionSet() >= InstructionSet::Avx512Vbmi) {
        const size_t i = scaleAvx512<Darken, Whole>(data, size, a, b);
        return i + scaleAvx2<Darken, Whole>(data + i, size - i, a, b);
    }
    if (activeInstructionSet() >= InstructionSet::Avx2)
        return scaleAvx2<Darken, Whole>(data, size, a, b);
    WordsSse2<ScaleSse2<Darken, Whole>> op{{a, b}};
    return mapBlocksSse2(data, size, op);
}

}  // namespace
#endif

void scaleBytes(uint8_t* data, size_t size, int percent) {
    size_t i = 0;
#if KELVO_BYTE_LANES
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
