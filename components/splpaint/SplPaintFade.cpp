#include <QFile>
#include <cstring>
#include <span>

#include "components/splpaint/DissolveRows.h"
#include "components/splpaint/SplPaint.h"
#include "raster/Blit.h"
#include "raster/codec/Bmp.h"

// The pattern bitmaps are compiled into the components library; a static library's resources
// must be registered by hand, and only from the global namespace.
static void registerPatternResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(splpaint_brushes);
        return true;
    }();
    (void)registered;
}

namespace kelvo {

using raster::Bitmap;
using raster::Brush;
namespace rop = raster::rop;

namespace {

// Kinds of transition as FadeKind holds them; 4 is never used.
enum Kind : uint8_t {
    kNone = 0,
    kSpriteIn = 1,
    kSpriteOut = 2,
    kSpriteCross = 3,
    kFromBlack = 5,
    kToBlack = 6,
    kFromWhite = 7,
    kToWhite = 8,
    kFromWhiteContrast = 9,
    kToBlackContrast = 10,
    kFromBlackContrast = 11,
    kToWhiteContrast = 12,
    kFromBlackRGB = 13,
    kToBlackRGB = 14,
    kFromWhiteRGB = 15,
    kToWhiteRGB = 16,
    kSlitInLeft = 17,
    kSlitInRight = 18,
    kSlitOutLeft = 19,
    kSlitOutRight = 20,
};

// A dissolve shows frames k = 0..7 and then its finished picture.
constexpr int kPatternFrames = 8;

// Brightness and offset ramps: the level moves by `step` each call and the ramp goes on while
// it stays beyond `limit` (below it when rising, above it when falling).
struct Ramp {
    int start;
    int step;
    int limit;
    bool contrast;
    bool continues(int level) const { return step < 0 ? level > limit : level < limit; }
};

Ramp rampOf(uint8_t kind) {
    switch (kind) {
        case kFromWhiteContrast:
            return {400, -20, 90, true};
        case kToBlackContrast:
            return {100, -5, 0, true};
        case kFromBlackContrast:
            return {0, 5, 100, true};
        case kToWhiteContrast:
            return {100, 20, 400, true};
        case kFromBlackRGB:
            return {-255, 20, 0, false};
        case kToBlackRGB:
            return {0, -20, -255, false};
        case kFromWhiteRGB:
            return {255, -20, 0, false};
        default:
            return {0, 20, 255, false};
    }
}

// The slit wave: six strips 16 pixels apart whose half-widths grow as the wave passes, over a
// span of 640 pixels whatever the picture's width.
constexpr int kSlitSpan = 640;
constexpr int kSlitPitch = 16;
constexpr int kSlitHalfWidths[6] = {1, 2, 4, 6, 8, 10};

// Waits for a load by letting the host run this many times at most.
constexpr int kLoadingWaits = 100;

void copyInto(Bitmap& dst, const TRect& dstRect, const Bitmap& src, const TRect& srcRect,
              uint32_t op) {
    raster::stretchBlt(dst, dstRect, &src, srcRect, op);
}

// All of src onto dst at (x, y), at src's own size.
void drawAt(Bitmap& dst, int x, int y, const Bitmap& src, uint32_t op = rop::SRCCOPY) {
    raster::bitBlt(dst, x, y, src.width(), src.height(), &src, 0, 0, op);
}

void applyPattern(Bitmap& dst, const Brush& pattern) {
    raster::patBlt(dst, dst.bounds(), rop::DSTANDPAT, pattern);
}

std::string patternResource(int set, int k) {
    return ":/brushes/BRUSH" + (set == 0 ? std::string() : std::to_string(set)) +
           std::to_string(k) + ".bmp";
}

bool readResourceBmp(const std::string& name, Bitmap& out) {
    QFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    std::string error;
    return raster::readBmp(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), out,
        error);
}

}  // namespace

// --- Patterns ---

bool TSplPaint::loadPatternSet(int set) {
    if (set < 0 || set >= kPatternSets)
        return false;
    registerPatternResources();
    std::array<Bitmap, kPatternCount> patterns, inverses;
    for (int k = 0; k < kPatternCount; ++k) {
        if (!readResourceBmp(patternResource(set, k), patterns[size_t(k)]))
            return false;
        inverses[size_t(k)] = patterns[size_t(k)];
        inverses[size_t(k)].canvas().invertRect({0, 0, 8, 8});
    }
    PatternBrush = std::move(patterns);
    InvPatternBrush = std::move(inverses);
    return true;
}

bool TSplPaint::ChangeFadeBrush(int set) {
    return loadPatternSet(set);
}

Brush TSplPaint::pattern(int k) const {
    return Brush::pattern(PatternBrush[size_t(k & 7)]);
}

