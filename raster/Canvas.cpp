#include "raster/Canvas.h"

#include "raster/Blit.h"
#include "raster/Pixel.h"
#include "raster/text/TextRender.h"

namespace kelvo::raster {
namespace {

// Writes a rendered mask: glyph cells in the text colour's pixel value tv, background cells
// (opaque mode only) in the background colour's bv.
void compose(Bitmap& bmp, const TextMask& mask, uint32_t tv, uint32_t bv) {
    for (int j = 0; j < mask.area.height(); ++j) {
        const uint8_t* m = mask.cells.data() + size_t(j) * size_t(mask.area.width());
        const int y = mask.area.Top + j;
        for (int i = 0; i < mask.area.width(); ++i) {
            if (m[i] == TextMask::kGlyph)
                bmp.setPixelValue(mask.area.Left + i, y, tv);
            else if (m[i] == TextMask::kBackground)
                bmp.setPixelValue(mask.area.Left + i, y, bv);
        }
    }
}

// Composes each band of a text's mask as it arrives.
TextMaskSink composer(Bitmap& bmp, Color text, Color bk) {
    const uint32_t tv = colorToPixel(text, bmp.format(), bmp.palette());
    const uint32_t bv = colorToPixel(bk, bmp.format(), bmp.palette());
    return [&bmp, tv, bv](const TextMask& mask) { compose(bmp, mask, tv, bv); };
}

}  // namespace

void Canvas::fillRect(const TRect& rect) {
    patBlt(bmp_, rect, rop::PATCOPY, brush_);
}

void Canvas::invertRect(const TRect& rect) {
    patBlt(bmp_, rect, rop::DSTINVERT, brush_);
}

void Canvas::copyRect(const TRect& dstRect, const Bitmap& src, const TRect& srcRect) {
    stretchBlt(bmp_, dstRect, &src, srcRect, copyMode_, &brush_);
}

void Canvas::draw(int x, int y, const Bitmap& src) {
    bitBlt(bmp_, x, y, src.width(), src.height(), &src, 0, 0, copyMode_, &brush_);
}

void Canvas::stretchDraw(const TRect& rect, const Bitmap& src) {
    stretchBlt(bmp_, rect, &src, src.bounds(), copyMode_, &brush_);
}

void Canvas::textOut(int x, int y, std::string_view text) {
    renderTextOut(font_, text, x, y, bkMode_ == BkMode::Opaque, bmp_.bounds(),
                  composer(bmp_, textColor_, bkColor_));
}

int Canvas::drawText(std::string_view text, TRect& rect, uint32_t flags) {
    if (flags & DT_CALCRECT)
        return measureDrawText(font_, text, rect, flags);
    return renderDrawText(font_, text, rect, flags, bkMode_ == BkMode::Opaque, bmp_.bounds(),
                          composer(bmp_, textColor_, bkColor_));
}

int Canvas::textWidth(std::string_view text) {
    TRect r;
    measureDrawText(font_, text, r, DT_CALCRECT | DT_NOPREFIX);
    return r.width();
}

int Canvas::textHeight(std::string_view text) {
    TRect r;
    return measureDrawText(font_, text, r, DT_CALCRECT | DT_NOPREFIX);
}

}  // namespace kelvo::raster
