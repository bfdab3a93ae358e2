#pragma once

#include <cstddef>
#include <cstdint>

// Entry points shared by the fuzz targets and the corpus replay test.
namespace kelvo::fuzz {

// A whole BMP file.
void runBmp(const uint8_t* data, size_t size);
// Four bytes of key, two of row length and two of row count, then a scrambled BMP file.
void runGrpFile(const uint8_t* data, size_t size);
// Four bytes of key, then a scrambled text file.
void runTxtFile(const uint8_t* data, size_t size);

}  // namespace kelvo::fuzz
