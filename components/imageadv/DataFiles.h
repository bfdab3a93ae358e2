#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "raster/Bitmap.h"

namespace kelvo {

// Descrambles the first rowBytes bytes of rows 0..rows-1 with seed key + row, bounded by the
// bitmap's rows and their length. Key 0 leaves the pixels alone.
void descrambleRows(raster::Bitmap& bmp, int key, int rowBytes, int rows);

// A scrambled text file's content: descrambled with seed key (key 0 too) and cut at its first
// zero byte.
std::string decodeTxtData(std::span<const uint8_t> file, int key);

}  // namespace kelvo
