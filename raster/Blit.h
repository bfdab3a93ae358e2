#pragma once

#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/Brush.h"
#include "raster/Rop.h"

namespace kelvo::raster {

// Bit block transfer of the w x h area at (sx, sy) of src to (dx, dy) of dst with the ternary
// raster operation `rop` (a system code, see rop::). Source pixels and the brush's colours are
// first translated into the destination's pixel values (see PixelTranslator); the operation then
// acts on the bits of those values. The pattern tiles from dst's origin. A null brush is a black
// pattern; a clear brush makes operations that use the pattern draw nothing. src may be null
// when the operation ignores it and may be dst itself, overlapping or not. Everything is
// clipped to both bitmaps here; nothing outside them is read or written.
void bitBlt(Bitmap& dst, int dx, int dy, int w, int h, const Bitmap* src, int sx, int sy,
            uint32_t rop, const Brush* brush = nullptr);

// Like bitBlt from srcRect to dstRect, scaling by nearest neighbour (each destination pixel
// takes the source pixel under its centre). A rectangle with right < left (or bottom < top)
// mirrors. Destination pixels whose source pixel lies outside src are left alone.
void stretchBlt(Bitmap& dst, const TRect& dstRect, const Bitmap* src, const TRect& srcRect,
                uint32_t rop, const Brush* brush = nullptr);

// An operation without a source over rect, e.g. PATCOPY to fill with the brush.
void patBlt(Bitmap& dst, const TRect& rect, uint32_t rop, const Brush& brush);

// Fills rect with one colour (its nearest palette entry on indexed bitmaps).
void fillRect(Bitmap& dst, const TRect& rect, Color c);

}  // namespace kelvo::raster
