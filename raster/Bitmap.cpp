#include "raster/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "raster/Canvas.h"
#include "raster/Pixel.h"

namespace kelvo::raster {
namespace {

int clampSide(int v) {
    return std::clamp(v, 0, Bitmap::kMaxSide);
}

}  // namespace

Bitmap::Bitmap() = default;

Bitmap::Bitmap(int width, int height, PixelFormat format) {
    allocate(width, height, format);
    fillValue(colorToPixel(clWhite, format_, palette_));
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      stride_(other.stride_),
      format_(other.format_),
      data_(other.data_),
      palette_(other.palette_) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        format_ = other.format_;
        data_ = other.data_;
        palette_ = other.palette_;
    }
    return *this;
}

// A moved bitmap takes the pixels; each object keeps its own canvas, which points at it.
Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      stride_(other.stride_),
      format_(other.format_),
      data_(std::move(other.data_)),
      palette_(std::move(other.palette_)) {
    other.width_ = other.height_ = other.stride_ = 0;
    other.data_.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        format_ = other.format_;
        data_ = std::move(other.data_);
        palette_ = std::move(other.palette_);
        other.width_ = other.height_ = other.stride_ = 0;
        other.data_.clear();
    }
    return *this;
}

Bitmap::~Bitmap() = default;

void Bitmap::allocate(int width, int height, PixelFormat format) {
    width_ = clampSide(width);
    height_ = clampSide(height);
    format_ = format;
    stride_ = int(rowStride(width_, format_));
    data_.assign(size_t(stride_) * size_t(height_), 0);
    palette_ = defaultPalette(format_);
}

void Bitmap::reset(int width, int height, PixelFormat format) {
    allocate(width, height, format);
}

void Bitmap::setPalette(const Palette& pal) {
    if (!isIndexed(format_)) {
        palette_.clear();
        return;
    }
    const size_t cap = size_t(1) << raster::bitsPerPixel(format_);
    palette_.assign(pal.begin(), pal.begin() + long(std::min(pal.size(), cap)));
}

void Bitmap::setSize(int width, int height) {
    width = clampSide(width);
    height = clampSide(height);
    if (width == width_ && height == height_)
        return;
    Bitmap old(std::move(*this));
    allocate(width, height, old.format_);
    palette_ = old.palette_;
    fillValue(colorToPixel(clWhite, format_, palette_));
    const int w = std::min(width_, old.width_), h = std::min(height_, old.height_);
    const size_t bytes = size_t((int64_t(w) * raster::bitsPerPixel(format_)) / 8);
    for (int y = 0; y < h && w > 0; ++y) {
        std::memcpy(row(y), old.row(y), bytes);
        // A packed row may end inside a byte.
        for (int x = int(bytes * 8 / size_t(raster::bitsPerPixel(format_))); x < w; ++x)
            writePixel(row(y), x, format_, readPixel(old.row(y), x, format_));
    }
}

void Bitmap::setFormat(PixelFormat format) {
    if (format == format_)
        return;
    Bitmap old(std::move(*this));
    allocate(old.width_, old.height_, format);
    PixelTranslator tr(old.format_, old.palette_, format_, palette_);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* s = old.row(y);
        uint8_t* d = row(y);
        for (int x = 0; x < width_; ++x)
            writePixel(d, x, format_, tr(readPixel(s, x, old.format_)));
    }
}

Color Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return clBlack;
    return pixelToColor(readPixel(row(y), x, format_), format_, palette_);
}

void Bitmap::setPixel(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    writePixel(row(y), x, format_, colorToPixel(c, format_, palette_));
}

uint32_t Bitmap::pixelValue(int x, int y) const {
    return readPixel(row(y), x, format_);
}

void Bitmap::setPixelValue(int x, int y, uint32_t v) {
    writePixel(row(y), x, format_, v);
}

void Bitmap::fillValue(uint32_t v) {
    if (empty())
        return;
    for (int x = 0; x < width_; ++x)
        writePixel(row(0), x, format_, v);
    for (int y = 1; y < height_; ++y)
        std::memcpy(row(y), row(0), size_t(stride_));
}

Canvas& Bitmap::canvas() {
    if (!canvas_)
        canvas_ = std::make_unique<Canvas>(*this);
    return *canvas_;
}

bool Bitmap::samePixels(const Bitmap& other) const {
    if (width_ != other.width_ || height_ != other.height_ || format_ != other.format_ ||
        palette_ != other.palette_)
        return false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (pixelValue(x, y) != other.pixelValue(x, y))
                return false;
    return true;
}

}  // namespace kelvo::raster
