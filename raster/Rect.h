#pragma once

#include <algorithm>

namespace kelvo {

// Rectangles in the classic convention: right and bottom are exclusive edges.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    void offset(int dx, int dy) { Left += dx, Right += dx, Top += dy, Bottom += dy; }
    TRect intersected(const TRect& o) const {
        return {std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
                std::min(Bottom, o.Bottom)};
    }
    bool contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TRect&) const = default;
};

}  // namespace kelvo
