#include "raster/kernels/PixelRowsX86.h"

#if KELVO_PIXELROWS_X86
#include <immintrin.h>

#include <algorithm>

namespace kelvo::raster::x86 {
namespace {

// Output byte o of a run of 64 pixels is byte o % 3 of pixel o / 3: for each of the three
// 64-byte output registers, where its bytes come from in planes 0 and 1 (as one two-register
// permute) and in plane 2.
struct Interleave {
    alignas(64) uint8_t lowTwo[3][64];
    alignas(64) uint8_t third[3][64];
    uint64_t thirdMask[3];
    Interleave() {
        for (int k = 0; k < 3; ++k) {
            thirdMask[k] = 0;
            for (int j = 0; j < 64; ++j) {
                const int o = 64 * k + j, pixel = o / 3, plane = o % 3;
                lowTwo[k][j] = uint8_t(plane == 1 ? 64 + pixel : pixel);
                third[k][j] = uint8_t(pixel);
                if (plane == 2)
                    thirdMask[k] |= uint64_t(1) << j;
            }
        }
    }
};

}  // namespace

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void paletteRowVbmi(
    const uint8_t* idx, int count, const uint8_t (*planes)[256], uint8_t* out) {
    static const Interleave il;
    __m512i table[3][4];
    for (int c = 0; c < 3; ++c)
        for (int q = 0; q < 4; ++q)
            table[c][q] = _mm512_load_si512(planes[c] + 64 * q);
    __m512i lowTwo[3], third[3];
    for (int k = 0; k < 3; ++k) {
        lowTwo[k] = _mm512_load_si512(il.lowTwo[k]);
        third[k] = _mm512_load_si512(il.third[k]);
    }
    for (int i = 0; i < count; i += 64, out += 192) {
        const int n = std::min(64, count - i);
        const __mmask64 in = n == 64 ? ~__mmask64(0) : (__mmask64(1) << n) - 1;
        const __m512i x = _mm512_maskz_loadu_epi8(in, idx + i);
        // Indexes from 128 up come from the upper half of each plane.
        const __mmask64 upper = _mm512_movepi8_mask(x);
        __m512i plane[3];
        for (int c = 0; c < 3; ++c)
            plane[c] =
                _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(table[c][0], x, table[c][1]),
                                       _mm512_permutex2var_epi8(table[c][2], x, table[c][3]));
        for (int k = 0; k < 3; ++k) {
            const __m512i two = _mm512_permutex2var_epi8(plane[0], lowTwo[k], plane[1]);
            const __m512i v =
                _mm512_mask_permutexvar_epi8(two, il.thirdMask[k], third[k], plane[2]);
            const int bytes = std::clamp(3 * n - 64 * k, 0, 64);
            const __mmask64 m = bytes == 64 ? ~__mmask64(0) : (__mmask64(1) << bytes) - 1;
            _mm512_mask_storeu_epi8(out + 64 * k, m, v);
        }
    }
}

}  // namespace kelvo::raster::x86
#endif
