#include "components/ColorEffects.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvo {

void scaleBytesPortable(uint8_t* data, size_t size, int percent) {
    for (size_t i = 0; i < size; ++i) {
        const int64_t c = data[i];
        const int64_t v = c - c * percent / 100;
        data[i] = percent < 0 ? uint8_t(std::min<int64_t>(v, 255)) : uint8_t(v);
    }
}

void scaleBytes(uint8_t* data, size_t size, int percent) {
    size_t i = 0;
#if defined(__SSE2__)
    // In 16-bit lanes c * |percent| stays below 65536 for |percent| <= 255, and x / 100 is
    // ((x >> 2) * 41944) >> 20 for every 16-bit x; packing saturates the brightening side.
    if (percent >= -255 && percent <= 100) {
        const bool darken = percent >= 0;
        const __m128i zero = _mm_setzero_si128();
        const __m128i factor = _mm_set1_epi16(int16_t(darken ? percent : -percent));
        const __m128i magic = _mm_set1_epi16(int16_t(41944));
        auto part = [&](__m128i c) {
            const __m128i prod = _mm_mullo_epi16(c, factor);
            const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(_mm_srli_epi16(prod, 2), magic), 4);
            return darken ? _mm_sub_epi16(c, q) : _mm_add_epi16(c, q);
        };
        for (; i + 16 <= size; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i lo = part(_mm_unpacklo_epi8(v, zero));
            const __m128i hi = part(_mm_unpackhi_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(data + i), _mm_packus_epi16(lo, hi));
        }
    }
#endif
    scaleBytesPortable(data + i, size - i, percent);
}

}  // namespace kelvo
