#include "components/DrawText.h"

#include <QPainter>

#include "raster/QtText.h"

namespace kelvo {

void drawFormattedText(QPainter* painter, const QFont& font, const QString& text, TRect& r,
                       uint32_t flags) {
    if (flags & DT_CALCRECT) {
        raster::qt::calcTextRect(font, text, r, flags);
        return;
    }
    if (!painter)
        return;
    painter->save();
    painter->setFont(font);
    const QRect target = raster::qt::toQRect(r);
    if (!(flags & DT_NOCLIP))
        painter->setClipRect(target, Qt::IntersectClip);
    painter->drawText(target, raster::qt::textFlags(flags), text);
    painter->restore();
}

}  // namespace kelvo
