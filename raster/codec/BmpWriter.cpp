#include "platform/WholeFile.h"
#include "raster/codec/Bmp.h"

namespace kelvo::raster {
namespace {

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

}  // namespace

std::vector<uint8_t> writeBmp(const Bitmap& bmp) {
    const PixelFormat f = bmp.format();
    const bool fields = f == PixelFormat::Pf16;
    Palette pal = bmp.palette();
    if (isIndexed(f) && pal.empty())
        pal.push_back({0, 0, 0, 0});
    const uint64_t stride = uint64_t(bmp.stride());
    const uint64_t pixelBytes = stride * uint64_t(bmp.height());
    const uint64_t offset = 14 + 40 + (fields ? 12 : 0) + 4 * uint64_t(pal.size());
    if (offset + pixelBytes > 0xFFFFFFFFu)
        return {};

    std::vector<uint8_t> v;
    v.reserve(size_t(offset + pixelBytes));
    v.push_back('B');
    v.push_back('M');
    put32(v, uint32_t(offset + pixelBytes));
    put32(v, 0);
    put32(v, uint32_t(offset));
    put32(v, 40);
    put32(v, uint32_t(bmp.width()));
    put32(v, uint32_t(bmp.height()));
    put16(v, 1);
    put16(v, uint32_t(bmp.bitsPerPixel()));
    put32(v, fields ? 3 : 0);
    put32(v, uint32_t(pixelBytes));
    put32(v, 2835);  // 72 dots per inch
    put32(v, 2835);
    put32(v, uint32_t(pal.size()));
    put32(v, 0);
    if (fields) {
        put32(v, 0xF800);
        put32(v, 0x07E0);
        put32(v, 0x001F);
    }
    for (const PaletteEntry& e : pal) {
        v.push_back(e.peBlue);
        v.push_back(e.peGreen);
        v.push_back(e.peRed);
        v.push_back(0);
    }
    for (int y = bmp.height() - 1; y >= 0; --y)
        v.insert(v.end(), bmp.row(y), bmp.row(y) + stride);
    return v;
}

bool writeBmpFile(const std::string& path, const Bitmap& bmp, std::string& error) {
    const std::vector<uint8_t> data = writeBmp(bmp);
    if (data.empty()) {
        error = "bitmap too large for a BMP file";
        return false;
    }
    if (!writeWholeFile(path, data)) {
        error = "cannot write the file";
        return false;
    }
    error.clear();
    return true;
}

}  // namespace kelvo::raster
