#pragma once

#include <QString>
#include <cstdint>

#include "raster/Rect.h"
#include "raster/TextFlags.h"

class QFont;
class QPainter;

namespace kelvo {
namespace raster::qt {
class LayoutCache;
}

// Draws `text` into `r` as the formatted-text call does (raster::qt::formatText), in the
// painter's pen. With
// DT_CALCRECT nothing is drawn (painter may be null) and `r` becomes the text's bounds: the
// right edge fits the widest line and the bottom the last line; left and top stay.
void drawFormattedText(QPainter* painter, const QFont& font, const QString& text, TRect& r,
                       uint32_t flags, raster::qt::LayoutCache* cache = nullptr);

}  // namespace kelvo
