#include <algorithm>
#include <string_view>
#include <thread>

#include "components/splpaint/LevelBytes.h"
#include "components/splpaint/SplPaint.h"

namespace kelvo {

using raster::Bitmap;
using raster::CanvasLock;

bool TSplPaint::prepareLevelPass() {
    if (BkGnd.empty())
        DrawToBkGnd(true);
    return is24(BkGnd);
}

bool TSplPaint::ContrastScreen(int level) {
    if (!prepareLevelPass())
        return false;
    CanvasLock lock(canvas());
    if (level == 100)
        return true;
    CanvasLock bufferLock(BkGnd.canvas());
    const size_t bytes = size_t(BkGnd.width()) * 3;
    for (int y = 0; y < BkGnd.height(); ++y)
        contrastBytes(BkGnd.row(y), bytes, level);
    return true;
}

bool TSplPaint::ContrastScreen(int level, const TRect& rect) {
    if (!prepareLevelPass())
        return false;
    CanvasLock lock(canvas());
    {
        CanvasLock bufferLock(BkGnd.canvas());
        // Rows Top..Bottom both included; columns Left up to Right.
        const int top = std::max(rect.Top, 0);
        const int bottom = std::min(rect.Bottom, BkGnd.height() - 1);
        const int left = std::max(rect.Left, 0);
        const int right = std::min(rect.Right, BkGnd.width());
        if (left < right) {
            for (int y = top; y <= bottom; ++y)
                contrastBytes(BkGnd.row(y) + size_t(left) * 3, size_t(right - left) * 3, level);
        }
    }
    // Lets a thread waiting for the control's canvas have its turn.
    std::this_thread::yield();
    return true;
}

bool TSplPaint::RGBScreen(int offset) {
    if (!prepareLevelPass())
        return false;
    CanvasLock lock(canvas());
    CanvasLock bufferLock(BkGnd.canvas());
    const size_t bytes = size_t(BkGnd.width()) * 3;
    for (int y = 0; y < BkGnd.height(); ++y)
        offsetBytes(BkGnd.row(y), bytes, offset);
    return true;
}

void TSplPaint::DoDrawText(int target, const TRect& rect, const std::string& text,
                           const raster::Font* font, bool centre) {
    if (target != 0 && target != 1)
        return;
    raster::Canvas& c = target == 0 ? canvas() : BkGnd.canvas();
    CanvasLock lock(c);
    c.setBkMode(raster::BkMode::Transparent);
    const raster::Font f = font ? *font : textFont();
    // The text ends at its first NUL, as a zero-terminated string does.
    const std::string utf8 = codePage_.toUtf8(std::string_view(text).substr(0, text.find('\0')));
    c.setFont(f);
    c.setTextColor(raster::clBlack);
    const uint32_t flags =
        DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | (centre ? uint32_t(DT_CENTER) : 0u);
    TRect shadow = rect;
    c.drawText(utf8, shadow, flags);
    // Selecting the font again brings back its own colour.
    c.setFont(f);
    TRect face = rect.inflated(2);
    c.drawText(utf8, face, flags);
    if (target == 0)
        screenChanged();
}

}  // namespace kelvo
