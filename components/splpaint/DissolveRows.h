#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Bitmap.h"
#include "raster/Brush.h"

namespace kelvo {

// The whole-picture pattern dissolves on 24-bit buffers as single passes over the rows, giving
// the bytes the blit sequences give (the tests hold the two side by side).

// A brush's eight rows as 24-bit bytes, each long enough for `width` pixels.
class PatternRows24 {
  public:
    PatternRows24(const raster::Brush& brush, int width);
    const uint8_t* row(int y) const { return rows_[size_t(y & 7)].data(); }

  private:
    std::array<std::vector<uint8_t>, 8> rows_;
};

// d = s AND p over n bytes.
void andRow(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n);
// d = (d AND s) OR NOT q over n bytes.
void andOrNotRow(uint8_t* d, const uint8_t* s, const uint8_t* q, size_t n);

// Whether every bitmap is 24-bit with exactly `area` as its bounds, as the fused passes need.
bool fusable(const TRect& area, std::initializer_list<const raster::Bitmap*> bitmaps);

}  // namespace kelvo
