#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo::raster {

// Applies raster operation r (truth-table index) to n bytes of destination d, with source s
// and pattern p laid out byte for byte like d. s and p may be null when r ignores them.
void rowOp(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n);

}  // namespace kelvo::raster