Brush TSplPaint::inversePattern(int k) const {
    return Brush::pattern(InvPatternBrush[size_t(k & 7)]);
}

// --- Starters ---

bool TSplPaint::spriteWorkBitmaps(int from, int to) {
    const TpbSplite& f = Splites[size_t(from)];
    const TpbSplite& t = Splites[size_t(to)];
    return Work1.setSize(f.Image.width(), f.Image.height()) &&
           Work2.setSize(f.Image.width(), f.Image.height()) &&
           Work3.setSize(t.Image.width(), t.Image.height()) &&
           Work4.setSize(t.Image.width(), t.Image.height());
}

void TSplPaint::FadeInSplite(int index) {
    if (!startable() || !slot(index))
        return;
    if (!spriteWorkBitmaps(index, index))
        return;
    FadeTarget = FadeFrom = index;
    // Work2: the sprite over the background under its position.
    const TpbSplite& s = Splites[size_t(index)];
    const TRect& i = s.ImageRect;
    copyInto(Work2, i, OrgBkGnd, s.PosRect, rop::SRCCOPY);
    copyInto(Work2, i, s.Mask, i, rop::SRCAND);
    copyInto(Work2, i, s.Image, i, rop::SRCPAINT);
    FadeStep = 0;
    FadeKind = kSpriteIn;
}

void TSplPaint::FadeOutSplite(int index) {
    if (!startable() || !slot(index))
        return;
    FadeInSplite(index);
    if (FadeKind == kSpriteIn)
        FadeKind = kSpriteOut;
}

void TSplPaint::FadeSplite(int from, int to) {
    if (!startable() || !slot(from) || !slot(to))
        return;
    if (!spriteWorkBitmaps(from, to))
        return;
    FadeFrom = from;
    FadeTarget = to;
    // Work1 and Work2: sprite `from`, respectively `to`, over the background under `to`.
    const TpbSplite& f = Splites[size_t(from)];
    const TpbSplite& t = Splites[size_t(to)];
    copyInto(Work1, t.ImageRect, OrgBkGnd, t.PosRect, rop::SRCCOPY);
    copyInto(Work1, f.ImageRect, f.Mask, f.ImageRect, rop::SRCAND);
    copyInto(Work1, f.ImageRect, f.Image, f.ImageRect, rop::SRCPAINT);
    copyInto(Work2, t.ImageRect, OrgBkGnd, t.PosRect, rop::SRCCOPY);
    copyInto(Work2, t.ImageRect, t.Mask, t.ImageRect, rop::SRCAND);
    copyInto(Work2, t.ImageRect, t.Image, t.ImageRect, rop::SRCPAINT);
    FadeStep = 0;
    FadeKind = kSpriteCross;
}

bool TSplPaint::startWholePicture(uint8_t kind, int step) {
    if (!Work3.setSize(BkGnd.width(), BkGnd.height()) ||
        !Work4.setSize(BkGnd.width(), BkGnd.height()))
        return false;
    FadeStep = step;
    FadeKind = kind;
    return true;
}

void TSplPaint::FadeFromBlack() {
    if (startable())
        startWholePicture(kFromBlack, 0);
}

void TSplPaint::FadeToBlack() {
    if (!startable() || !startWholePicture(kToBlack, 0))
        return;
    for (Bitmap* b : {&Work4, &Work3, &BkGnd, &Temp})
        fillScreenRect(*b, BlackBrush);
}

void TSplPaint::FadeFromWhite() {
    if (startable())
        startWholePicture(kFromWhite, 0);
}

void TSplPaint::FadeToWhite() {
    if (!startable() || !startWholePicture(kToWhite, 0))
        return;
    for (Bitmap* b : {&Work4, &Work3, &BkGnd, &Temp})
        fillScreenRect(*b, WhiteBrush);
}

void TSplPaint::FadeFromWhiteContrast() {
    if (!startable() || !startWholePicture(kFromWhiteContrast, rampOf(kFromWhiteContrast).start))
        return;
    copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
}

void TSplPaint::FadeToBlackContrast() {
    if (startable())
        startWholePicture(kToBlackContrast, rampOf(kToBlackContrast).start);
}

void TSplPaint::FadeFromBlackContrast() {
    if (startable())
        startWholePicture(kFromBlackContrast, rampOf(kFromBlackContrast).start);
}

void TSplPaint::FadeToWhiteContrast() {
    if (startable())
        startWholePicture(kToWhiteContrast, rampOf(kToWhiteContrast).start);
}

void TSplPaint::FadeFromBlackRGB() {
    if (startable())
        startWholePicture(kFromBlackRGB, rampOf(kFromBlackRGB).start);
}

void TSplPaint::FadeToBlackRGB() {
    if (startable())
        startWholePicture(kToBlackRGB, rampOf(kToBlackRGB).start);
}

