#include "raster/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "raster/Canvas.h"
#include "raster/Pixel.h"

namespace kelvo::raster {

static_assert(Bitmap::kMaxSide == 32768 && Bitmap::kMaxBytes == int64_t(1) << 30,
              "SizeResult::reason names these limits");

SizeResult Bitmap::check(int width, int height, PixelFormat format) {
    if (width < 0 || height < 0)
        return SizeResult::NegativeSide;
    if (width > kMaxSide || height > kMaxSide)
        return SizeResult::SideTooLarge;
    if (rowStride(width, format) * height > kMaxBytes)
        return SizeResult::TooManyBytes;
    return SizeResult::Ok;
}

Bitmap::Bitmap() = default;

Bitmap::Bitmap(int width, int height, PixelFormat format) {
    if (const SizeResult r = allocate(width, height, format); !r) {
        if (r.code() == SizeResult::OutOfMemory)
            throw std::bad_alloc();
        throw std::length_error(r.reason());
    }
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

SizeResult Bitmap::allocate(int width, int height, PixelFormat format) {
    if (const SizeResult r = check(width, height, format); !r)
        return r;
    const int stride = int(rowStride(width, format));
    std::vector<uint8_t> data;
    try {
        data.assign(size_t(stride) * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        return SizeResult::OutOfMemory;
    }
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = stride;
    data_ = std::move(data);
    palette_ = defaultPalette(format_);
    return SizeResult::Ok;
}

SizeResult Bitmap::reset(int width, int height, PixelFormat format) {
    return allocate(width, height, format);
}

void Bitmap::setPalette(const Palette& pal) {
    if (!isIndexed(format_)) {
        palette_.clear();
        return;
    }
    const size_t cap = size_t(1) << raster::bitsPerPixel(format_);
    palette_.assign(pal.begin(), pal.begin() + long(std::min(pal.size(), cap)));
}

SizeResult Bitmap::setSize(int width, int height) {
    if (width == width_ && height == height_)
        return SizeResult::Ok;
    Bitmap next;
    if (const SizeResult r = next.allocate(width, height, format_); !r)
        return r;
    next.palette_ = palette_;
    next.fillValue(colorToPixel(clWhite, format_, palette_));
    const int w = std::min(width_, width), h = std::min(height_, height);
    const size_t bytes = size_t((int64_t(w) * raster::bitsPerPixel(format_)) / 8);
    for (int y = 0; y < h && w > 0; ++y) {
        std::memcpy(next.row(y), row(y), bytes);
        // A packed row may end inside a byte.
        for (int x = int(bytes * 8 / size_t(raster::bitsPerPixel(format_))); x < w; ++x)
            writePixel(next.row(y), x, format_, readPixel(row(y), x, format_));
    }
    *this = std::move(next);
    return SizeResult::Ok;
}

SizeResult Bitmap::setFormat(PixelFormat format) {
    if (format == format_)
        return SizeResult::Ok;
    Bitmap next;
    if (const SizeResult r = next.allocate(width_, height_, format); !r)
        return r;
    PixelTranslator tr(format_, palette_, next.format_, next.palette_);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* s = row(y);
        uint8_t* d = next.row(y);
        for (int x = 0; x < width_; ++x)
            writePixel(d, x, next.format_, tr(readPixel(s, x, format_)));
    }
    *this = std::move(next);
    return SizeResult::Ok;
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
