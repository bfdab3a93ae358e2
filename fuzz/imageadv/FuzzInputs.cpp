#include "fuzz/imageadv/FuzzInputs.h"

#include <span>
#include <string>

#include "components/DataFiles.h"
#include "raster/Blit.h"
#include "raster/Bmp.h"

namespace kelvo::fuzz {
namespace {

// The fuzzers run with a 256 MB memory limit; a few bytes of RLE may ask for the readers' full
// 256 MiB, so the harness lowers the cap (the cap's own checks are tested separately).
constexpr int64_t kFuzzPixelBytes = int64_t(16) << 20;

uint32_t le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// Touches every decoded pixel so that a wrong size or palette shows up under the sanitizers.
void consume(raster::Bitmap& bmp) {
    if (bmp.empty())
        return;
    raster::Bitmap copy(bmp.width() > 64 ? 64 : bmp.width(), bmp.height() > 64 ? 64 : bmp.height(),
                        raster::PixelFormat::Pf24);
    raster::bitBlt(copy, 0, 0, copy.width(), copy.height(), &bmp, 0, 0, raster::rop::SRCCOPY);
    volatile uint32_t sink = 0;
    for (int y = 0; y < bmp.height(); ++y)
        sink = sink + bmp.row(y)[bmp.stride() - 1];
}

}  // namespace

void runBmp(const uint8_t* data, size_t size) {
    raster::Bitmap bmp;
    std::string error;
    if (raster::readBmp(std::span(data, size), bmp, error, kFuzzPixelBytes))
        consume(bmp);
}

void runGrpFile(const uint8_t* data, size_t size) {
    if (size < 8)
        return;
    const int key = int(le(data, 4));
    const int rowBytes = int(le(data + 4, 2));
    const int rows = int(le(data + 6, 2));
    raster::Bitmap bmp;
    std::string error;
    if (decodeGrpData(std::span(data + 8, size - 8), key, rowBytes, rows, bmp, error,
                      kFuzzPixelBytes))
        consume(bmp);
}

void runTxtFile(const uint8_t* data, size_t size) {
    if (size < 4)
        return;
    const std::string text = decodeTxtData(std::span(data + 4, size - 4), int(le(data, 4)));
    volatile size_t sink = text.size();
    (void)sink;
}

}  // namespace kelvo::fuzz
