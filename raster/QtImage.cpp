#include "raster/QtImage.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <span>

#include "raster/Pixel.h"
#include "raster/codec/PngChunks.h"

namespace kelvo::raster::qt {

QImage toQImage(const Bitmap& bmp) {
    QImage img(bmp.width(), bmp.height(), QImage::Format_RGB32);
    if (img.isNull())
        return img;
    Palette lut;
    if (isIndexed(bmp.format()))
        lut = bmp.palette();
    for (int y = 0; y < bmp.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        const uint8_t* in = bmp.row(y);
        if (bmp.format() == PixelFormat::Pf24) {
            for (int x = 0; x < bmp.width(); ++x, in += 3)
                out[x] = 0xFF000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
            continue;
        }
        for (int x = 0; x < bmp.width(); ++x) {
            const Color c = pixelToColor(readPixel(in, x, bmp.format()), bmp.format(), lut);
            out[x] = qRgb(redOf(c), greenOf(c), blueOf(c));
        }
    }
    return img;
}

SizeResult fromQImage(const QImage& src, Bitmap& out) {
    Bitmap bmp;
    if (src.isNull()) {
        out = std::move(bmp);
        return SizeResult::Ok;
    }
    const bool mono = src.format() == QImage::Format_Mono;
    if (src.format() == QImage::Format_Indexed8 || mono) {
        const PixelFormat f = mono ? PixelFormat::Pf1 : PixelFormat::Pf8;
        if (const SizeResult r = bmp.reset(src.width(), src.height(), f); !r)
            return r;
        Palette pal;
        for (QRgb c : src.colorTable())
            pal.push_back({uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 0});
        bmp.setPalette(pal);
        const size_t bytes = size_t(rowStride(src.width(), f));
        for (int y = 0; y < src.height(); ++y)
            std::memcpy(bmp.row(y), src.constScanLine(y),
                        std::min(bytes, size_t(src.bytesPerLine())));
        out = std::move(bmp);
        return SizeResult::Ok;
    }
    // The size is checked before Qt makes a converted copy of a picture we would refuse.
    if (const SizeResult r = Bitmap::check(src.width(), src.height(), PixelFormat::Pf24); !r)
        return r;
    const QImage rgb = src.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return SizeResult::OutOfMemory;
    if (const SizeResult r = bmp.reset(rgb.width(), rgb.height(), PixelFormat::Pf24); !r)
        return r;
    for (int y = 0; y < rgb.height(); ++y) {
        const uint8_t* in = rgb.constScanLine(y);
        uint8_t* o = bmp.row(y);
        for (int x = 0; x < rgb.width(); ++x, in += 3, o += 3)
            o[0] = in[2], o[1] = in[1], o[2] = in[0];
    }
    out = std::move(bmp);
    return SizeResult::Ok;
}

namespace {

// Bytes Qt's decoders allocate for a picture: four per pixel in the formats they decode to.
bool overCap(const QSize& size, int64_t maxPixelBytes) {
    return int64_t(size.width()) * size.height() * 4 > maxPixelBytes;
}

// Qt's allocation limit holds for the whole process: the host's own setting comes back after
// the read, and a lower one stands during it.
class AllocationLimitScope {
  public:
    explicit AllocationLimitScope(int mb) : before_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(before_ > 0 ? std::min(before_, mb) : mb);
    }
    ~AllocationLimitScope() { QImageReader::setAllocationLimit(before_); }
    AllocationLimitScope(const AllocationLimitScope&) = delete;
    AllocationLimitScope& operator=(const AllocationLimitScope&) = delete;

  private:
    int before_;
};

// Why a PNG, or an icon holding PNG pictures, must not reach Qt's decoders (see PngChunks.h).
std::string pngFault(const std::string& path, const QByteArray& format) {
    const bool png = format == "png", icon = format == "ico" || format == "cur";
    if (!png && !icon)
        return {};
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};  // Qt's reader says why
    if (file.size() > kBmpMaxFileBytes)
        return "picture file larger than the reader allows";
    const QByteArray bytes = file.readAll();
    const std::span<const uint8_t> s(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                     size_t(bytes.size()));
    return png ? pngChunkFault(s) : iconPngFault(s);
}

}  // namespace

bool readImageFile(const std::string& path, Bitmap& out, std::string& error,
                   int64_t maxPixelBytes) {
    maxPixelBytes = std::min(maxPixelBytes, kBmpMaxPixelBytes);
    // Opening a pipe or a device would wait for a writer, or read without end.
    if (const QFileInfo info(QString::fromStdString(path)); info.exists() && !info.isFile()) {
        error = "cannot read the picture: not a regular file";
        return false;
    }
    QImageReader reader(QString::fromStdString(path));
    // Qt leaves the pixels a run-length BMP skips undefined; ours makes them index 0 and keeps
    // the file's format and palette.
    if (reader.format() == "bmp")
        return readBmpFile(path, out, error, maxPixelBytes);
    if (std::string fault = pngFault(path, reader.format()); !fault.empty()) {
        error = std::move(fault);
        return false;
    }
    // The limit is in whole MiB, and 0 would mean none.
    const AllocationLimitScope limit(int(std::max<int64_t>(1, maxPixelBytes >> 20)));
    const QSize announced = reader.size();
    if (announced.isValid()) {
        if (const SizeResult r =
                Bitmap::check(announced.width(), announced.height(), PixelFormat::Pf24);
            !r) {
            error = r.reason();
            return false;
        }
        if (overCap(announced, maxPixelBytes)) {
            error = "picture larger than the reader allows";
            return false;
        }
    }
    const QImage img = reader.read();
    if (img.isNull()) {
        error = "cannot read the picture: " + reader.errorString().toStdString();
        return false;
    }
    // A header may not tell the size, or tell another one than the decoder found.
    if (overCap(img.size(), maxPixelBytes)) {
        error = "picture larger than the reader allows";
        return false;
    }
    if (const SizeResult r = fromQImage(img, out); !r) {
        error = r.reason();
        return false;
    }
    error.clear();
    return true;
}

}  // namespace kelvo::raster::qt
