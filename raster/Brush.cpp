#include "raster/Brush.h"

#include "raster/Bitmap.h"

namespace kelvo::raster {

Brush Brush::solid(Color c) {
    Brush b;
    b.color_ = c;
    return b;
}

Brush Brush::pattern(const Bitmap& bmp) {
    if (bmp.empty())
        return solid(clBlack);
    Brush b;
    b.style_ = Style::Pattern;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            b.pattern_[y * 8 + x] = bmp.pixel(x % bmp.width(), y % bmp.height());
    return b;
}

Brush Brush::monoPattern(const std::array<uint8_t, 8>& rows) {
    Brush b;
    b.style_ = Style::Pattern;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            b.pattern_[y * 8 + x] = (rows[y] >> (7 - x)) & 1 ? clWhite : clBlack;
    return b;
}

Brush Brush::clear() {
    Brush b;
    b.style_ = Style::Clear;
    return b;
}

void Brush::setColor(Color c) {
    color_ = c;
    if (style_ == Style::Pattern)
        style_ = Style::Solid;
}

}  // namespace kelvo::raster
