#include "raster/RowOps.h"

#include <cstring>

#include "raster/Rop.h"

namespace kelvo::raster {
namespace {

// Eight bytes at a time; the compiler keeps the word loop free of branches.
template <class F>
void words(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n, F f) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t dv, sv, pv;
        std::memcpy(&dv, d + i, 8);
        std::memcpy(&sv, s + i, 8);
        std::memcpy(&pv, p + i, 8);
        dv = f(pv, sv, dv);
        std::memcpy(d + i, &dv, 8);
    }
    for (; i < n; ++i)
        d[i] = uint8_t(f(uint64_t(p[i]), uint64_t(s[i]), uint64_t(d[i])));
}

}  // namespace

void rowOp(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) {
    if (!s)
        s = d;
    if (!p)
        p = d;
    using W = uint64_t;
    switch (r) {
        case 0xCC:  // SRCCOPY
            if (d != s)
                std::memmove(d, s, n);
            return;
        case 0x00:  // BLACKNESS
            std::memset(d, 0, n);
            return;
        case 0xFF:  // WHITENESS
            std::memset(d, 0xFF, n);
            return;
        case 0xF0:  // PATCOPY
            std::memmove(d, p, n);
            return;
        case 0x88:  // SRCAND
            words(d, s, p, n, [](W, W sv, W dv) { return dv & sv; });
            return;
        case 0xEE:  // SRCPAINT
            words(d, s, p, n, [](W, W sv, W dv) { return dv | sv; });
            return;
        case 0x66:  // SRCINVERT
            words(d, s, p, n, [](W, W sv, W dv) { return dv ^ sv; });
            return;
        case 0xBB:  // MERGEPAINT
            words(d, s, p, n, [](W, W sv, W dv) { return dv | ~sv; });
            return;
        case 0xC0:  // MERGECOPY
            words(d, s, p, n, [](W pv, W sv, W) { return sv & pv; });
            return;
        case 0xA0:  // destination AND pattern
            words(d, s, p, n, [](W pv, W, W dv) { return dv & pv; });
            return;
        case 0x33:  // NOTSRCCOPY
            words(d, s, p, n, [](W, W sv, W) { return ~sv; });
            return;
        case 0x55:  // DSTINVERT
            words(d, s, p, n, [](W, W, W dv) { return ~dv; });
            return;
        case 0x5A:  // PATINVERT
            words(d, s, p, n, [](W pv, W, W dv) { return dv ^ pv; });
            return;
        default:
            words(d, s, p, n, [r](W pv, W sv, W dv) { return applyRop<W>(r, pv, sv, dv); });
            return;
    }
}

}  // namespace kelvo::raster
