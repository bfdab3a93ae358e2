#pragma once

#include <cstdint>
#include <vector>

namespace kelvo::raster {

// The coordinate arithmetic of the blits, in 64 bits so that no rectangle, however extreme,
// overflows it, and bounded by the bitmaps so that nothing grows with the rectangle.

// One axis of a rectangle: its lower edge, its length, and whether it was given reversed.
struct RectExtent {
    int64_t start = 0;
    int64_t len = 0;
    bool flipped = false;
};

inline RectExtent extentOf(int from, int to) {
    if (to >= from)
        return {from, int64_t(to) - from, false};
    return {to, int64_t(from) - to, true};
}

// A span clipped to both bitmaps along one axis.
struct ClippedAxis {
    int d = 0, s = 0, len = 0;
};

// Clips `len` pixels from destination d and source s to [0, dLimit) and, when withSrc, to
// [0, sLimit), moving both starts together. len <= 0 when nothing is left.
ClippedAxis clipAxis(int64_t d, int64_t s, int64_t len, int dLimit, int sLimit, bool withSrc);

// The source pixel of every destination pixel along one axis of a stretch: the one under the
// destination pixel's centre, mirrored when flip. Only destination pixels inside [0, dLimit)
// whose source pixel lies inside [0, sLimit) are listed: pixels first .. first + count() - 1.
struct AxisMap {
    int first = 0;
    std::vector<int> source;
    int count() const { return int(source.size()); }
};

AxisMap mapAxis(const RectExtent& dst, int dLimit, const RectExtent& src, int sLimit, bool flip);

}  // namespace kelvo::raster
