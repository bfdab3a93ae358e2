#include <algorithm>
#include <string_view>

#include "components/imageadv/ImageAdv.h"
#include "components/imageadv/MenuLayout.h"
#include "raster/Blit.h"
#include "raster/Pixel.h"

namespace kelvo {

using raster::Bitmap;
using raster::BkMode;
using raster::Canvas;
using raster::Color;

namespace {

// Tabs are expanded in every pass (the coloured one too), so text, shadow and mask line up.
constexpr uint32_t kShadowFlags = DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK;
constexpr uint32_t kTextFlags = DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK;

Color textColor(Color c) {
    return c == 0 ? raster::clWhite : c;
}

// Text stops at its first NUL, as a zero-terminated string does.
std::string_view untilNul(const std::string& text) {
    return std::string_view(text.data(), std::min(text.size(), text.find('\0')));
}

// The two compositions with WorkBmp for an indexed target, in raw pixel values: the mask's white
// ANDs with all bits set and its black with none, the text pass ORs the nearest entry of its
// colour. Blitting the 24-bit mask would translate white to the palette's first white entry,
// which an AND would then stamp over every other pixel.
void andMaskIndexed(Bitmap& target, const Bitmap& mask) {
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x)
            if (mask.pixel(x, y) != raster::clWhite)
                target.setPixelValue(x, y, 0);
}

void orTextIndexed(Bitmap& target, const Bitmap& text) {
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const Color c = text.pixel(x, y);
            if (c != raster::clBlack)
                target.setPixelValue(
                    x, y,
                    target.pixelValue(x, y) |
                        raster::colorToPixel(c, target.format(), target.palette()));
        }
}

}  // namespace

void TImageAdv::NovelTextOut(int n, int x, int y, const std::string& text, raster::Font* font) {
    Bitmap* b = n >= 0 ? canvasImage(n, false) : nullptr;
    if (!b || !font)
        return;
    font->color = raster::clWhite;
    Canvas& c = b->canvas();
    c.setFont(*font);
    c.setBkMode(BkMode::Transparent);
    c.textOut(x, y, codePage_.toUtf8(untilNul(text)));
    changed(n);
}

void TImageAdv::NovelDrawText(Canvas* canvas, const TRect* rect, const std::string& text,
                              const raster::Font* font, bool shadow, Color color) {
    if (!canvas || !rect || !font)
        return;
    const std::string utf8 = codePage_.toUtf8(untilNul(text));
    canvas->setFont(*font);
    canvas->setBkMode(BkMode::Transparent);
    if (shadow) {
        canvas->setTextColor(raster::clBlack);
        TRect r = *rect;
        r.offset(1, 1);
        canvas->drawText(utf8, r, kShadowFlags);
    }
    canvas->setTextColor(textColor(color));
    TRect r = *rect;
    canvas->drawText(utf8, r, kTextFlags);
    update();
}

void TImageAdv::NovelDrawText(Bitmap* target, const TRect* rect, const std::string& text,
                              const raster::Font* font, bool shadow, Color color) {
    if (!target || !rect || !font || target->empty())
        return;
    const std::string utf8 = codePage_.toUtf8(untilNul(text));
    if (!WorkBmp.setSize(target->width(), target->height()))
        return;
    Canvas& work = WorkBmp.canvas();
    Canvas& dst = target->canvas();
    work.setFont(*font);
    work.setBrush(raster::Brush::solid(raster::clWhite));
    work.fillRect(WorkBmp.bounds());
    work.setBkMode(BkMode::Opaque);
    work.setBkColor(raster::clWhite);
    work.setTextColor(raster::clBlack);
    dst.setCopyMode(raster::rop::SRCAND);
    const bool indexed = raster::isIndexed(target->format());
    auto andMask = [&] {
        if (indexed)
            andMaskIndexed(*target, WorkBmp);
        else
            dst.draw(0, 0, WorkBmp);
    };
    if (shadow) {
        TRect r = *rect;
        r.offset(2, 2);
        work.drawText(utf8, r, kShadowFlags);
        andMask();
    }
    TRect r = *rect;
    work.drawText(utf8, r, kShadowFlags);
    andMask();

    work.setBrush(raster::Brush::solid(raster::clBlack));
    work.fillRect(WorkBmp.bounds());
    work.setBkMode(BkMode::Opaque);
    work.setBkColor(raster::clBlack);
    work.setTextColor(textColor(color));
    r = *rect;
    work.drawText(utf8, r, kTextFlags);
    dst.setCopyMode(raster::rop::SRCPAINT);
    if (indexed)
        orTextIndexed(*target, WorkBmp);
    else
        dst.draw(0, 0, WorkBmp);
    update();
}

void TImageAdv::drawChoice(const TRect& r, const std::string& text, int k, bool shadow,
                           int highlight, Color color) {
    Bitmap* picture = canvasImage(0, false);
    if (text.empty() || !picture)
        return;
    Canvas& c = picture->canvas();
    const raster::Font font = textFont();
    if (highlight & (1 << (k - 1)))
        NovelDrawText(&c, &r, text, &font, shadow, color);
    else if (!(highlight & 64))
        NovelDrawText(&c, &r, text, &font, shadow, 0);
}

void TImageAdv::NovelSelect(const std::string& title, const std::string& c1, const std::string& c2,
                            const std::string& c3, const std::string& c4, bool shadow,
                            int highlight, Color color) {
    const int w = width(), h = height();
    const int n = menu::selectCount(c3, c4);
    Bitmap* picture = canvasImage(0, false);
    if (!picture)
        return;
    Canvas& c = picture->canvas();
    const TRect titleRect = menu::selectTitle(w, h);
    const raster::Font font = textFont();
    if (!title.empty())
        NovelDrawText(&c, &titleRect, title, &font, shadow, 0);
    const std::string* answers[] = {&c1, &c2, &c3, &c4};
    for (int k = 1; k <= n; ++k)
        drawChoice(menu::selectAnswer(w, h, n, k), *answers[k - 1], k, shadow, highlight, color);
    changed(0);
}

int TImageAdv::NovelSelHitRect(int count, int x, int y) const {
    return menu::selectHit(width(), height(), count, x, y);
}

void TImageAdv::NovelOption(const std::string& o1, const std::string& o2, const std::string& o3,
                            const std::string& o4, const std::string& o5, const std::string& o6,
                            bool shadow, int highlight, Color color) {
    const int w = width(), h = height();
    const int n = menu::optionCount(o3, o4, o5, o6);
    if (!canvasImage(0, false))
        return;
    const std::string* options[] = {&o1, &o2, &o3, &o4, &o5, &o6};
    for (int k = 1; k <= n; ++k)
        drawChoice(menu::option(w, h, n, k), *options[k - 1], k, shadow, highlight, color);
    changed(0);
}

int TImageAdv::NovelOptHitRect(int count, int x, int y) const {
    return menu::optionHit(width(), height(), count, x, y);
}

}  // namespace kelvo
