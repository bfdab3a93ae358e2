#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "components/TextCodePage.h"
#include "raster/Bitmap.h"
#include "raster/Brush.h"
#include "raster/Canvas.h"
#include "raster/Font.h"

namespace kelvo {

// One sprite slot. Image is black wherever the sprite is transparent; Mask has Image's size,
// white where transparent and black where opaque. ImageRect is the source rectangle of every
// blit of the sprite; PosRect is where it is drawn (another size scales it). BaseRect and
// OldPosRect are kept for the owner; nothing here reads them.
struct TpbSplite {
    raster::Bitmap Image;
    raster::Bitmap Mask;
    TRect ImageRect;
    TRect BaseRect;
    TRect PosRect;
    TRect OldPosRect;
    bool Visible = true;
};

// Sprite painter: composes a background and up to 64 masked sprites off screen and runs
// nineteen step-wise transitions on the composition. The control's surface is a bitmap that
// its paint shows; the control never draws on it by itself. The owner connects OnPaint (emitted
// before every paint) and copies the composition there and after each change with DrawToScreen
// or CopyRectToScreen.
//
// Buffers: BkGnd is the composition, OrgBkGnd the clean background every erase and transition
// restores from, Temp a second buffer, Work1..Work4 belong to the transitions.
//
// A sprite index outside 0..63 does nothing (false or 0 where there is a result). Failures are
// reported by a false result, as for missing or unreadable files. Text ends at its first NUL;
// its bytes are read by the code page chosen with setCodePage (Shift-JIS unless the owner names
// another, UTF-8 after a byte-order mark).
class TSplPaint : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kSpriteCount = 64;
    static constexpr int kPatternCount = 8;
    static constexpr int kPatternSets = 4;

    explicit TSplPaint(QWidget* parent = nullptr);
    ~TSplPaint() override;

    // --- Loads, moves and composition ---

    // Image and mask from two BMP files. False when either file is missing or unreadable
    // (nothing changes then), or when the mask's size differs from the image's or the image is
    // empty (both bitmaps and all four rectangles are updated all the same).
    bool LoadSplite(int index, const std::string& imageFile, const std::string& maskFile);
    // A 24-bit BMP whose pure green (0, 255, 0) pixels are transparent. A picture of another
    // format is loaded but gets no mask, and the result is false.
    bool LoadSplite(int index, const std::string& imageFile);
    // Background from a BMP file into OrgBkGnd and Temp, and into BkGnd when toBkGnd. Sets
    // ScreenRect and resizes the control to BkGnd. True when BkGnd and OrgBkGnd have one size.
    // The last argument has no effect.
    bool LoadBkGnd(const std::string& fileName, bool toBkGnd, int unused = 0);
    // The same from a bitmap (copied, not kept); false for null.
    bool SetBkGnd(const raster::Bitmap* bmp, bool toBkGnd);

    void MoveSplite(int index, const TRect& rect);
    void MoveSplite(int index, int x, int y);
    void MoveSplite2(int index, int dx, int dy);
    // Masks a visible sprite onto BkGnd (and Temp); a missing BkGnd becomes a control-sized
    // green one first.
    void DrawSplite(int index, bool alsoTemp);
    // Restores the whole background, then draws every visible sprite but `skip` in index order.
    void DrawAll(int skip);
    // Erases one sprite (or everything) by restoring OrgBkGnd into BkGnd and Temp; a mirrored
    // PosRect restores the area it covers.
    void PatchSplite(int index);
    void PatchSplite();

    int GetWidth(int index) const;
    int GetHeight(int index) const;
    // Resize Image and Mask; ImageRect keeps the size of the last load.
    void SetWidth(int index, int value);
    void SetHeight(int index, int value);
    bool GetVisible(int index) const;
    void SetVisible(int index, bool visible);

    // --- Buffer transfers ---
    // Those marked 24-bit do nothing unless BkGnd is a non-empty 24-bit bitmap.

    void DrawToScreen(bool fromBkGnd);
    void DrawToScreen(bool fromBkGnd, int x, int y);
    void CopyRectToScreen(bool fromBkGnd);
    void CopyRectToScreen(bool fromBkGnd, const TRect& rect);
    // 24-bit. Captures the surface (or Temp) into BkGnd.
    void DrawToBkGnd(bool fromScreen);
    // 24-bit. Copies rect from the surface (or Temp) into BkGnd, its bottom row included.
    void CopyRectToBkGnd(bool fromScreen, const TRect& rect);
    // 24-bit. Temp becomes a 24-bit bitmap of BkGnd's size holding all of BkGnd (or rect).
    void DrawToTemp();
    void CopyRectToTemp();
    void CopyRectToTemp(const TRect& rect);
    // ScreenRect of BkGnd (with all, also of OrgBkGnd and Temp) black or white.
    void FillBkBlack(bool all);
    void FillBkWhite(bool all);

    // --- Colour effects and text ---

