#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo::fuzz {

// A script of calls, read from the bytes, of the public operations of a fresh TImageAdv and a
// fresh TSplPaint: image numbers, sprite indices, rectangles, counts, sizes, levels and texts
// from the whole int range. Stops the process (__builtin_trap) when an operation breaks a
// promise it makes; the sanitizers catch the rest.
void runApi(const uint8_t* data, size_t size);

}  // namespace kelvo::fuzz
