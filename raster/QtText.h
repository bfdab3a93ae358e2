#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>

#include "raster/Font.h"
#include "raster/Rect.h"
#include "raster/TextFlags.h"

// The bridge between the raster layer's text and Qt's fonts and layout.
namespace kelvo::raster::qt {

// Qt alignment and text flags for DT_ flags: always top-aligned, '&' marks the accelerator
// unless DT_NOPREFIX.
int textFlags(uint32_t dtFlags);
QFont toQFont(const Font& font);
inline QRect toQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.width(), r.height());
}
inline TRect fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}
// The DT_CALCRECT rule for a Qt font (see measureDrawText).
void calcTextRect(const QFont& font, const QString& text, TRect& r, uint32_t flags);

}  // namespace kelvo::raster::qt
