#include "components/imageadv/ImageAdv.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "components/imageadv/DataFiles.h"
#include "components/imageadv/SurfaceForm.h"
#include "platform/WholeFile.h"
#include "raster/QtImage.h"
#include "raster/codec/Bmp.h"

namespace kelvo {

using raster::Bitmap;
using raster::PixelFormat;

namespace {

// The last dot's part of the file's name, as ".bmp"; none for a name that starts with its only
// dot. Either slash separates folders: the name may come from either system.
std::string extension(const std::string& path) {
    const size_t start = path.find_last_of("/\\") + 1;  // 0 without a folder
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && dot > start ? path.substr(dot) : std::string();
}

}  // namespace

int rowLength(const Bitmap& bmp) {
    const int bpp = bmp.bitsPerPixel();
    return bpp >= 8 ? bmp.width() * (bpp / 8) : 0;
}

int backUpRowLength(const Bitmap& bmp) {
    return bmp.bitsPerPixel() >= 8 ? rowLength(bmp)
                                   : int((int64_t(bmp.width()) * bmp.bitsPerPixel() + 7) / 8);
}

TImageAdv::TImageAdv(QWidget* parent) : QWidget(parent) {
    for (auto& b : BkBmp)
        b = std::make_unique<Bitmap>();
    // The picture is drawn over whatever lies below; nothing is erased first. Not opaque: where
    // the picture does not reach, the parent's pixels must show, not stale ones.
    setAutoFillBackground(false);
    messageBox_ = [this](const std::string& text, const std::string& caption) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, window());
        box.exec();
    };
}

TImageAdv::~TImageAdv() = default;

Bitmap* TImageAdv::image(int n) {
    if (n == 0)
        return &picture_;
    if (n >= 1 && n <= 4)
        return BkBmp[size_t(n - 1)].get();
    return nullptr;
}

Bitmap* TImageAdv::canvasImage(int n, bool allowParent) {
    if (n < 0) {
        auto* form = allowParent ? qobject_cast<TSurfaceForm*>(parentWidget()) : nullptr;
        return form ? &form->surface() : nullptr;
    }
    if (n == 0 && picture_.empty()) {
        // A control larger than a bitmap can be has no picture to draw on.
        Bitmap fresh;
        if (!fresh.reset(width(), height(), PixelFormat::Pf24))
            return nullptr;
        fresh.fillValue(0xFFFFFF);
        picture_ = std::move(fresh);
    }
    return image(n);
}

void TImageAdv::changed(int n) {
    if (n == 0)
        update();
    else if (n < 0 && parentWidget())
        parentWidget()->update();
}

void TImageAdv::paintEvent(QPaintEvent* event) {
    if (picture_.empty())
        return;
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), raster::qt::toQImage(picture_), event->rect());
}

bool TImageAdv::BmpBkCopy(int dst, int src) {
    Bitmap* d = image(dst);
    const Bitmap* s = image(src);
    if (!d || !s)
        return false;
    *d = *s;
    changed(dst);
    return true;
}

bool TImageAdv::BmpBkCopy(int dst, int src, int x, int y) {
    const Bitmap* s = image(src);
    Bitmap* d = s ? canvasImage(dst, true) : nullptr;
    if (!d)
        return false;
    // The mode stays on the canvas: a later BmpBkCopy2 with a mode it does not set copies so.
    raster::Canvas& c = d->canvas();
    c.setCopyMode(raster::rop::SRCCOPY);
    c.draw(x, y, *s);
    changed(dst);
    return true;
}

bool TImageAdv::BmpBkCopy2(int dst, int src, const TRect* destRect, const TRect* srcRect,
                           int mode) {
    if (!destRect || !srcRect)
        return false;
    Bitmap* d = canvasImage(dst, true);
    Bitmap* s = canvasImage(src, true);
    if (!d || !s)
        return false;
    static constexpr uint32_t modes[] = {raster::rop::SRCCOPY, raster::rop::SRCPAINT,
                                         raster::rop::MERGEPAINT, raster::rop::MERGECOPY};
    raster::Canvas& c = d->canvas();
    if (mode >= 0 && mode <= 3)
        c.setCopyMode(modes[mode]);
    c.copyRect(*destRect, *s, *srcRect);
    changed(dst);
    return true;
}

Bitmap* TImageAdv::BmpBkGet(int n) {
    return image(n);
}

void TImageAdv::DataBackUp(int n) {
    DataBackUp(n, nullptr);
}

void TImageAdv::DataBackUp(int n, const std::function<void(uint8_t*, size_t)>& after) {
    Bitmap* b = image(n);
    if (!b)
        return;
    // Every image replaces the back-up: 1- and 4-bit rows are kept as their packed bytes, an
    // empty image leaves an empty one, so no earlier image's rows can be restored by mistake.
    const size_t len = size_t(backUpRowLength(*b));
    // A back-up of the same shape is overwritten in place rather than freed and reallocated.
    if (!RowBackUp)
        RowBackUp.emplace();
    RowBackUp->resize(size_t(b->height()));
    for (int y = 0; y < b->height(); ++y) {
        (*RowBackUp)[size_t(y)].assign(b->row(y), b->row(y) + len);
        if (after)
            after(b->row(y), len);
    }
}

void TImageAdv::DataRestore(int n, bool release) {
    Bitmap* b = image(n);
    if (!RowBackUp || !b)
        return;
    const size_t len = size_t(backUpRowLength(*b));
    const size_t rows = len ? std::min(RowBackUp->size(), size_t(b->height())) : 0;
    for (size_t y = 0; y < rows; ++y) {
        const auto& saved = (*RowBackUp)[y];
        std::memcpy(b->row(int(y)), saved.data(), std::min(len, saved.size()));
    }
    if (release)
        RowBackUp.reset();
    changed(n);
}

bool TImageAdv::GrpFileRead(const std::string& fileName, int key, int n) {
    Bitmap* target = image(n);
    if (!target) {
        lastReadError_ = "image number outside 0 to 4";
        return false;
    }
    const bool bmp =
        QString::fromStdString(extension(fileName)).compare(".bmp", Qt::CaseInsensitive) == 0;
    Bitmap loaded;
    const bool read =
        n > 0 || bmp
            ? raster::readBmpFile(fileName, loaded, lastReadError_, pictureByteLimit_)
            : raster::qt::readImageFile(fileName, loaded, lastReadError_, pictureByteLimit_);
    if (!read)
        return false;
    *target = std::move(loaded);
    descrambleRows(*target, key, n == 0 ? width() : target->width(), height());
    changed(n);
    return true;
}

std::string TImageAdv::TxtFileRead(const std::string& fileName, int key) {
    TxtDataOld = TxtData;
    TxtData.clear();
    auto failure = [this] {
        messageBox_("ファイルが開けません", "ファイルオープンエラー");
        return std::string("0");
    };
    const FileRead file = readWholeFile(fileName, size_t(kMaxTextFileBytes));
    if (file.status != FileRead::Status::Ok)
        return failure();
    const std::span<const uint8_t> buf(reinterpret_cast<const uint8_t*>(file.bytes.data()),
                                       file.bytes.size());
    TxtData = decodeTxtData(buf, key);
    return TxtData;
}

}  // namespace kelvo
