#pragma once

#include <cstddef>
#include <cstdint>

// Entry points shared by the fuzz targets and the corpus replay test. Each reads one input the
// way a host program would meet it and stops the process (__builtin_trap) when a reader breaks
// a promise it makes; the sanitizers catch the rest.
namespace kelvo::fuzz {

// A whole BMP file, decoded; a decoded picture must survive writing and reading back.
void runBmp(const uint8_t* data, size_t size);
// One byte of image number (taken modulo 5), four of key, two each of control width and
// height, then a scrambled picture file that TImageAdv::GrpFileRead reads as a ".bmp" file.
void runGrpFile(const uint8_t* data, size_t size);
// Four bytes of key, two each of control width and height, then a picture file of any format
// that GrpFileRead hands to Qt for image 0.
void runQtPicture(const uint8_t* data, size_t size);
// Four bytes of key, then a scrambled text file read by TImageAdv::TxtFileRead.
void runTxtFile(const uint8_t* data, size_t size);

}  // namespace kelvo::fuzz
