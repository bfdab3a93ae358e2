#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo {

// The keyed byte stream of the scrambled picture and text files: a 32-bit linear congruential
// state (x 1103515245 + 12345) advanced once per byte, whose bits 24..30 are XORed into the
// byte. The top bit of every byte is never changed, and applying it twice restores the data.
// Many bytes' states are stepped side by side (SSE2 or AVX2 as the active instruction set
// allows, see raster/kernels/InstructionSet.h).
void descramble(uint8_t* data, size_t size, uint32_t seed);

// One byte at a time, exactly as described; the fast version above is tested against it.
void descrambleSimple(uint8_t* data, size_t size, uint32_t seed);

}  // namespace kelvo
