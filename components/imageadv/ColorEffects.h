#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo {

// The true-colour brightness change: every byte c becomes c - c * percent / 100 (division
// truncating toward zero). A positive percent darkens, 100 gives black, and above 100 the result
// wraps as a byte does. A negative percent brightens and saturates at 255 rather than wrapping
// into dark values. Uses AVX2 or SSE2 as the active instruction set allows
// (raster/kernels/InstructionSet.h).
void scaleBytes(uint8_t* data, size_t size, int percent);
// The same one byte at a time, for targets without SSE2 and as the tests' reference.
void scaleBytesPortable(uint8_t* data, size_t size, int percent);

}  // namespace kelvo
