#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kelvo {

// An int from a wider sum: values past the int range stop at its ends. An edge that saturates
// lies far outside any bitmap (sides are at most 32768), so no drawn pixel depends on it.
constexpr int saturatedInt(int64_t v) {
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}
constexpr int saturatedAdd(int a, int b) {
    return saturatedInt(int64_t(a) + b);
}

// Rectangles in the classic convention: right and bottom are exclusive edges. Owners may pass
// any four ints, so nothing here can overflow: extents are 64-bit, moved edges saturate.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int64_t width() const { return int64_t(Right) - Left; }
    int64_t height() const { return int64_t(Bottom) - Top; }
    bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    void offset(int dx, int dy) {
        Left = saturatedAdd(Left, dx), Right = saturatedAdd(Right, dx);
        Top = saturatedAdd(Top, dy), Bottom = saturatedAdd(Bottom, dy);
    }
    // Left and top become x and y; width and height stay.
    void moveTo(int x, int y) {
        const int64_t w = width(), h = height();
        Left = x, Top = y;
        Right = saturatedInt(x + w), Bottom = saturatedInt(y + h);
    }
    // Each edge moved outward by d (inward for a negative d).
    TRect inflated(int d) const {
        return {saturatedInt(int64_t(Left) - d), saturatedInt(int64_t(Top) - d),
                saturatedInt(int64_t(Right) + d), saturatedInt(int64_t(Bottom) + d)};
    }
    TRect intersected(const TRect& o) const {
        return {std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
                std::min(Bottom, o.Bottom)};
    }
    bool contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TRect&) const = default;
};

}  // namespace kelvo
