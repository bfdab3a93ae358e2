#include "components/splpaint/SplPaint.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>

#include "raster/Blit.h"
#include "raster/QtImage.h"
#include "raster/codec/Bmp.h"

namespace kelvo {

using raster::Bitmap;
using raster::CanvasLock;
using raster::PixelFormat;
namespace rop = raster::rop;

namespace {

// The colour of a background made up for sprites drawn before any was loaded.
constexpr raster::Color kDefaultBackground = 0x008000;

// Clears the flag on every way out, a failed read included.
class LoadingScope {
  public:
    explicit LoadingScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~LoadingScope() { flag_ = false; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

  private:
    bool& flag_;
};

void setLoadedRects(TpbSplite& s) {
    s.ImageRect = s.Image.bounds();
    s.BaseRect = s.OldPosRect = s.PosRect = s.ImageRect;
}

// Image and mask take their new sizes together or, where a bitmap cannot have one, neither
// does. Past that check only memory can run out; each then keeps the size it has, and blits
// clip to it.
bool resizeSprite(TpbSplite& s, int imageW, int imageH, int maskW, int maskH) {
    return Bitmap::check(imageW, imageH, s.Image.format()) &&
           Bitmap::check(maskW, maskH, s.Mask.format()) && s.Image.setSize(imageW, imageH) &&
           s.Mask.setSize(maskW, maskH);
}

bool loadedSizesAgree(const TpbSplite& s) {
    return !s.Image.empty() && s.Mask.width() == s.Image.width() &&
           s.Mask.height() == s.Image.height();
}

// Where the mask is white the destination keeps its pixel (AND white, then OR the black image
// pixel); where it is black the destination becomes the image pixel.
void composeSprite(Bitmap& dst, const TpbSplite& s) {
    raster::stretchBlt(dst, s.PosRect, &s.Mask, s.ImageRect, rop::SRCAND);
    raster::stretchBlt(dst, s.PosRect, &s.Image, s.ImageRect, rop::SRCPAINT);
}

}  // namespace

TSplPaint::TSplPaint(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    pump_ = [] { QCoreApplication::processEvents(); };
    loadPatternSet(0);
}

TSplPaint::~TSplPaint() = default;

TpbSplite* TSplPaint::slot(int index) {
    return index >= 0 && index < kSpriteCount ? &Splites[size_t(index)] : nullptr;
}

const TpbSplite* TSplPaint::slot(int index) const {
    return index >= 0 && index < kSpriteCount ? &Splites[size_t(index)] : nullptr;
}

bool TSplPaint::is24(const Bitmap& b) const {
    return !b.empty() && b.format() == PixelFormat::Pf24;
}

// A hidden control gets no resize events; the surface catches up when it is asked for.
Bitmap& TSplPaint::surface() {
    // Under the canvas's lock: a thread drawing under it must not see the pixels replaced.
    CanvasLock lock(surface_.canvas());
    // A control larger than a bitmap can be gets no surface: drawing on it then does nothing.
    if ((surface_.width() != width() || surface_.height() != height()) &&
        !surface_.setSize(width(), height()))
        surface_ = Bitmap();
    return surface_;
}

void TSplPaint::screenChanged() {
    if (!painting_)
        update();
}

void TSplPaint::paintEvent(QPaintEvent* event) {
    painting_ = true;
    emit OnPaint();
    painting_ = false;
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), raster::qt::toQImage(surface()), event->rect());
}

void TSplPaint::pump() const {
    if (pump_)
        pump_();
}

// --- Loads ---

bool TSplPaint::LoadSplite(int index, const std::string& imageFile, const std::string& maskFile) {
    TpbSplite* s = slot(index);
    if (!s)
        return false;
    LoadingScope loading(Loading);
    Bitmap image, mask;
    std::string error;
    if (!raster::readBmpFile(imageFile, image, error) ||
        !raster::readBmpFile(maskFile, mask, error))
        return false;
    s->Image = std::move(image);
    s->Mask = std::move(mask);
    setLoadedRects(*s);
    return loadedSizesAgree(*s);
}

