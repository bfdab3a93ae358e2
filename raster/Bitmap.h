#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/BitmapSize.h"
#include "raster/Color.h"
#include "raster/Palette.h"
#include "raster/PixelFormat.h"
#include "raster/Rect.h"

namespace kelvo::raster {

class Canvas;

// A device-independent bitmap: rows top-down, each padded to four bytes, a pixel format and,
// for the indexed formats, a palette whose entries carry flags. Copying a bitmap copies its
// size, format, palette and pixels (the whole-copy operation); each bitmap keeps a canvas of its
// own that is never copied.
//
// Sizes are limited (sides 0 to kMaxSide, at most kMaxBytes of pixels). Every operation that
// takes a size answers with a SizeResult and, when it refuses, leaves the bitmap as it was.
class Bitmap {
  public:
    static constexpr int kMaxSide = 32768;
    static constexpr int64_t kMaxBytes = int64_t(1) << 30;

    // Whether a bitmap of this size and format is within the limits (memory is not tried).
    static SizeResult check(int width, int height, PixelFormat format);

    Bitmap();
    // White pixels (the nearest palette entry to white for indexed formats), default palette.
    // For sizes the caller knows to be within the limits: outside them it throws
    // std::length_error (std::bad_alloc without memory). Sizes from outside go through reset.
    Bitmap(int width, int height, PixelFormat format = PixelFormat::Pf24);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap();

    int width() const { return width_; }
    int height() const { return height_; }
    PixelFormat format() const { return format_; }
    int bitsPerPixel() const { return raster::bitsPerPixel(format_); }
    int stride() const { return stride_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    TRect bounds() const { return {0, 0, width_, height_}; }

    // Direct row access, row 0 at the top. The caller keeps y inside 0..height-1.
    uint8_t* row(int y) { return data_.data() + size_t(y) * size_t(stride_); }
    const uint8_t* row(int y) const { return data_.data() + size_t(y) * size_t(stride_); }
    uint8_t* bits() { return data_.data(); }
    const uint8_t* bits() const { return data_.data(); }
    size_t byteSize() const { return data_.size(); }

    const Palette& palette() const { return palette_; }
    // Indexed formats keep at most 2^bpp entries (the rest is dropped); true-colour formats none.
    void setPalette(const Palette& pal);

    // Changes the size keeping the overlapping top-left pixels; new pixels are white.
    SizeResult setSize(int width, int height);
    // Converts every pixel to the new format through its colour; a new indexed format gets the
    // default palette and each pixel its nearest entry. Same format: nothing happens.
    SizeResult setFormat(PixelFormat format);
    // Makes this a fresh bitmap of the given size and format with its pixels zero (black or
    // palette index 0) and the default palette; nothing is converted.
    SizeResult reset(int width, int height, PixelFormat format);
    // Checked pixel access in colours (out-of-range reads give black, writes do nothing).
    Color pixel(int x, int y) const;
    void setPixel(int x, int y, Color c);
    // Raw value of a pixel, see readPixel; the caller keeps (x, y) inside the bitmap.
    uint32_t pixelValue(int x, int y) const;
    void setPixelValue(int x, int y, uint32_t v);

    // Fills every pixel with one raw value.
    void fillValue(uint32_t v);

    Canvas& canvas();

    // Pixels and palette compare equal (padding bytes are not compared).
    bool samePixels(const Bitmap& other) const;

  private:
    // Takes the pixels of a fresh zeroed bitmap; the canvas stays.
    SizeResult allocate(int width, int height, PixelFormat format);

    int width_ = 0, height_ = 0;
    int stride_ = 0;
    PixelFormat format_ = PixelFormat::Pf24;
    std::vector<uint8_t> data_;
    Palette palette_;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace kelvo::raster
