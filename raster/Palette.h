#pragma once

#include <cstddef>
#include <vector>

#include "raster/Color.h"
#include "raster/PixelFormat.h"

namespace kelvo::raster {

// Up to 256 entries; an indexed bitmap's palette holds at most 2^bpp of them.
using Palette = std::vector<PaletteEntry>;

// The palette a new indexed bitmap gets: black and white for 1 bit, the 16 classic colours for
// 4 bits, and for 8 bits those 16, a 6 x 6 x 6 colour cube and 24 greys. Empty otherwise.
Palette defaultPalette(PixelFormat f);

// Index of the entry nearest to `c` (squared distance in RGB, the lowest index on a tie);
// 0 for an empty palette.
int nearestIndex(const Palette& pal, Color c);

// True when both palettes have the same size and colours (flags are not compared).
bool sameColors(const Palette& a, const Palette& b);

}  // namespace kelvo::raster
