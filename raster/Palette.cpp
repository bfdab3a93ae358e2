#include "raster/Palette.h"

namespace kelvo::raster {

Palette defaultPalette(PixelFormat f) {
    static constexpr uint8_t vga[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    Palette pal;
    switch (f) {
        case PixelFormat::Pf1:
            pal = {{0, 0, 0, 0}, {255, 255, 255, 0}};
            break;
        case PixelFormat::Pf4:
        case PixelFormat::Pf8:
            for (const auto& c : vga)
                pal.push_back({c[0], c[1], c[2], 0});
            if (f == PixelFormat::Pf4)
                break;
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b)
                        pal.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0});
            for (int i = 0; i < 24; ++i) {
                const auto v = uint8_t(8 + i * 10);
                pal.push_back({v, v, v, 0});
            }
            break;
        default:
            break;
    }
    return pal;
}

int nearestIndex(const Palette& pal, Color c) {
    const int r = redOf(c), g = greenOf(c), b = blueOf(c);
    int best = 0;
    int bestDist = 1 << 30;
    for (size_t i = 0; i < pal.size(); ++i) {
        const int dr = pal[i].peRed - r, dg = pal[i].peGreen - g, db = pal[i].peBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = int(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

bool sameColors(const Palette& a, const Palette& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].color() != b[i].color())
            return false;
    return true;
}

}  // namespace kelvo::raster
