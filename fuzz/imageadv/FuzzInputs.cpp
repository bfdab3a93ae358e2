#include "fuzz/imageadv/FuzzInputs.h"

#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <span>
#include <string>

#include "components/imageadv/ImageAdv.h"
#include "fuzz/OffscreenApplication.h"
#include "raster/Blit.h"
#include "raster/codec/Bmp.h"

namespace kelvo::fuzz {
namespace {

// The fuzzers run with a 512 MB memory limit; a few bytes of RLE may ask for the readers' full
// 256 MiB, so the harness lowers the cap (the cap's own checks are tested separately).
constexpr int64_t kFuzzPixelBytes = int64_t(16) << 20;

uint32_t le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

void check(bool promise) {
    if (!promise)
        __builtin_trap();
}

// Touches every decoded pixel so that a wrong size or palette shows up under the sanitizers.
void consume(const raster::Bitmap& bmp) {
    if (bmp.empty())
        return;
    raster::Bitmap copy(bmp.width() > 64 ? 64 : bmp.width(), bmp.height() > 64 ? 64 : bmp.height(),
                        raster::PixelFormat::Pf24);
    raster::bitBlt(copy, 0, 0, copy.width(), copy.height(), &bmp, 0, 0, raster::rop::SRCCOPY);
    volatile uint32_t sink = 0;
    for (int y = 0; y < bmp.height(); ++y)
        sink = sink + bmp.row(y)[bmp.stride() - 1];
}

using Application = OffscreenApplication;

// One image control for the whole run, with its files in a folder of its own.
struct Host {
    Host() {
        adv.setMessageBox([this](const std::string&, const std::string&) { ++messages; });
        adv.setPictureByteLimit(kFuzzPixelBytes);
    }
    std::string write(const char* name, const uint8_t* data, size_t size) {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size));
        return path;
    }

    Application app;
    QTemporaryDir dir;
    TImageAdv adv;
    int messages = 0;
};

Host& host() {
    static Host* h = new Host;  // never destroyed: the application object outlives it
    return *h;
}

// A refused read leaves the image as it was, to the byte; compared whole rather than pixel by
// pixel, which would take far longer than the read for the largest pictures.
bool identical(const raster::Bitmap& a, const raster::Bitmap& b) {
    return a.width() == b.width() && a.height() == b.height() && a.format() == b.format() &&
           a.palette() == b.palette() && a.byteSize() == b.byteSize() &&
           (a.byteSize() == 0 || std::memcmp(a.bits(), b.bits(), a.byteSize()) == 0);
}

void readPicture(Host& h, const char* name, int n, const uint8_t* data, size_t size) {
    const uint32_t key = le(data, 4);
    h.adv.resize(int(le(data + 4, 2)), int(le(data + 6, 2)));
    const std::string path = h.write(name, data + 8, size - 8);
    const raster::Bitmap before = *h.adv.BmpBkGet(n);
    if (!h.adv.GrpFileRead(path, int(key), n)) {
        check(!h.adv.lastReadError().empty());
        check(identical(*h.adv.BmpBkGet(n), before));
        return;
    }
    consume(*h.adv.BmpBkGet(n));
    h.adv.DataBackUp(n);
    h.adv.DataRestore(n, true);
}

}  // namespace

void runBmp(const uint8_t* data, size_t size) {
    raster::Bitmap bmp;
    std::string error;
    if (!raster::readBmp(std::span(data, size), bmp, error, kFuzzPixelBytes)) {
        check(!error.empty());
        return;
    }
    consume(bmp);
    // The pixel-by-pixel comparison of a large picture would take longer than its decoding.
    if (bmp.empty() || bmp.byteSize() > (size_t(1) << 20))
        return;
    raster::Bitmap back;
    check(raster::readBmp(raster::writeBmp(bmp), back, error));
    check(back.samePixels(bmp));
}

void runGrpFile(const uint8_t* data, size_t size) {
    if (size < 9)
        return;
    readPicture(host(), "p.bmp", data[0] % 5, data + 1, size - 1);
}

void runQtPicture(const uint8_t* data, size_t size) {
    if (size < 8)
        return;
    readPicture(host(), "p.img", 0, data, size);
}

void runTxtFile(const uint8_t* data, size_t size) {
    if (size < 4)
        return;
    Host& h = host();
    const std::string path = h.write("t.txt", data + 4, size - 4);
    const std::string previous = h.adv.TxtData;
    const int messages = h.messages;
    const std::string text = h.adv.TxtFileRead(path, int(le(data, 4)));
    check(h.adv.TxtDataOld == previous);
    check(h.messages == messages);  // every such file is readable
    check(text == h.adv.TxtData);
    check(text.size() <= size - 4 && std::memchr(text.data(), 0, text.size()) == nullptr);
}

}  // namespace kelvo::fuzz
