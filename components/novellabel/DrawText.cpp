#include "components/novellabel/DrawText.h"

#include "raster/text/QtText.h"

namespace kelvo {

void drawFormattedText(QPainter* painter, const QFont& font, const QString& text, TRect& r,
                       uint32_t flags, raster::qt::LayoutCache* cache) {
    if (flags & DT_CALCRECT) {
        raster::qt::calcTextRect(font, text, r, flags, cache);
        return;
    }
    if (painter)
        raster::qt::formatText(painter, font, text, raster::qt::toQRect(r), flags, cache);
}

}  // namespace kelvo
