#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo {

// Brightness scaling of colour bytes: every byte b becomes b * level / 100 (division truncating
// toward zero), clipped to 0..255. A negative level therefore gives 0 and a level of 100 leaves
// the bytes as they are. Vector passes use AVX2 where the active instruction set (see
// raster/kernels/InstructionSet.h) has it and `wide` allows it, SSE2 otherwise.
void contrastBytes(uint8_t* data, size_t size, int level, bool wide = true);
// The same one byte at a time with the plain formula: the reference of the fast path.
void contrastBytesPlain(uint8_t* data, size_t size, int level);

// Colour offset: every byte b becomes b + offset clipped to 0..255.
void offsetBytes(uint8_t* data, size_t size, int offset, bool wide = true);
void offsetBytesPlain(uint8_t* data, size_t size, int offset);

}  // namespace kelvo