    // Every colour byte b of BkGnd becomes b * level / 100, clipped to 0..255 (a negative level
    // gives black). False, with nothing changed, unless BkGnd is 24-bit.
    bool ContrastScreen(int level);
    // The same on rows rect.Top..rect.Bottom (both included) and columns rect.Left up to but
    // excluding rect.Right, clipped to BkGnd.
    bool ContrastScreen(int level, const TRect& rect);
    // Every colour byte b of BkGnd becomes b + offset, clipped to 0..255.
    bool RGBScreen(int offset);
    // Has no effect.
    bool ContrastSplite(int, int) { return false; }
    // Text in the font's colour with a black copy 2 pixels right of and below it (only below
    // when centred), on the surface (target 0) or BkGnd (target 1). A null font is the
    // widget's font (setFont, style sheets) in its palette's window-text colour.
    void DoDrawText(int target, const TRect& rect, const std::string& text,
                    const raster::Font* font, bool centre);

    // --- Transitions ---
    // A starter prepares a transition unless one is running; then every FadeExecute draws one
    // frame into BkGnd and tells whether more follow.

    void FadeInSplite(int index);
    void FadeOutSplite(int index);
    void FadeSplite(int from, int to);
    void FadeFromBlack();
    void FadeToBlack();
    void FadeFromWhite();
    void FadeToWhite();
    void FadeFromWhiteContrast();
    void FadeToBlackContrast();
    void FadeFromBlackContrast();
    void FadeToWhiteContrast();
    void FadeFromBlackRGB();
    void FadeToBlackRGB();
    void FadeFromWhiteRGB();
    void FadeToWhiteRGB();
    void SlitInLeft();
    void SlitInRight();
    void SlitOutLeft();
    void SlitOutRight();
    // With processMessages, the host's pending events run after the frame.
    bool FadeExecute(bool processMessages);
    // Jumps to step 8: the finishing call of a dissolve, a level of 8 for a ramp.
    void FadeAbort() { FadeStep = 8; }
    // Patterns of set 0..3 for the dissolves, from the next frame on. False for another set,
    // with the current patterns kept.
    bool ChangeFadeBrush(int set);
    bool GetFadeing() const { return FadeKind != 0; }

    // --- Host ---

    // The control's surface, made the control's size under the canvas's lock (a thread that
    // draws under the lock never sees its pixels replaced).
    raster::Bitmap& surface();
    raster::Canvas& canvas() { return surface().canvas(); }
    // The widget's font as DoDrawText takes it.
    raster::Font textFont() const { return rasterFont(*this); }
    // How text bytes are read: a Windows code page number (932, Shift-JIS, by default) or
    // TextCodePage::kAutomatic; false, keeping the current one, for one that is not available.
    bool setCodePage(int codePage) { return codePage_.setCodePage(codePage); }
    int codePage() const { return codePage_.codePage(); }
    // What letting the host's pending events run means; tests count the calls.
    void setMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }
    // The whole-picture dissolves run as fused row passes on 24-bit buffers; off, they run as
    // the plain blit sequence, which the tests compare them with.
    void setFusedFrames(bool on) { fusedFrames_ = on; }

    // The control's data, in the order the operations describe it. Each pattern brush is
    // kept as its 8 x 8 bitmap.
    std::array<raster::Bitmap, kPatternCount> PatternBrush;
    std::array<raster::Bitmap, kPatternCount> InvPatternBrush;
    raster::Brush BlackBrush = raster::Brush::solid(raster::clBlack);
    raster::Brush WhiteBrush = raster::Brush::solid(raster::clWhite);
    int32_t FadeStep = 0;
    int32_t FadeFrom = 0;
    int32_t FadeTarget = 0;
    uint8_t FadeKind = 0;
    std::array<TpbSplite, kSpriteCount> Splites;
    TRect ScreenRect;
    raster::Bitmap BkGnd;
    raster::Bitmap OrgBkGnd;
    raster::Bitmap Work1, Work2, Work3, Work4;
    raster::Bitmap Temp;
    bool Loading = false;

  signals:
    void OnPaint();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TpbSplite* slot(int index);
    const TpbSplite* slot(int index) const;
    bool is24(const raster::Bitmap& b) const;
    void screenChanged();
    // Background loads share everything after reading: `assign` fills one buffer.
    void takeBackground(bool toBkGnd, const std::function<void(raster::Bitmap&)>& assign);
    bool prepareLevelPass();
    bool loadPatternSet(int set);
    raster::Brush pattern(int k) const;
    raster::Brush inversePattern(int k) const;
    void pump() const;

    // Transitions.
    bool startable() const { return FadeKind == 0; }
    // False, with nothing started, when a work bitmap cannot take the size.
    bool startWholePicture(uint8_t kind, int step);
    bool spriteWorkBitmaps(int from, int to);
    bool spriteFrame();
    bool crossFrame();
    void restoreWholeBackground();
    bool patternFrame();
    bool rampFrame();
    bool slitFrame(bool processMessages);
    void copyScreenRect(raster::Bitmap& dst, const raster::Bitmap& src, uint32_t rop);
    void fillScreenRect(raster::Bitmap& dst, const raster::Brush& brush);

    raster::Bitmap surface_;
    TextCodePage codePage_;
    std::function<void()> pump_;
    bool painting_ = false;
    bool fusedFrames_ = true;
};

}  // namespace kelvo
