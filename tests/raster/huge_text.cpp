// Draws text into the whole of the largest 8-bit bitmap the raster layer allows and
// checks that it matches the same text drawn on a small bitmap. huge_text.sh runs it under an
// address-space limit that holds the bitmap with little to spare, so a text pass that needs
// memory in proportion to its area fails here.
#include <QGuiApplication>
#include <cstdio>

#include "raster/Bitmap.h"
#include "raster/Canvas.h"

using namespace kelvo::raster;
using kelvo::TRect;

namespace {

constexpr const char* kText = "Kelvo draws\ntext in &bands\nof rows";
constexpr int kCheckWidth = 200, kCheckHeight = 120;

int draw(Bitmap& b) {
    Canvas& c = b.canvas();
    Font f;
    f.pixelHeight = 20;
    f.italic = true;
    c.setFont(f);
    TRect r = b.bounds();
    return c.drawText(kText, r, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    Bitmap huge;
    if (const SizeResult r = huge.reset(Bitmap::kMaxSide, Bitmap::kMaxSide, PixelFormat::Pf8); !r) {
        // 1 GiB fits the limit the script sets: no room for it is a fault, not a reason to skip.
        std::printf("FAIL: no room for the %d x %d 8-bit bitmap itself (%s)\n", Bitmap::kMaxSide,
                    Bitmap::kMaxSide, r.reason());
        return 1;
    }
    // Unwrapped and left-aligned, the text lies in the top-left corner of both bitmaps.
    const int hugeHeight = draw(huge);
    Bitmap small;
    if (!small.reset(kCheckWidth, kCheckHeight, PixelFormat::Pf8))
        return 1;
    const int smallHeight = draw(small);
    int differing = 0, text = 0;
    for (int y = 0; y < kCheckHeight; ++y)
        for (int x = 0; x < kCheckWidth; ++x) {
            differing += huge.pixelValue(x, y) != small.pixelValue(x, y);
            text += small.pixelValue(x, y) != small.pixelValue(0, 0);
        }
    if (differing || !text || hugeHeight != smallHeight) {
        std::printf("FAIL: %d pixels differ, %d text pixels, heights %d and %d\n", differing, text,
                    hugeHeight, smallHeight);
        return 1;
    }
    std::printf("ok: %d text pixels on a %d x %d 8-bit bitmap\n", text, Bitmap::kMaxSide,
                Bitmap::kMaxSide);
    return 0;
}
