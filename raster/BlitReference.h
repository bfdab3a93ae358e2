#pragma once

#include "raster/Blit.h"

namespace kelvo::raster::reference {

// The obviously correct blits, one pixel and one bit at a time, with the contracts of bitBlt and
// stretchBlt. The fast paths are tested against them.
void bitBlt(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
            uint32_t rop, const Brush* brush = nullptr);
void stretchBlt(Bitmap& dst, const TRect& dstRect, const Bitmap* src, const TRect& srcRect,
                uint32_t rop, const Brush* brush = nullptr);

}  // namespace kelvo::raster::reference
