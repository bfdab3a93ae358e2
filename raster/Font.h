#pragma once

#include <string>

#include "raster/Color.h"

namespace kelvo::raster {

// What a canvas needs to know of a font. Text is UTF-8.
struct Font {
    std::string name = "DejaVu Sans";
    int pixelHeight = 16;  // the character cell's height in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Color color = clBlack;
    bool operator==(const Font&) const = default;
};

}  // namespace kelvo::raster
