#pragma once

#include <QImage>

#include "raster/Bitmap.h"

// The bridge between bitmaps and Qt's images, for showing them and for picture formats that
// only Qt reads.
namespace kelvo::raster::qt {

// An RGB32 image of the bitmap's colours.
QImage toQImage(const Bitmap& bmp);
// Indexed images keep their indexes and colour table (8 or 1 bit); every other image becomes
// 24-bit. A null image gives an empty bitmap. An image the bitmap cannot hold leaves `out` as it
// was and says why.
SizeResult fromQImage(const QImage& img, Bitmap& out);

}  // namespace kelvo::raster::qt
