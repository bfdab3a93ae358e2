#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>

#include "raster/Bitmap.h"
#include "raster/Brush.h"
#include "raster/Font.h"
#include "raster/Rop.h"
#include "raster/TextFlags.h"

namespace kelvo::raster {

enum class BkMode { Transparent = 1, Opaque = 2 };

// The drawing state of one bitmap: brush, copy mode, font, text and background colours and
// background mode, and a lock that the owning thread may take again while it holds it.
// Obtained from Bitmap::canvas(); it lives as long as its bitmap.
class Canvas {
  public:
    explicit Canvas(Bitmap& bitmap) : bmp_(bitmap) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Bitmap& bitmap() { return bmp_; }

    Brush& brush() { return brush_; }
    void setBrush(const Brush& b) { brush_ = b; }
    uint32_t copyMode() const { return copyMode_; }
    void setCopyMode(uint32_t rop) { copyMode_ = rop; }
    const Font& font() const { return font_; }
    // Takes all of the font's attributes; its colour becomes the text colour.
    void setFont(const Font& f) {
        font_ = f;
        textColor_ = f.color;
    }
    Color textColor() const { return textColor_; }
    void setTextColor(Color c) { textColor_ = c; }
    BkMode bkMode() const { return bkMode_; }
    void setBkMode(BkMode m) { bkMode_ = m; }
    Color bkColor() const { return bkColor_; }
    void setBkColor(Color c) { bkColor_ = c; }

    void lock() { mutex_.lock(); }
    bool tryLock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    // Fills rect with the brush (PATCOPY).
    void fillRect(const TRect& rect);
    // Inverts every bit of the pixels in rect (DSTINVERT).
    void invertRect(const TRect& rect);
    // Copies srcRect of src onto dstRect with the copy mode and the brush, scaling when the
    // sizes differ.
    void copyRect(const TRect& dstRect, const Bitmap& src, const TRect& srcRect);
    // Draws all of src with its top-left corner at (x, y), with the copy mode.
    void draw(int x, int y, const Bitmap& src);
    void stretchDraw(const TRect& rect, const Bitmap& src);

    // One line of text with its cell's top-left corner at (x, y), in the text colour; with an
    // opaque background mode the cells are filled with the background colour first.
    void textOut(int x, int y, std::string_view text);
    // Formatted text in rect with the DT_ flags (word break, tabs, centre, right, no clip,
    // prefix). With DT_CALCRECT nothing is drawn and rect becomes the text's bounds. Returns the
    // height of the text. Glyph pixels take exactly the text colour: there is no antialiasing.
    int drawText(std::string_view text, TRect& rect, uint32_t flags);
    int textWidth(std::string_view text);
    int textHeight(std::string_view text);

  private:
    Bitmap& bmp_;
    Brush brush_;
    uint32_t copyMode_ = rop::SRCCOPY;
    Font font_;
    Color textColor_ = clBlack;
    BkMode bkMode_ = BkMode::Opaque;
    Color bkColor_ = clWhite;
    std::recursive_mutex mutex_;
};

// Holds a canvas's lock for a scope.
class CanvasLock {
  public:
    explicit CanvasLock(Canvas& c) : c_(c) { c_.lock(); }
    ~CanvasLock() { c_.unlock(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

  private:
    Canvas& c_;
};

}  // namespace kelvo::raster
