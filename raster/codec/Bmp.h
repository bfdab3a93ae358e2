#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "raster/Bitmap.h"

namespace kelvo::raster {

// Limits a BMP file must keep before anything is allocated for it.
constexpr int64_t kBmpMaxPixelBytes = int64_t(256) << 20;
constexpr int64_t kBmpMaxFileBytes = int64_t(512) << 20;

// Decodes a Windows BMP file: 1, 4, 8, 16, 24 and 32 bits, bottom-up or top-down, uncompressed,
// with bit fields, RLE8 or RLE4; core and version 3 to 5 info headers. The bitmap keeps the
// file's pixel format and palette: 16 bits become Pf15 or Pf16 by their masks; other 16-bit
// masks give Pf24 and other 32-bit masks Pf32 with the channels widened by shifting. Pixels an
// RLE stream skips are index 0, and codes that leave the picture are clipped at its edges; a
// stream whose data ends before its last row is refused. On failure returns false, leaves `out`
// alone and puts a short reason in `error`. A caller may lower the pixel cap.
bool readBmp(std::span<const uint8_t> data, Bitmap& out, std::string& error,
             int64_t maxPixelBytes = kBmpMaxPixelBytes);
bool readBmpFile(const std::string& path, Bitmap& out, std::string& error,
                 int64_t maxPixelBytes = kBmpMaxPixelBytes);

// Encodes a bitmap uncompressed and bottom-up, in its own format: indexed formats with their
// palette (flags are not stored), Pf15 as plain 16-bit, Pf16 with 5-6-5 bit fields, Pf24, Pf32.
// Empty on a bitmap too large for the format.
std::vector<uint8_t> writeBmp(const Bitmap& bmp);
bool writeBmpFile(const std::string& path, const Bitmap& bmp, std::string& error);

}  // namespace kelvo::raster
