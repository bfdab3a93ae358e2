#pragma once

#include <cstdint>
#include <memory>
#include <vector>

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
class Bitmap {
  public:
    // Largest side a bitmap may have.
    static constexpr int kMaxSide = 32768;

    Bitmap();
    // White pixels (the nearest palette entry to white for indexed formats), default palette.
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
    void setSize(int width, int height);
    // Converts every pixel to the new format through its colour; a new indexed format gets the
    // default palette and each pixel its nearest entry. Same format: nothing happens.
    void setFormat(PixelFormat format);
    // Makes this a fresh bitmap of the given size and format with its pixels zero (black or
    // palette index 0) and the default palette; nothing is converted.
    void reset(int width, int height, PixelFormat format);
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
    void allocate(int width, int height, PixelFormat format);

    int width_ = 0, height_ = 0;
    int stride_ = 0;
    PixelFormat format_ = PixelFormat::Pf24;
    std::vector<uint8_t> data_;
    Palette palette_;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace kelvo::raster
