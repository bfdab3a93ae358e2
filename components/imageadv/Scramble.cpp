#include "components/imageadv/Scramble.h"

#include "raster/kernels/ByteLanes.h"
#include "raster/kernels/InstructionSet.h"

namespace kelvo {
namespace {

using raster::InstructionSet;

constexpr uint32_t kMul = 1103515245u;
constexpr uint32_t kAdd = 12345u;

struct Step {
    uint32_t mul, add;
};

// The affine map that advances the state by n bytes at once.
constexpr Step stepOf(int n) {
    Step s{1, 0};
    for (int i = 0; i < n; ++i)
        s = {s.mul * kMul, s.add * kMul + kAdd};
    return s;
}

// The states of the first n bytes (each already advanced for its own byte).
void firstStates(uint32_t seed, uint32_t* states, int n) {
    uint32_t state = seed;
    for (int k = 0; k < n; ++k) {
        state = state * kMul + kAdd;
        states[k] = state;
    }
}

// Bytes from i on, given the state of byte i.
void finish(uint8_t* data, size_t i, size_t size, uint32_t state) {
    for (; i < size; ++i) {
        data[i] ^= uint8_t((state >> 24) & 0x7F);
        state = state * kMul + kAdd;
    }
}

// The state chain is one long dependency; eight lanes, each jumping eight bytes at a time,
// keep the multiplier busy instead of waiting on it.
void descramblePortable(uint8_t* data, size_t size, uint32_t seed) {
    constexpr int kLanes = 8;
    constexpr Step jump = stepOf(kLanes);
    uint32_t lane[kLanes];
    firstStates(seed, lane, kLanes);
    size_t i = 0;
    for (; i + kLanes <= size; i += kLanes) {
        for (int k = 0; k < kLanes; ++k) {
            data[i + size_t(k)] ^= uint8_t((lane[k] >> 24) & 0x7F);
            lane[k] = lane[k] * jump.mul + jump.add;
        }
    }
    if (i < size)
        finish(data, i, size, lane[0]);
}

#if KELVO_BYTE_LANES
// The vector paths run one state per byte of a block (16 or 32 bytes), four registers of
// states, all jumping a block at a time. Each state's bits 24..30 are narrowed to a byte by
// two packs, whose lane order decides which register lane serves which byte.

// 32-bit products per lane, which SSE2 only has as two 64-bit halves.
inline __m128i mulLo32(__m128i a, __m128i b, __m128i bOdd) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), bOdd);
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

struct KeySse2 {
    static constexpr int kBlock = 16;
    static constexpr Step kJump = stepOf(kBlock);
    // Register g, lane e serves byte 4g + e.
    __m128i st[4];
    __m128i mul = _mm_set1_epi32(int(kJump.mul)), mulOdd = _mm_srli_epi64(mul, 32);
    __m128i add = _mm_set1_epi32(int(kJump.add)), low7 = _mm_set1_epi8(0x7F);

    explicit KeySse2(uint32_t seed) {
        uint32_t first[kBlock];
        firstStates(seed, first, kBlock);
        for (int g = 0; g < 4; ++g)
            st[g] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 4 * g));
    }
    __m128i operator()(__m128i v) {
        const __m128i ab = _mm_packs_epi32(_mm_srli_epi32(st[0], 24), _mm_srli_epi32(st[1], 24));
        const __m128i cd = _mm_packs_epi32(_mm_srli_epi32(st[2], 24), _mm_srli_epi32(st[3], 24));
        // Written out: a loop over the array would keep the states in memory.
        st[0] = step(st[0]), st[1] = step(st[1]), st[2] = step(st[2]), st[3] = step(st[3]);
        return _mm_xor_si128(v, _mm_and_si128(_mm_packus_epi16(ab, cd), low7));
    }
    __m128i step(__m128i state) const { return _mm_add_epi32(mulLo32(state, mul, mulOdd), add); }
    uint32_t next() const { return uint32_t(_mm_cvtsi128_si32(st[0])); }
};

struct KeyAvx2 {
    static constexpr int kBlock = 32;
    static constexpr Step kJump = stepOf(kBlock);
    // The packs work within 128-bit halves: register g, lane l serves byte
    // 16 * (l / 4) + 4 * g + l % 4.
    __m256i st[4], mul, add, low7;

    KELVO_TARGET_AVX2 explicit KeyAvx2(uint32_t seed)
        : mul(_mm256_set1_epi32(int(kJump.mul))),
          add(_mm256_set1_epi32(int(kJump.add))),
          low7(_mm256_set1_epi8(0x7F)) {
        uint32_t first[kBlock];
        firstStates(seed, first, kBlock);
        for (int g = 0; g < 4; ++g) {
            alignas(32) uint32_t lanes[8];
            for (int l = 0; l < 8; ++l)
                lanes[l] = first[16 * (l / 4) + 4 * g + l % 4];
            st[g] = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
        }
    }
    KELVO_TARGET_AVX2 __m256i operator()(__m256i v) {
        const __m256i ab =
            _mm256_packs_epi32(_mm256_srli_epi32(st[0], 24), _mm256_srli_epi32(st[1], 24));
        const __m256i cd =
            _mm256_packs_epi32(_mm256_srli_epi32(st[2], 24), _mm256_srli_epi32(st[3], 24));
        st[0] = step(st[0]), st[1] = step(st[1]), st[2] = step(st[2]), st[3] = step(st[3]);
        return _mm256_xor_si256(v, _mm256_and_si256(_mm256_packus_epi16(ab, cd), low7));
    }
    KELVO_TARGET_AVX2 __m256i step(__m256i state) const {
        return _mm256_add_epi32(_mm256_mullo_epi32(state, mul), add);
    }
    KELVO_TARGET_AVX2 uint32_t next() const { return uint32_t(_mm256_cvtsi256_si32(st[0])); }
};

// Whole blocks, then the bytes after them from the state the blocks left.
size_t descrambleSse2(uint8_t* data, size_t size, uint32_t seed, uint32_t& next) {
    KeySse2 key(seed);
    const size_t done = raster::mapBlocksSse2(data, size, key);
    next = key.next();
    return done;
}

KELVO_TARGET_AVX2 size_t descrambleAvx2(uint8_t* data, size_t size, uint32_t seed, uint32_t& next) {
    KeyAvx2 key(seed);
    const size_t done = raster::mapBlocksAvx2(data, size, key);
    next = key.next();
    return done;
}
#endif

}  // namespace

void descrambleSimple(uint8_t* data, size_t size, uint32_t seed) {
    uint32_t state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * kMul + kAdd;
        data[i] ^= uint8_t(((state >> 16) & 0x7FFF) >> 8);
    }
}

void descramble(uint8_t* data, size_t size, uint32_t seed) {
#if KELVO_BYTE_LANES
    const InstructionSet set = raster::activeInstructionSet();
    if (set != InstructionSet::Portable) {
        uint32_t next = 0;
        const size_t done = set >= InstructionSet::Avx2 ? descrambleAvx2(data, size, seed, next)
                                                        : descrambleSse2(data, size, seed, next);
        if (done > 0) {
            finish(data, done, size, next);
            return;
        }
    }
#endif
    descramblePortable(data, size, seed);
}

}  // namespace kelvo
