#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "raster/Bitmap.h"
#include "raster/Bmp.h"

namespace kelvo {

// Descrambles the first rowBytes bytes of rows 0..rows-1 with seed key + row, bounded by the
// bitmap's rows and their length. Key 0 leaves the pixels alone.
void descrambleRows(raster::Bitmap& bmp, int key, int rowBytes, int rows);

// A scrambled picture file's content: BMP data, then descrambleRows. False with a reason when
// the BMP data is not readable; `out` is then unchanged.
bool decodeGrpData(std::span<const uint8_t> file, int key, int rowBytes, int rows,
                   raster::Bitmap& out, std::string& error,
                   int64_t maxPixelBytes = raster::kBmpMaxPixelBytes);

// A scrambled text file's content: descrambled with seed key (key 0 too) and cut at its first
// zero byte.
std::string decodeTxtData(std::span<const uint8_t> file, int key);

}  // namespace kelvo