bool TSplPaint::LoadSplite(int index, const std::string& imageFile) {
    TpbSplite* s = slot(index);
    if (!s)
        return false;
    LoadingScope loading(Loading);
    Bitmap image;
    std::string error;
    if (!raster::readBmpFile(imageFile, image, error))
        return false;
    s->Image = std::move(image);
    if (s->Image.format() != PixelFormat::Pf24)
        return false;
    Bitmap& img = s->Image;
    if (!s->Mask.reset(img.width(), img.height(), PixelFormat::Pf24))
        return false;
    for (int y = 0; y < img.height(); ++y) {
        uint8_t* p = img.row(y);
        uint8_t* m = s->Mask.row(y);
        for (int x = 0; x < img.width(); ++x, p += 3, m += 3) {
            const bool key = p[0] == 0x00 && p[1] == 0xFF && p[2] == 0x00;
            if (key)
                p[0] = p[1] = p[2] = 0;
            m[0] = m[1] = m[2] = key ? 0xFF : 0x00;
        }
    }
    setLoadedRects(*s);
    return loadedSizesAgree(*s);
}

void TSplPaint::takeBackground(bool toBkGnd, const std::function<void(Bitmap&)>& assign) {
    if (toBkGnd)
        assign(BkGnd);
    assign(OrgBkGnd);
    assign(Temp);
    ScreenRect = OrgBkGnd.bounds();
    resize(BkGnd.width(), BkGnd.height());
}

bool TSplPaint::LoadBkGnd(const std::string& fileName, bool toBkGnd, int) {
    LoadingScope loading(Loading);
    Bitmap picture;
    std::string error;
    if (!raster::readBmpFile(fileName, picture, error))
        return false;
    takeBackground(toBkGnd, [&picture](Bitmap& b) { b = picture; });
    return BkGnd.width() == OrgBkGnd.width() && BkGnd.height() == OrgBkGnd.height();
}

bool TSplPaint::SetBkGnd(const Bitmap* bmp, bool toBkGnd) {
    if (!bmp)
        return false;
    // Copy first: bmp may be one of the buffers it replaces.
    const Bitmap picture = *bmp;
    LoadingScope loading(Loading);
    takeBackground(toBkGnd, [&picture](Bitmap& b) { b = picture; });
    return BkGnd.width() == OrgBkGnd.width() && BkGnd.height() == OrgBkGnd.height();
}

// --- Moves and composition ---

void TSplPaint::MoveSplite(int index, const TRect& rect) {
    if (TpbSplite* s = slot(index)) {
        s->OldPosRect = s->PosRect;
        s->PosRect = rect;
    }
}

void TSplPaint::MoveSplite(int index, int x, int y) {
    if (TpbSplite* s = slot(index)) {
        s->OldPosRect = s->PosRect;
        s->PosRect.moveTo(x, y);
    }
}

void TSplPaint::MoveSplite2(int index, int dx, int dy) {
    if (TpbSplite* s = slot(index)) {
        s->OldPosRect = s->PosRect;
        s->PosRect.offset(dx, dy);
    }
}

void TSplPaint::DrawSplite(int index, bool alsoTemp) {
    const TpbSplite* s = slot(index);
    if (!s || !s->Visible)
        return;
    CanvasLock lock(canvas());
    if (BkGnd.empty()) {
        if (!BkGnd.reset(width(), height(), PixelFormat::Pf24))
            return;
        raster::fillRect(BkGnd, BkGnd.bounds(), kDefaultBackground);
        OrgBkGnd = BkGnd;
    }
    composeSprite(BkGnd, *s);
    if (alsoTemp)
        composeSprite(Temp, *s);
}

void TSplPaint::DrawAll(int skip) {
    PatchSplite();
    for (int i = 0; i < kSpriteCount; ++i)
        if (i != skip)
            DrawSplite(i, true);
}

void TSplPaint::PatchSplite(int index) {
    const TpbSplite* s = slot(index);
    if (!s)
        return;
    CanvasLock lock(canvas());
    // The same rectangle on both sides: a mirrored PosRect erases the area it covers.
    raster::stretchBlt(BkGnd, s->PosRect, &OrgBkGnd, s->PosRect, rop::SRCCOPY);
    raster::stretchBlt(Temp, s->PosRect, &OrgBkGnd, s->PosRect, rop::SRCCOPY);
}

void TSplPaint::PatchSplite() {
    CanvasLock lock(canvas());
    raster::bitBlt(BkGnd, 0, 0, width(), height(), &OrgBkGnd, 0, 0, rop::SRCCOPY);
    raster::bitBlt(Temp, 0, 0, width(), height(), &OrgBkGnd, 0, 0, rop::SRCCOPY);
}

// --- Accessors ---

int TSplPaint::GetWidth(int index) const {
    const TpbSplite* s = slot(index);
    return s ? s->Image.width() : 0;
}

