#include "fuzz/components/ApiInputs.h"

#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <string>

#include "components/imageadv/ImageAdv.h"
#include "components/splpaint/SplPaint.h"
#include "fuzz/OffscreenApplication.h"
#include "raster/codec/Bmp.h"

namespace kelvo::fuzz {
namespace {

using raster::Bitmap;
using raster::PixelFormat;

void check(bool promise) {
    if (!promise)
        __builtin_trap();
}

// The bytes as a stream of arguments; past the end every read is zero.
class Args {
  public:
    Args(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool flag() { return byte() & 1; }
    // Any int, with the ends of the range and small values often.
    int number() {
        switch (byte() % 8) {
            case 0:
                return INT_MAX;
            case 1:
                return INT_MIN;
            case 2:
                return INT_MAX - byte();
            case 3:
                return INT_MIN + byte();
            case 4:
            case 5:
                return int8_t(byte());
            case 6:
                return byte() * 4;
            default: {
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i)
                    v = v << 8 | byte();
                return int(v);
            }
        }
    }
    // A side for a control or bitmap: small, or one a bitmap cannot have. Nothing between, so
    // no input asks for the gigabyte a bitmap may hold. A long side (20000: square, over the
    // byte limit) only for the image control, whose operations pass over a picture once.
    int side(bool allowLong = false) {
        switch (byte() % 8) {
            case 0:
                return Bitmap::kMaxSide + 1 + byte();
            case 1:
                return allowLong ? 20000 : 97;
            case 2:
                return -int(byte());
            default:
                return byte() % 97;
        }
    }
    int image() { return int(byte() % 8) - 2; }
    int sprite() { return int(byte() % 70) - 3; }
    TRect rect() { return {number(), number(), number(), number()}; }
    std::string text() {
        std::string s(byte() % 24, '\0');
        for (char& c : s)
            c = char(byte());
        return s;
    }
    // "0" often, the menus' mark of an absent choice.
    std::string choice() { return byte() % 3 == 0 ? std::string("0") : text(); }
    raster::Font font() {
        raster::Font f;
        f.pixelHeight = 1 + byte() % 40;
        f.bold = flag(), f.italic = flag(), f.underline = flag();
        f.color = raster::Color(number());
        return f;
    }
    raster::Color color() { return raster::Color(number()) & 0xFFFFFF; }
    PixelFormat format() {
        static constexpr PixelFormat formats[] = {
            PixelFormat::Pf1,  PixelFormat::Pf4,  PixelFormat::Pf8, PixelFormat::Pf15,
            PixelFormat::Pf16, PixelFormat::Pf24, PixelFormat::Pf32};
        return formats[byte() % 7];
    }
    // A picture of the sizes above, its bytes a pattern.
    Bitmap bitmap() {
        Bitmap b;
        const int w = side(), h = side();
        if (b.reset(w, h, format()))
            b.fillValue(uint32_t(number()));
        return b;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

using Application = OffscreenApplication;

// Sprite files the loads can choose: a 24-bit picture with key-green pixels, its mask, and an
// 8-bit picture that the one-file load refuses.
struct Files {
    Files() {
        Bitmap picture(12, 10, PixelFormat::Pf24), mask(12, 10, PixelFormat::Pf24);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool key = (x + y) % 3 == 0;
                picture.setPixel(x, y, key ? raster::rgb(0, 255, 0) : raster::rgb(x * 20, y, 9));
                mask.setPixel(x, y, key ? raster::clWhite : raster::clBlack);
            }
        Bitmap indexed(7, 5, PixelFormat::Pf8);
        std::string error;
        for (auto [name, bmp] : {std::pair{"p.bmp", &picture}, std::pair{"m.bmp", &mask},
                                 std::pair{"i.bmp", &indexed}}) {
            paths.push_back(dir.filePath(name).toStdString());
            raster::writeBmpFile(paths.back(), *bmp, error);
        }
        paths.push_back(dir.filePath("missing.bmp").toStdString());
    }
    QTemporaryDir dir;
    std::vector<std::string> paths;
};

Files& files() {
    static Files* f = new Files;  // never destroyed: the application object outlives it
    return *f;
}

void imageCall(TImageAdv& adv, Args& a) {
    switch (a.byte() % 16) {
        case 0: {
            const int w = a.side(true);
            adv.resize(w, a.side(true));
            break;
        }
        case 1:
            if (Bitmap* b = adv.BmpBkGet(a.image()))
                *b = a.bitmap();
            break;
        case 2:
            adv.BmpBkCopy(a.image(), a.image());
            break;
        case 3:
            adv.BmpBkCopy(a.image(), a.image(), a.number(), a.number());
            break;
        case 4: {
            const TRect d = a.rect(), s = a.rect();
            adv.BmpBkCopy2(a.image(), a.image(), &d, &s, a.number());
            break;
        }
        case 5:
            adv.DataBackUp(a.image());
            adv.DataRestore(a.image(), a.flag());
            break;
        case 6:
            adv.PaletteBackUp(a.image());
            adv.PalFlgSet(a.number(), a.number(), a.number());
            break;
        case 7:
            adv.RGBChg(a.image(), a.number(), a.number(), a.number(), a.flag());
            adv.RGBRestore(a.image());
            break;
        case 8:
            adv.ContrastChg(a.image(), a.number(), a.number(), a.number(), a.flag());
            adv.ContrastRestore(a.image());
            adv.WhitePalSet(a.image());
            break;
        case 9:
            adv.BmpBkMarge(a.image(), a.number(), a.number(), a.image(), a.number());
            adv.MargeRestore(a.number(), a.number(), a.number(), adv.BmpBkGet(a.image()), a.image(),
                             a.flag());
            break;
        case 10: {
            raster::Font f = a.font();
            adv.NovelTextOut(a.image(), a.number(), a.number(), a.text(), a.flag() ? &f : nullptr);
            break;
        }
        case 11:
        case 12: {
            const bool onCanvas = a.byte() & 1;
            Bitmap* target = adv.BmpBkGet(a.image());
            const TRect r = a.rect();
            const raster::Font f = a.font();
            const std::string text = a.text();
            const bool shadow = a.flag();
            const raster::Color c = a.color();
            if (onCanvas)
                adv.NovelDrawText(target ? &target->canvas() : nullptr, &r, text, &f, shadow, c);
            else
                adv.NovelDrawText(target, &r, text, &f, shadow, c);
            break;
        }
        case 13:
            adv.NovelSelect(a.text(), a.text(), a.text(), a.choice(), a.choice(), a.flag(),
                            a.number(), a.color());
            break;
        case 14:
            adv.NovelOption(a.text(), a.text(), a.choice(), a.choice(), a.choice(), a.choice(),
                            a.flag(), a.number(), a.color());
            break;
        default: {
            const int count = a.number(), x = a.number(), y = a.number();
            const int sel = adv.NovelSelHitRect(count, x, y);
            check(sel == 0 || (sel >= 1 && sel <= std::min(count, 4)));
            const int opt = adv.NovelOptHitRect(count, x, y);
            check(opt == 0 || (opt >= 1 && opt <= std::min(count, 6)));
        }
    }
}

void startTransition(TSplPaint& p, Args& a) {
    switch (a.byte() % 19) {
        case 0:
            p.FadeInSplite(a.sprite());
            break;
        case 1:
            p.FadeOutSplite(a.sprite());
            break;
        case 2:
            p.FadeSplite(a.sprite(), a.sprite());
            break;
        case 3:
            p.FadeFromBlack();
            break;
        case 4:
            p.FadeToBlack();
            break;
        case 5:
            p.FadeFromWhite();
            break;
        case 6:
            p.FadeToWhite();
            break;
        case 7:
            p.FadeFromWhiteContrast();
            break;
        case 8:
            p.FadeToBlackContrast();
            break;
        case 9:
            p.FadeFromBlackContrast();
            break;
        case 10:
            p.FadeToWhiteContrast();
            break;
        case 11:
            p.FadeFromBlackRGB();
            break;
        case 12:
            p.FadeToBlackRGB();
            break;
        case 13:
            p.FadeFromWhiteRGB();
            break;
        case 14:
            p.FadeToWhiteRGB();
            break;
        case 15:
            p.SlitInLeft();
            break;
        case 16:
            p.SlitInRight();
            break;
        case 17:
            p.SlitOutLeft();
            break;
        default:
            p.SlitOutRight();
    }
}

void paintCall(TSplPaint& p, Args& a) {
    const std::vector<std::string>& paths = files().paths;
    switch (a.byte() % 14) {
        case 0: {
            const int w = a.side();
            p.resize(w, a.side());
            break;
        }
        case 1: {
            const Bitmap b = a.bitmap();
            p.SetBkGnd(a.flag() ? &b : nullptr, a.flag());
            break;
        }
        case 2: {
            const int index = a.sprite();
            const std::string& image = paths[a.byte() % paths.size()];
            if (a.flag())
                p.LoadSplite(index, image, paths[a.byte() % paths.size()]);
            else
                p.LoadSplite(index, image);
            break;
        }
        case 3:
            switch (a.byte() % 3) {
                case 0:
                    p.MoveSplite(a.sprite(), a.rect());
                    break;
                case 1:
                    p.MoveSplite(a.sprite(), a.number(), a.number());
                    break;
                default:
                    p.MoveSplite2(a.sprite(), a.number(), a.number());
            }
            break;
        case 4:
            switch (a.byte() % 4) {
                case 0:
                    p.DrawSplite(a.sprite(), a.flag());
                    break;
                case 1:
                    p.DrawAll(a.number());
                    break;
                case 2:
                    p.PatchSplite(a.sprite());
                    break;
                default:
                    p.PatchSplite();
            }
            break;
        case 5: {
            const int index = a.sprite();
            if (a.flag())
                p.SetWidth(index, a.side());
            else
                p.SetHeight(index, a.side());
            p.SetVisible(index, a.flag());
            if (index >= 0 && index < TSplPaint::kSpriteCount)
                check(p.GetWidth(index) == p.Splites[size_t(index)].Image.width());
            break;
        }
        case 6:
            if (a.flag())
                p.DrawToScreen(a.flag(), a.number(), a.number());
            else
                p.CopyRectToScreen(a.flag(), a.rect());
            break;
        case 7:
            switch (a.byte() % 4) {
                case 0:
                    p.DrawToBkGnd(a.flag());
                    break;
                case 1:
                    p.CopyRectToBkGnd(a.flag(), a.rect());
                    break;
                case 2:
                    p.DrawToTemp();
                    break;
                default:
                    p.CopyRectToTemp(a.rect());
            }
            break;
        case 8:
            if (a.flag())
                p.FillBkBlack(a.flag());
            else
                p.FillBkWhite(a.flag());
            break;
        case 9:
            switch (a.byte() % 3) {
                case 0:
                    p.ContrastScreen(a.number());
                    break;
                case 1:
                    p.ContrastScreen(a.number(), a.rect());
                    break;
                default:
                    p.RGBScreen(a.number());
            }
            break;
        case 10: {
            const int target = a.number();
            const TRect r = a.rect();
            const std::string text = a.text();
            const raster::Font f = a.font();
            p.DoDrawText(target, r, text, a.flag() ? &f : nullptr, a.flag());
            break;
        }
        case 11:
            startTransition(p, a);
            break;
        case 12: {
            const int frames = a.byte() % 48;
            for (int i = 0; i < frames && p.FadeExecute(a.flag()); ++i)
                if (a.byte() % 16 == 0)
                    p.FadeAbort();
            check(p.GetFadeing() || p.FadeStep == 0);
            break;
        }
        default: {
            const int set = a.number() % 5;
            check(p.ChangeFadeBrush(set) == (set >= 0 && set <= 3));
        }
    }
}

}  // namespace

void runApi(const uint8_t* data, size_t size) {
    static Application app;
    files();
    TImageAdv adv;
    adv.setMessageBox([](const std::string&, const std::string&) {});
    TSplPaint paint;
    paint.setMessagePump([] {});
    Args a(data, size);
    for (int calls = 0; calls < 64 && a.more(); ++calls) {
        if (a.flag())
            imageCall(adv, a);
        else
            paintCall(paint, a);
    }
}

}  // namespace kelvo::fuzz
