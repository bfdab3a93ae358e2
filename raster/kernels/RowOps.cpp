#include "raster/kernels/RowOps.h"

#include <cstring>

#include "raster/Rop.h"
#include "raster/kernels/InstructionSet.h"

#if defined(__SSE2__)
#include <immintrin.h>
#define KELVO_ROWOPS_X86 1
#endif

namespace kelvo::raster {
namespace {

// The operations with a short formula of their own; every other one goes through the mux of
// the inputs it uses. Mux names the inputs: P pattern, S source, D destination.
enum class Kind : uint8_t {
    And,
    Or,
    Xor,
    OrNotSrc,
    SrcAndPat,
    DstAndPat,
    NotSrc,
    NotDst,
    DstXorPat,
    MuxSD,
    MuxPD,
    MuxPS,
    MuxPSD,
};

// Vectors are loaded and stored through memcpy and combined with the built-in operators, so
// one template serves 64-bit words and every vector width; the arguments go by reference
// because a 256-bit vector passed by value outside AVX2 code changes the calling convention.
template <class V>
[[gnu::always_inline]] inline void splat(V& v, uint8_t b) {
    std::memset(&v, b, sizeof(V));
}

// The truth table as a multiplexer: for each (p, s) pair k, the result is a[k] ^ (d & x[k]);
// then s picks between the pairs of one p, and p between the two halves. Each step is exact
// for every operation, and an input an operation ignores can be left out.
template <Kind K, class V>
[[gnu::always_inline]] inline void combine(V& o, const V& p, const V& s, const V& d, const V* m) {
    const V* a = m;
    const V* x = m + 4;
    if constexpr (K == Kind::And) {
        o = d & s;
    } else if constexpr (K == Kind::Or) {
        o = d | s;
    } else if constexpr (K == Kind::Xor) {
        o = d ^ s;
    } else if constexpr (K == Kind::OrNotSrc) {
        o = d | ~s;
    } else if constexpr (K == Kind::SrcAndPat) {
        o = s & p;
    } else if constexpr (K == Kind::DstAndPat) {
        o = d & p;
    } else if constexpr (K == Kind::NotSrc) {
        o = ~s;
    } else if constexpr (K == Kind::NotDst) {
        o = ~d;
    } else if constexpr (K == Kind::DstXorPat) {
        o = d ^ p;
    } else if constexpr (K == Kind::MuxSD) {
        const V f0 = a[0] ^ (d & x[0]), f1 = a[1] ^ (d & x[1]);
        o = f0 ^ (s & (f0 ^ f1));
    } else if constexpr (K == Kind::MuxPD) {
        const V f0 = a[0] ^ (d & x[0]), f2 = a[2] ^ (d & x[2]);
        o = f0 ^ (p & (f0 ^ f2));
    } else if constexpr (K == Kind::MuxPS) {
        const V g0 = a[0] ^ (s & (a[0] ^ a[1])), g1 = a[2] ^ (s & (a[2] ^ a[3]));
        o = g0 ^ (p & (g0 ^ g1));
    } else {
        const V f0 = a[0] ^ (d & x[0]), f1 = a[1] ^ (d & x[1]);
        const V f2 = a[2] ^ (d & x[2]), f3 = a[3] ^ (d & x[3]);
        const V g0 = f0 ^ (s & (f0 ^ f1)), g1 = f2 ^ (s & (f2 ^ f3));
        o = g0 ^ (p & (g0 ^ g1));
    }
}

// Whole vectors of V from the start of the row; returns how many bytes were done.
template <Kind K, class V>
[[gnu::always_inline]] inline size_t span(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n,
                                          const uint8_t* masks) {
    V m[8];
    for (int i = 0; i < 8; ++i)
        splat(m[i], masks[i]);
    size_t i = 0;
    for (; i + sizeof(V) <= n; i += sizeof(V)) {
        V dv, sv, pv, o;
        std::memcpy(&dv, d + i, sizeof(V));
        std::memcpy(&sv, s + i, sizeof(V));
        std::memcpy(&pv, p + i, sizeof(V));
        combine<K>(o, pv, sv, dv, m);
        std::memcpy(d + i, &o, sizeof(V));
    }
    return i;
}

template <Kind K>
void runPortable(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n, const uint8_t* m) {
    const size_t i = span<K, uint64_t>(d, s, p, n, m);
    if (i < n)
        span<K, uint8_t>(d + i, s + i, p + i, n - i, m);
}

#if KELVO_ROWOPS_X86
template <Kind K>
void runSse2(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n, const uint8_t* m) {
    const size_t i = span<K, __m128i>(d, s, p, n, m);
    if (i < n)
        runPortable<K>(d + i, s + i, p + i, n - i, m);
}

template <Kind K>
__attribute__((target("avx2"))) void runAvx2(uint8_t* d, const uint8_t* s, const uint8_t* p,
                                             size_t n, const uint8_t* m) {
    const size_t i = span<K, __m256i>(d, s, p, n, m);
    if (i < n)
        runSse2<K>(d + i, s + i, p + i, n - i, m);
}
#endif

template <Kind K>
RowKernel::Fn forSet(InstructionSet set) {
#if KELVO_ROWOPS_X86
    if (set >= InstructionSet::Avx2)
        return runAvx2<K>;
    if (set == InstructionSet::Sse2)
        return runSse2<K>;
#else
    (void)set;
#endif
    return runPortable<K>;
}

Kind kindOf(uint8_t r) {
    switch (r) {
        case 0x88:
            return Kind::And;
        case 0xEE:
            return Kind::Or;
        case 0x66:
            return Kind::Xor;
        case 0xBB:
            return Kind::OrNotSrc;
        case 0xC0:
            return Kind::SrcAndPat;
        case 0xA0:
            return Kind::DstAndPat;
        case 0x33:
            return Kind::NotSrc;
        case 0x55:
            return Kind::NotDst;
        case 0x5A:
            return Kind::DstXorPat;
        default:
            break;
    }
    const bool p = ropUsesPattern(r), s = ropUsesSource(r);
    if (p && s)
        return ((r >> 1) & 0x55) == (r & 0x55) ? Kind::MuxPS : Kind::MuxPSD;
    return p ? Kind::MuxPD : Kind::MuxSD;
}

RowKernel::Fn pick(Kind k, InstructionSet set) {
    switch (k) {
        case Kind::And:
            return forSet<Kind::And>(set);
        case Kind::Or:
            return forSet<Kind::Or>(set);
        case Kind::Xor:
            return forSet<Kind::Xor>(set);
        case Kind::OrNotSrc:
            return forSet<Kind::OrNotSrc>(set);
        case Kind::SrcAndPat:
            return forSet<Kind::SrcAndPat>(set);
        case Kind::DstAndPat:
            return forSet<Kind::DstAndPat>(set);
        case Kind::NotSrc:
            return forSet<Kind::NotSrc>(set);
        case Kind::NotDst:
            return forSet<Kind::NotDst>(set);
        case Kind::DstXorPat:
            return forSet<Kind::DstXorPat>(set);
        case Kind::MuxSD:
            return forSet<Kind::MuxSD>(set);
        case Kind::MuxPD:
            return forSet<Kind::MuxPD>(set);
        case Kind::MuxPS:
            return forSet<Kind::MuxPS>(set);
        case Kind::MuxPSD:
            return forSet<Kind::MuxPSD>(set);
    }
    return forSet<Kind::MuxPSD>(set);
}

}  // namespace

RowKernel::RowKernel(uint8_t r) : r_(r) {
    // Copies, fills and the no-op need no kernel.
    if (r == 0xCC || r == 0x00 || r == 0xFF || r == 0xF0 || r == 0xAA)
        return;
    for (int k = 0; k < 4; ++k) {
        const bool zero = (r >> (2 * k)) & 1, one = (r >> (2 * k + 1)) & 1;
        masks_[k] = zero ? 0xFF : 0x00;
        masks_[4 + k] = zero != one ? 0xFF : 0x00;
    }
    fn_ = pick(kindOf(r), activeInstructionSet());
}

void RowKernel::operator()(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) const {
    switch (r_) {
        case 0xCC:
            if (d != s)
                std::memmove(d, s, n);
            return;
        case 0x00:
            std::memset(d, 0, n);
            return;
        case 0xFF:
            std::memset(d, 0xFF, n);
            return;
        case 0xF0:
            std::memmove(d, p, n);
            return;
        case 0xAA:
            return;
        default:
            fn_(d, s ? s : d, p ? p : d, n, masks_);
    }
}

void rowOp(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) {
    const RowKernel kernel(r);
    kernel(d, s, p, n);
}

void rowOpPlain(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        uint8_t out = 0;
        for (int b = 0; b < 8; ++b) {
            const int pb = p ? (p[i] >> b) & 1 : 0, sb = s ? (s[i] >> b) & 1 : 0;
            const int idx = pb << 2 | sb << 1 | ((d[i] >> b) & 1);
            out = uint8_t(out | ((r >> idx) & 1) << b);
        }
        d[i] = out;
    }
}

}  // namespace kelvo::raster
