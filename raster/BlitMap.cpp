#include "raster/BlitMap.h"

#include <algorithm>

namespace kelvo::raster {
namespace {

__extension__ typedef unsigned __int128 Wide;

}  // namespace

ClippedAxis clipAxis(int64_t d, int64_t s, int64_t len, int dLimit, int sLimit, bool withSrc) {
    int64_t lo = std::max<int64_t>(0, -d);
    int64_t hi = std::min<int64_t>(len, int64_t(dLimit) - d);
    if (withSrc) {
        lo = std::max(lo, -s);
        hi = std::min(hi, int64_t(sLimit) - s);
    }
    if (hi <= lo)
        return {};
    return {int(d + lo), int(s + lo), int(hi - lo)};
}

AxisMap mapAxis(const RectExtent& dst, int dLimit, const RectExtent& src, int sLimit, bool flip) {
    AxisMap map;
    const int64_t iLo = std::max<int64_t>(0, -dst.start);
    const int64_t iHi = std::min<int64_t>(dst.len, int64_t(dLimit) - dst.start);
    if (iHi <= iLo || src.len <= 0)
        return map;
    // Pixel i's centre lies at (2i + 1) * src.len / (2 * dst.len) source pixels; the quotient
    // and remainder are stepped along instead of divided anew for every pixel.
    const uint64_t den = 2 * uint64_t(dst.len), step = 2 * uint64_t(src.len);
    const Wide start = Wide(2 * uint64_t(iLo) + 1) * uint64_t(src.len);
    uint64_t q = uint64_t(start / den), rem = uint64_t(start % den);
    const uint64_t qStep = step / den, rStep = step % den;
    map.source.reserve(size_t(iHi - iLo));
    for (int64_t i = iLo; i < iHi; ++i) {
        const int64_t u = flip ? src.len - 1 - int64_t(q) : int64_t(q);
        const int64_t s = src.start + u;
        if (s >= 0 && s < sLimit) {
            if (map.source.empty())
                map.first = int(dst.start + i);
            map.source.push_back(int(s));
        } else if (!map.source.empty()) {
            break;  // the mapping is monotonic: the pixels inside form one run
        }
        q += qStep;
        rem += rStep;
        if (rem >= den) {
            rem -= den;
            ++q;
        }
    }
    return map;
}

}  // namespace kelvo::raster
