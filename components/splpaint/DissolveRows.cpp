#include "components/splpaint/DissolveRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvo {

PatternRows24::PatternRows24(const raster::Brush& brush, int width) {
    for (int y = 0; y < 8; ++y) {
        std::vector<uint8_t>& r = rows_[size_t(y)];
        r.resize(size_t(width) * 3);
        for (int x = 0; x < width; ++x) {
            const raster::Color c = brush.at(x, y);
            r[size_t(x) * 3] = raster::blueOf(c);
            r[size_t(x) * 3 + 1] = raster::greenOf(c);
            r[size_t(x) * 3 + 2] = raster::redOf(c);
        }
    }
}

void andRow(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i pv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_and_si128(sv, pv));
    }
#endif
    for (; i < n; ++i)
        d[i] = uint8_t(s[i] & p[i]);
}

void andOrNotRow(uint8_t* d, const uint8_t* s, const uint8_t* q, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i ones = _mm_set1_epi8(-1);
    for (; i + 16 <= n; i += 16) {
        auto* dp = reinterpret_cast<__m128i*>(d + i);
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i nq =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i)), ones);
        _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(dp), sv), nq));
    }
#endif
    for (; i < n; ++i)
        d[i] = uint8_t((d[i] & s[i]) | ~q[i]);
}

bool fusable(const TRect& area, std::initializer_list<const raster::Bitmap*> bitmaps) {
    for (const raster::Bitmap* b : bitmaps)
        if (b->format() != raster::PixelFormat::Pf24 || b->empty() || b->bounds() != area)
            return false;
    return true;
}

}  // namespace kelvo
