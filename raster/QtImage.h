#pragma once

#include <QImage>
#include <string>

#include "raster/Bitmap.h"
#include "raster/codec/Bmp.h"

// The bridge between bitmaps and Qt's images, for showing them and for picture formats that
// only Qt reads.
namespace kelvo::raster::qt {

// An RGB32 image of the bitmap's colours.
QImage toQImage(const Bitmap& bmp);
// Indexed images keep their indexes and colour table (8 or 1 bit); every other image becomes
// 24-bit. A null image gives an empty bitmap. An image the bitmap cannot hold leaves `out` as it
// was and says why.
SizeResult fromQImage(const QImage& img, Bitmap& out);

// Reads a picture in any format Qt knows, as fromQImage converts it; BMP content, whatever the
// file's name, goes to readBmpFile. A picture whose size, as
// its header gives it, the bitmap cannot hold or whose decoded image would need more than
// maxPixelBytes is refused before it is decoded; Qt itself is held to the same allocation
// limit, and the decoded image is checked again. On failure `out` is unchanged and `error`
// says why.
bool readImageFile(const std::string& path, Bitmap& out, std::string& error,
                   int64_t maxPixelBytes = kBmpMaxPixelBytes);

}  // namespace kelvo::raster::qt
