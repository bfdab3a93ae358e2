#pragma once

// In-place byte maps, one loop per instruction set, for the kernels that change each byte of a
// buffer on its own. Each whole block of 16, 32 or 64 bytes is loaded, given to `op` and stored
// back; the loops return how many bytes they did and the caller's plain code takes the rest.
// `op` is a function object whose call operator carries the loop's target, so that it inlines.
// The loops work on a copy of it, given back at the end: a state that lives in the caller's
// object could be changed by any byte store, and would be reloaded at every block.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <immintrin.h>
#define KELVO_BYTE_LANES 1
#define KELVO_TARGET_AVX2 __attribute__((target("avx2")))
#define KELVO_TARGET_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace kelvo::raster {

template <class Op>
size_t mapBlocksSse2(uint8_t* data, size_t size, Op& op) {
    Op local = op;
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        auto* p = reinterpret_cast<__m128i*>(data + i);
        _mm_storeu_si128(p, local(_mm_loadu_si128(p)));
    }
    op = local;
    return i;
}

template <class Op>
KELVO_TARGET_AVX2 size_t mapBlocksAvx2(uint8_t* data, size_t size, Op& op) {
    Op local = op;
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        auto* p = reinterpret_cast<__m256i*>(data + i);
        _mm256_storeu_si256(p, local(_mm256_loadu_si256(p)));
    }
    op = local;
    return i;
}

template <class Op>
KELVO_TARGET_AVX512 size_t mapBlocksAvx512(uint8_t* data, size_t size, Op& op) {
    Op local = op;
    size_t i = 0;
    for (; i + 64 <= size; i += 64)
        _mm512_storeu_si512(data + i, local(_mm512_loadu_si512(data + i)));
    op = local;
    return i;
}

// Byte maps worked out in 16-bit lanes: `op` takes and returns words (each a byte widened), and
// the results are packed back to bytes with unsigned saturation. Unpacking and packing both work
// within 128-bit halves, so the bytes keep their order.
template <class Op>
struct WordsSse2 {
    Op op;
    __m128i operator()(__m128i v) const {
        const __m128i zero = _mm_setzero_si128();
        return _mm_packus_epi16(op(_mm_unpacklo_epi8(v, zero)), op(_mm_unpackhi_epi8(v, zero)));
    }
};

template <class Op>
struct WordsAvx2 {
    Op op;
    KELVO_TARGET_AVX2 __m256i operator()(__m256i v) const {
        const __m256i zero = _mm256_setzero_si256();
        return _mm256_packus_epi16(op(_mm256_unpacklo_epi8(v, zero)),
                                   op(_mm256_unpackhi_epi8(v, zero)));
    }
};

template <class Op>
struct WordsAvx512 {
    Op op;
    KELVO_TARGET_AVX512 __m512i operator()(__m512i v) const {
        const __m512i zero = _mm512_setzero_si512();
        return _mm512_packus_epi16(op(_mm512_unpacklo_epi8(v, zero)),
                                   op(_mm512_unpackhi_epi8(v, zero)));
    }
};

}  // namespace kelvo::raster

#endif
