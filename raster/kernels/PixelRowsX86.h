#pragma once

// The x86 vector paths of the pixel rows, one file per instruction set. Each function is
// compiled for its set by a target attribute, so callers reach it only once
// activeInstructionSet() allows.
#if defined(__x86_64__) || defined(__i386__)
#define KELVO_PIXELROWS_X86 1

#include <cstddef>
#include <cstdint>

namespace kelvo::raster::x86 {

// AVX2: out's 16-byte block b is src's 16 bytes from windows[b] reordered by shuffle block b.
void shuffleBlocks(const uint8_t* src, uint8_t* out, const uint8_t* shuffle, const int* windows,
                   size_t blocks);

// AVX-512 VBMI: paletteRow24 from the table split into three byte planes.
void paletteRowVbmi(const uint8_t* idx, int count, const uint8_t (*planes)[256], uint8_t* out);

}  // namespace kelvo::raster::x86

#endif
