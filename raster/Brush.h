#pragma once

#include <array>

#include "raster/Color.h"

namespace kelvo::raster {

class Bitmap;

// A solid colour, an 8 x 8 pattern tiled from the destination's origin, or no fill at all.
class Brush {
  public:
    enum class Style { Solid, Pattern, Clear };

    Brush() = default;
    static Brush solid(Color c);
    // Takes the colours of the top-left 8 x 8 pixels; a smaller bitmap repeats its pixels.
    static Brush pattern(const Bitmap& bmp);
    // Rows top to bottom, the most significant bit the leftmost pixel: 1 white, 0 black.
    static Brush monoPattern(const std::array<uint8_t, 8>& rows);
    static Brush clear();

    Style style() const { return style_; }
    Color color() const { return color_; }
    void setColor(Color c);
    // Colour of the pattern at destination pixel (x, y).
    Color at(int x, int y) const {
        return style_ == Style::Pattern ? pattern_[(y & 7) * 8 + (x & 7)] : color_;
    }

  private:
    Style style_ = Style::Solid;
    Color color_ = clWhite;
    std::array<Color, 64> pattern_{};
};

}  // namespace kelvo::raster