void TSplPaint::FadeFromWhiteRGB() {
    if (!startable() || !startWholePicture(kFromWhiteRGB, rampOf(kFromWhiteRGB).start))
        return;
    copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
}

void TSplPaint::FadeToWhiteRGB() {
    if (startable())
        startWholePicture(kToWhiteRGB, rampOf(kToWhiteRGB).start);
}

void TSplPaint::SlitInLeft() {
    if (startable())
        startWholePicture(kSlitInLeft, 0);
}

void TSplPaint::SlitInRight() {
    if (startable())
        startWholePicture(kSlitInRight, 0);
}

void TSplPaint::SlitOutLeft() {
    if (startable())
        startWholePicture(kSlitOutLeft, 0);
}

void TSplPaint::SlitOutRight() {
    if (startable())
        startWholePicture(kSlitOutRight, 0);
}

// --- Frames ---

bool TSplPaint::FadeExecute(bool processMessages) {
    if (FadeKind == kNone)
        return false;
    for (int i = 0; i < kLoadingWaits && Loading; ++i)
        pump();
    bool more = false;
    switch (FadeKind) {
        case kSpriteIn:
        case kSpriteOut:
            more = spriteFrame();
            break;
        case kSpriteCross:
            more = crossFrame();
            break;
        case kFromBlack:
        case kToBlack:
        case kFromWhite:
        case kToWhite:
            more = patternFrame();
            break;
        case kSlitInLeft:
        case kSlitInRight:
        case kSlitOutLeft:
        case kSlitOutRight:
            more = slitFrame(processMessages);
            break;
        default:
            if (FadeKind >= kFromWhiteContrast && FadeKind <= kToWhiteRGB)
                more = rampFrame();
            break;
    }
    if (processMessages)
        pump();
    if (!more)
        FadeKind = FadeStep = 0;
    return more;
}

// Frame k shows the background where P(k) is white and the sprite where it is black; a dissolve
// out runs the patterns backwards and ends on the bare background.
bool TSplPaint::spriteFrame() {
    // FadeTarget is a public field; whatever it holds, the slot stays inside the array.
    const TpbSplite& t = Splites[size_t(FadeTarget & 63)];
    const TRect& i = t.ImageRect;
    const TRect& r = t.PosRect;
    const int s = FadeStep;
    copyInto(Work3, i, OrgBkGnd, r, rop::SRCCOPY);
    if (s >= kPatternFrames) {
        if (FadeKind == kSpriteIn)
            copyInto(Work3, i, Work2, i, rop::SRCCOPY);
        drawAt(BkGnd, r.Left, r.Top, Work3);
        return false;
    }
    const int k = FadeKind == kSpriteIn ? s : 7 - s;
    if (s == 0)
        restoreWholeBackground();
    applyPattern(Work3, pattern(k));
    if (FadeKind == kSpriteIn) {
        drawAt(Work4, 0, 0, Work2);
        applyPattern(Work4, inversePattern(k));
    } else {
        const Brush q = inversePattern(k);
        raster::bitBlt(Work4, 0, 0, Work2.width(), Work2.height(), &Work2, 0, 0, rop::MERGECOPY,
                       &q);
    }
    drawAt(Work3, 0, 0, Work4, rop::SRCPAINT);
    FadeStep = s + 1;
    drawAt(BkGnd, r.Left, r.Top, Work3);
    return true;
}

// All of OrgBkGnd, not only ScreenRect: a background made up by the first DrawSplite has no
// ScreenRect, and the other sprites must still go.
void TSplPaint::restoreWholeBackground() {
    drawAt(BkGnd, 0, 0, OrgBkGnd);
}

// Sprite `to` where the pattern is white, sprite `from` where it is black, running the patterns
// backwards so that the first frame is mostly `from`.
bool TSplPaint::crossFrame() {
    const TpbSplite& t = Splites[size_t(FadeTarget & 63)];
    const TRect& i = t.ImageRect;
    const TRect& r = t.PosRect;
    const int s = FadeStep;
    copyInto(Work3, i, Work2, i, rop::SRCCOPY);
    if (s >= kPatternFrames) {
        drawAt(BkGnd, r.Left, r.Top, Work3);
        return false;
    }
    const int k = 7 - s;
    if (s == 0)
        restoreWholeBackground();
    applyPattern(Work3, pattern(k));
    const Brush q = inversePattern(k);
    raster::bitBlt(Work4, 0, 0, Work1.width(), Work1.height(), &Work1, 0, 0, rop::MERGECOPY, &q);
    drawAt(Work3, 0, 0, Work4, rop::SRCPAINT);
    FadeStep = s + 1;
    drawAt(BkGnd, r.Left, r.Top, Work3);
    return true;
}