int TSplPaint::GetHeight(int index) const {
    const TpbSplite* s = slot(index);
    return s ? s->Image.height() : 0;
}

void TSplPaint::SetWidth(int index, int value) {
    if (TpbSplite* s = slot(index))
        resizeSprite(*s, value, s->Image.height(), value, s->Mask.height());
}

void TSplPaint::SetHeight(int index, int value) {
    if (TpbSplite* s = slot(index))
        resizeSprite(*s, s->Image.width(), value, s->Mask.width(), value);
}

bool TSplPaint::GetVisible(int index) const {
    const TpbSplite* s = slot(index);
    return s && s->Visible;
}

void TSplPaint::SetVisible(int index, bool visible) {
    if (TpbSplite* s = slot(index))
        s->Visible = visible;
}

// --- Buffer transfers ---

void TSplPaint::DrawToScreen(bool fromBkGnd) {
    DrawToScreen(fromBkGnd, 0, 0);
}

void TSplPaint::DrawToScreen(bool fromBkGnd, int x, int y) {
    CanvasLock lock(canvas());
    const Bitmap& src = fromBkGnd ? BkGnd : Temp;
    if (src.empty())
        return;
    raster::bitBlt(surface(), x, y, src.width(), src.height(), &src, 0, 0, rop::SRCCOPY);
    screenChanged();
}

void TSplPaint::CopyRectToScreen(bool fromBkGnd) {
    const Bitmap& src = fromBkGnd ? BkGnd : Temp;
    CopyRectToScreen(fromBkGnd, src.bounds());
}

void TSplPaint::CopyRectToScreen(bool fromBkGnd, const TRect& rect) {
    CanvasLock lock(canvas());
    const Bitmap& src = fromBkGnd ? BkGnd : Temp;
    if (src.empty())
        return;
    raster::stretchBlt(surface(), rect, &src, rect, rop::SRCCOPY);
    screenChanged();
}

void TSplPaint::DrawToBkGnd(bool fromScreen) {
    if (!is24(BkGnd))
        return;
    CanvasLock lock(canvas());
    if (fromScreen)
        raster::bitBlt(BkGnd, 0, 0, BkGnd.width(), BkGnd.height(), &surface(), 0, 0, rop::SRCCOPY);
    else
        raster::bitBlt(BkGnd, 0, 0, Temp.width(), Temp.height(), &Temp, 0, 0, rop::SRCCOPY);
}

void TSplPaint::CopyRectToBkGnd(bool fromScreen, const TRect& rect) {
    if (BkGnd.empty())
        DrawToTemp();
    if (!is24(BkGnd))
        return;
    CanvasLock lock(canvas());
    // The bottom row belongs to the area, the right column does not.
    const TRect area{rect.Left, rect.Top, rect.Right, saturatedAdd(rect.Bottom, 1)};
    raster::stretchBlt(BkGnd, area, fromScreen ? &surface() : &Temp, area, rop::SRCCOPY);
}

void TSplPaint::DrawToTemp() {
    CopyRectToTemp(BkGnd.bounds());
}

void TSplPaint::CopyRectToTemp() {
    CopyRectToTemp(BkGnd.bounds());
}

void TSplPaint::CopyRectToTemp(const TRect& rect) {
    if (Temp.empty())
        DrawToBkGnd(true);
    if (!is24(BkGnd))
        return;
    CanvasLock lock(canvas());
    if (!Temp.setSize(BkGnd.width(), BkGnd.height()) || !Temp.setFormat(PixelFormat::Pf24))
        return;
    raster::stretchBlt(Temp, rect, &BkGnd, rect, rop::SRCCOPY);
}

void TSplPaint::FillBkBlack(bool all) {
    fillScreenRect(BkGnd, BlackBrush);
    if (all) {
        fillScreenRect(OrgBkGnd, BlackBrush);
        fillScreenRect(Temp, BlackBrush);
    }
}

void TSplPaint::FillBkWhite(bool all) {
    fillScreenRect(BkGnd, WhiteBrush);
    if (all) {
        fillScreenRect(OrgBkGnd, WhiteBrush);
        fillScreenRect(Temp, WhiteBrush);
    }
}

void TSplPaint::fillScreenRect(Bitmap& dst, const raster::Brush& brush) {
    raster::patBlt(dst, ScreenRect, rop::PATCOPY, brush);
}

void TSplPaint::copyScreenRect(Bitmap& dst, const Bitmap& src, uint32_t op) {
    raster::stretchBlt(dst, ScreenRect, &src, ScreenRect, op);
}

}  // namespace kelvo
