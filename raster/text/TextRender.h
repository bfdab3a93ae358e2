#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "raster/Font.h"
#include "raster/Rect.h"
#include "raster/TextFlags.h"

namespace kelvo::raster {

// Which pixels of `area` a text covers: one byte per pixel, row by row.
struct TextMask {
    static constexpr uint8_t kNone = 0, kBackground = 1, kGlyph = 2;
    TRect area;
    std::vector<uint8_t> cells;
};

// A text's mask arrives in bands of rows, top to bottom, each valid only during the call, so a
// text pass needs a few MiB whatever its area.
using TextMaskSink = std::function<void(const TextMask&)>;

// The text is laid out by the platform's fonts (see QtText.cpp) without antialiasing, so every
// pixel is either glyph or not. Masks are clipped to `clip`. Without a GUI application there
// are no fonts and no masks. renderDrawText returns the text's height.
void renderTextOut(const Font& font, std::string_view text, int x, int y, bool opaque,
                   const TRect& clip, const TextMaskSink& sink);
int renderDrawText(const Font& font, std::string_view text, const TRect& rect, uint32_t flags,
                   bool opaque, const TRect& clip, const TextMaskSink& sink);
// The DT_CALCRECT rule: rect's right edge fits the widest line, its bottom the last line (a
// single line grows to fit; only word breaking is bounded by the width). Returns the height.
int measureDrawText(const Font& font, std::string_view text, TRect& rect, uint32_t flags);

}  // namespace kelvo::raster