bool TSplPaint::patternFrame() {
    const int s = FadeStep;
    const bool from = FadeKind == kFromBlack || FadeKind == kFromWhite;
    const size_t rowBytes = size_t(ScreenRect.width()) * 3;
    if (FadeKind == kFromBlack || FadeKind == kToBlack) {
        if (s >= kPatternFrames) {
            copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
            if (FadeKind == kToBlack) {
                fillScreenRect(BkGnd, BlackBrush);
                fillScreenRect(OrgBkGnd, BlackBrush);
            }
            return false;
        }
        // BkGnd = OrgBkGnd AND the pattern.
        const Brush b = from ? inversePattern(s) : pattern(s);
        if (fusedFrames_ && fusable(ScreenRect, {&BkGnd, &OrgBkGnd})) {
            const PatternRows24 rows(b, ScreenRect.width());
            for (int y = 0; y < ScreenRect.height(); ++y)
                andRow(BkGnd.row(y), OrgBkGnd.row(y), rows.row(y), rowBytes);
        } else {
            copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
            raster::patBlt(BkGnd, ScreenRect, rop::DSTANDPAT, b);
        }
        FadeStep = s + 1;
        return true;
    }
    if (s >= kPatternFrames) {
        fillScreenRect(Work4, WhiteBrush);
        if (from) {
            copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
        } else {
            fillScreenRect(BkGnd, WhiteBrush);
            fillScreenRect(OrgBkGnd, WhiteBrush);
        }
        return false;
    }
    // Work4 = white AND the pattern; BkGnd = (BkGnd AND OrgBkGnd) OR NOT Work4.
    const Brush q = from ? inversePattern(s) : pattern(s);
    if (fusedFrames_ && fusable(ScreenRect, {&BkGnd, &OrgBkGnd, &Work4})) {
        const PatternRows24 rows(q, ScreenRect.width());
        for (int y = 0; y < ScreenRect.height(); ++y) {
            std::memcpy(Work4.row(y), rows.row(y), rowBytes);
            andOrNotRow(BkGnd.row(y), OrgBkGnd.row(y), rows.row(y), rowBytes);
        }
    } else {
        fillScreenRect(Work4, WhiteBrush);
        copyScreenRect(BkGnd, OrgBkGnd, rop::SRCAND);
        raster::patBlt(Work4, ScreenRect, rop::DSTANDPAT, q);
        copyScreenRect(BkGnd, Work4, rop::MERGEPAINT);
    }
    FadeStep = s + 1;
    return true;
}

bool TSplPaint::rampFrame() {
    const Ramp ramp = rampOf(FadeKind);
    FadeStep += ramp.step;
    copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
    if (ramp.contrast)
        ContrastScreen(FadeStep);
    else
        RGBScreen(FadeStep);
    if (ramp.continues(FadeStep))
        return true;
    switch (FadeKind) {
        case kToBlackContrast:
        case kToBlackRGB:
            fillScreenRect(BkGnd, BlackBrush);
            fillScreenRect(OrgBkGnd, BlackBrush);
            break;
        case kToWhiteContrast:
        case kToWhiteRGB:
            fillScreenRect(BkGnd, WhiteBrush);
            fillScreenRect(OrgBkGnd, WhiteBrush);
            break;
        default:
            copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
            break;
    }
    return false;
}

bool TSplPaint::slitFrame(bool processMessages) {
    const int s = FadeStep;
    const bool reveal = FadeKind == kSlitInLeft || FadeKind == kSlitInRight;
    const bool rightward = FadeKind == kSlitInLeft || FadeKind == kSlitOutLeft;
    if (s == 0) {
        if (reveal)
            fillScreenRect(BkGnd, BlackBrush);
        else
            copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
    }
    const int x0 = rightward ? kSlitPitch * (s + 1) : kSlitSpan - kSlitPitch * (s + 1);
    const int dir = rightward ? -1 : 1;
    for (int j = 0; j < 6; ++j) {
        const int x = x0 + dir * kSlitPitch * j;
        const int h = kSlitHalfWidths[j];
        const TRect strip{x - h, ScreenRect.Top, x + h, ScreenRect.Bottom};
        if (reveal)
            copyInto(BkGnd, strip, OrgBkGnd, strip, rop::SRCCOPY);
        else
            raster::patBlt(BkGnd, strip, rop::PATCOPY, BlackBrush);
    }
    FadeStep = s + 1;
    const int last = x0 + dir * 5 * kSlitPitch;
    if (rightward ? last < kSlitSpan : last > 0)
        return true;
    if (processMessages)
        pump();
    if (reveal)
        copyScreenRect(BkGnd, OrgBkGnd, rop::SRCCOPY);
    else
        fillScreenRect(BkGnd, BlackBrush);
    return false;
}

}  // namespace kelvo
