#include "raster/kernels/PixelRowsX86.h"

#if KELVO_PIXELROWS_X86
#include <immintrin.h>

namespace kelvo::raster::x86 {

__attribute__((target("avx2"))) void shuffleBlocks(const uint8_t* src, uint8_t* out,
                                                   const uint8_t* shuffle, const int* windows,
                                                   size_t blocks) {
    for (size_t b = 0; b < blocks; ++b) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + windows[b]));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle + 16 * b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * b), _mm_shuffle_epi8(w, s));
    }
}

}  // namespace kelvo::raster::x86
#endif
