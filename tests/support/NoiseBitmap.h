#pragma once

#include <cstdint>
#include <random>

#include "raster/Bitmap.h"

namespace kelvo::testsupport {

// A 24-bit bitmap of seeded random bytes: the same picture for the same seed, in tests and
// benchmarks alike.
inline raster::Bitmap noiseBitmap24(int w, int h, unsigned seed) {
    std::mt19937_64 rng(seed);
    raster::Bitmap b(w, h, raster::PixelFormat::Pf24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
            b.row(y)[x] = uint8_t(rng());
    return b;
}

}  // namespace kelvo::testsupport
