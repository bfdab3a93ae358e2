#include <algorithm>

#include "components/imageadv/ColorEffects.h"
#include "components/imageadv/ImageAdv.h"

namespace kelvo {

using raster::Bitmap;
using raster::Palette;
using raster::PaletteEntry;
using raster::PixelFormat;

namespace {

// A range is refused only when it would reach outside the 256 entries; an empty one (first at
// or above last) changes nothing and is fine.
bool validRange(int first, int last) {
    return first >= last || (first >= 0 && last <= 256);
}

// Entries first..last-1 that the palette has.
int clampLast(const Palette& pal, int last) {
    return std::min(last, int(pal.size()));
}

uint8_t brighten(uint8_t c, int percent) {
    const int64_t v = int64_t(c) + int64_t(c) * percent / 100;
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

constexpr int kMergedEntries = 48;

// The saved colours in the entries the palette has. A restore gives back colours, never more
// entries: past a short palette the back-up holds another picture's colours, or black.
Palette restored(Palette pal, const std::array<PaletteEntry, 256>& saved) {
    std::copy_n(saved.begin(), std::min(pal.size(), saved.size()), pal.begin());
    return pal;
}

uint8_t push(uint8_t c, int amount) {
    if (c <= amount)
        return 0;
    if (c + amount >= 255)
        return 255;
    return uint8_t(c + amount);
}

}  // namespace

void TImageAdv::PaletteBackUp(int n) {
    const Bitmap* b = image(n);
    if (!b)
        return;
    const Palette& pal = b->palette();
    std::copy_n(pal.begin(), std::min<size_t>(pal.size(), PalBackUp.size()), PalBackUp.begin());
    PalBackUpFlg = true;
}

bool TImageAdv::PalFlgSet(int first, int last, int type) {
    if (!validRange(first, last))
        return false;
    Palette pal = picture_.palette();
    static constexpr uint8_t flags[] = {raster::PC_RESERVED, raster::PC_NOCOLLAPSE,
                                        raster::PC_EXPLICIT};
    if (type >= 0 && type <= 2)
        for (int i = first; i < clampLast(pal, last); ++i)
            pal[size_t(i)].peFlags = flags[type];
    picture_.setPalette(pal);
    return true;
}

bool TImageAdv::RGBChg(int n, int percent, int first, int last, bool backup) {
    Bitmap* b = image(n);
    if (!b)
        return false;
    if (b->format() == PixelFormat::Pf8) {
        // The range is the palette's; true-colour images have none and ignore it.
        if (!validRange(first, last))
            return false;
        DataBackUp(n);
        if (backup)
            PaletteBackUp(n);
        Palette pal = b->palette();
        for (int i = first; i < clampLast(pal, last); ++i) {
            PaletteEntry& e = pal[size_t(i)];
            e.peRed = brighten(e.peRed, percent);
            e.peGreen = brighten(e.peGreen, percent);
            e.peBlue = brighten(e.peBlue, percent);
        }
        b->setPalette(pal);
        DataRestore(n, false);
    } else if (rowLength(*b) > 0) {
        // The row back-up and the pixel pass in one sweep: each row is saved, then changed
        // while it is still in the cache.
        DataBackUp(n, [percent](uint8_t* row, size_t len) { scaleBytes(row, len, percent); });
    } else {
        DataBackUp(n);  // nothing to scale, but no earlier back-up may outlive this one
    }
    changed(n);
    return true;
}

bool TImageAdv::RGBRestore(int n) {
    Bitmap* b = image(n);
    if (!b || !PalBackUpFlg)
        return false;
    if (b->format() == PixelFormat::Pf8) {
        DataBackUp(n);
        b->setPalette(restored(b->palette(), PalBackUp));
        DataRestore(n, false);
        return true;
    }
    // True-colour images get back the rows saved before their change.
    if (rowLength(*b) > 0)
        DataRestore(n, false);
    return false;
}

bool TImageAdv::ContrastChg(int n, int first, int last, int amount, bool backup) {
    Bitmap* b = image(n);
    if (!b || b->palette().empty() || !validRange(first, last))
        return false;
    if (backup)
        PaletteBackUp(n);
    amount = std::clamp(amount, 0, 255);
    Palette pal = b->palette();
    for (int i = first; i < clampLast(pal, last); ++i) {
        PaletteEntry& e = pal[size_t(i)];
        if (e.peFlags != raster::PC_RESERVED)
            continue;
        e.peRed = push(e.peRed, amount);
        e.peGreen = push(e.peGreen, amount);
        e.peBlue = push(e.peBlue, amount);
    }
    b->setPalette(pal);
    changed(n);
    return true;
}

bool TImageAdv::ContrastRestore(int n) {
    Bitmap* b = image(n);
    if (!b || b->palette().empty())
        return false;
    b->setPalette(restored(b->palette(), PalBackUp));
    changed(n);
    return true;
}

void TImageAdv::WhitePalSet(int n) {
    Bitmap* b = image(n);
    if (!b || b->palette().size() < 256)
        return;
    Palette pal = b->palette();
    pal[255].peRed = pal[255].peGreen = pal[255].peBlue = 255;
    b->setPalette(pal);
    changed(n);
}

void TImageAdv::MargePalette(Bitmap* overlay, Bitmap* target) {
    if (!overlay || !target || overlay->format() != PixelFormat::Pf8 ||
        target->format() != PixelFormat::Pf8)
        return;
    Palette pal = target->palette();
    // A shorter palette grows (black) to hold the merged entries: otherwise the overlay's
    // pixels, now 128 + k, would point past it.
    if (pal.size() < size_t(128 + kMergedEntries))
        pal.resize(size_t(128 + kMergedEntries), raster::PaletteEntry{0, 0, 0, 0});
    const Palette& from = overlay->palette();
    for (int k = 0; k < kMergedEntries && size_t(k) < from.size(); ++k)
        pal[size_t(128 + k)] = from[size_t(k)];
    target->setPalette(pal);
}

namespace {

// Whether the overlay can be merged at x into image n whose rows RowBackUp holds.
bool overlayFits(const Bitmap* overlay, const Bitmap* target, int x,
                 const std::optional<std::vector<std::vector<uint8_t>>>& rows) {
    if (!overlay || !target || overlay->format() != PixelFormat::Pf8 ||
        target->format() != PixelFormat::Pf8)
        return false;
    if (x < 0 || int64_t(x) + overlay->width() > target->width())
        return false;
    if (!rows)
        return true;
    if (rows->size() != size_t(target->height()))
        return false;
    return std::all_of(rows->begin(), rows->end(),
                       [&](const auto& r) { return r.size() == size_t(target->width()); });
}

}  // namespace

bool TImageAdv::MargeRestore(int x, int y, int key, Bitmap* overlay, int n, bool release) {
    Bitmap* target = image(n);
    if (!RowBackUp || !overlayFits(overlay, target, x, RowBackUp))
        return false;
    const int ow = overlay->width();
    for (int r = 0; r < target->height(); ++r) {
        auto& saved = (*RowBackUp)[size_t(r)];
        if (r >= y && int64_t(r) < int64_t(y) + overlay->height()) {
            const uint8_t* src = overlay->row(r - y);
            for (int j = 0; j < ow; ++j) {
                const uint8_t v = src[j];
                if (int(v) != key)  // a key outside 0..255 makes nothing transparent
                    saved[size_t(x + j)] = uint8_t(v + 128);
            }
        }
        std::copy(saved.begin(), saved.end(), target->row(r));
    }
    if (release)
        RowBackUp.reset();
    changed(n);
    return true;
}

bool TImageAdv::BmpBkMarge(int n, int x, int y, int src, int key) {
    Bitmap* target = image(n);
    Bitmap* overlay = image(src);
    if (!overlayFits(overlay, target, x, std::nullopt))
        return false;
    DataBackUp(n);
    MargePalette(overlay, target);
    return MargeRestore(x, y, key, overlay, n, false);
}

}  // namespace kelvo
