#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "bench/support/Ratios.h"
#include "components/splpaint/SplPaint.h"
#include "tests/support/NoiseBitmap.h"

// One frame of each transition family and the two colour passes on a 640 x 480 24-bit
// picture, each against copying that picture's bytes.
namespace {

using kelvo::TSplPaint;
using kelvo::raster::Bitmap;
using kelvo::raster::PixelFormat;

constexpr int kWidth = 640, kHeight = 480;

Bitmap noise(int w, int h, unsigned seed) {
    return kelvo::testsupport::noiseBitmap24(w, h, seed);
}

// A painter with a noise background and two 128 x 128 sprites.
std::unique_ptr<TSplPaint> makePainter() {
    auto paint = std::make_unique<TSplPaint>();
    const Bitmap bg = noise(kWidth, kHeight, 1);
    paint->SetBkGnd(&bg, true);
    for (int i = 0; i < 2; ++i) {
        kelvo::TpbSplite& s = paint->Splites[size_t(i)];
        s.Image = noise(128, 128, unsigned(2 + i));
        s.Mask = noise(128, 128, unsigned(4 + i));
        s.ImageRect = s.BaseRect = s.OldPosRect = s.Image.bounds();
        s.PosRect = {200, 150, 328, 278};
    }
    return paint;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(size_t(kWidth) * kHeight * 3, 7), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

// Frames of one transition, restarted whenever it ends.
void frames(benchmark::State& state, const std::function<void(TSplPaint&)>& start) {
    auto paint = makePainter();
    start(*paint);
    for (auto _ : state) {
        if (!paint->FadeExecute(false))
            start(*paint);
        benchmark::DoNotOptimize(paint->BkGnd.bits());
    }
}

void BM_PatternDissolveFromBlack(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.FadeFromBlack(); });
}
void BM_PatternDissolveFromWhite(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.FadeFromWhite(); });
}
void BM_BrightnessRamp(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.FadeFromWhiteContrast(); });
}
void BM_OffsetRamp(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.FadeFromBlackRGB(); });
}
void BM_SlitWipe(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.SlitInLeft(); });
}
void BM_SpriteCrossDissolve(benchmark::State& state) {
    frames(state, [](TSplPaint& p) { p.FadeSplite(0, 1); });
}

void BM_ContrastScreen(benchmark::State& state) {
    auto paint = makePainter();
    for (auto _ : state)
        benchmark::DoNotOptimize(paint->ContrastScreen(380));
}

void BM_RGBScreen(benchmark::State& state) {
    auto paint = makePainter();
    for (auto _ : state)
        benchmark::DoNotOptimize(paint->RGBScreen(20));
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_PatternDissolveFromBlack);
BENCHMARK(BM_PatternDissolveFromWhite);
BENCHMARK(BM_BrightnessRamp);
BENCHMARK(BM_OffsetRamp);
BENCHMARK(BM_SlitWipe);
BENCHMARK(BM_SpriteCrossDissolve);
BENCHMARK(BM_ContrastScreen);
BENCHMARK(BM_RGBScreen);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return kelvo::bench::runFigures(
        argc, argv,
        {{"pattern dissolve from black, one frame / memcpy", "BM_PatternDissolveFromBlack",
          "BM_Memcpy", 5.0},
         {"pattern dissolve from white, one frame / memcpy", "BM_PatternDissolveFromWhite",
          "BM_Memcpy", 5.0},
         {"brightness ramp, one frame / memcpy", "BM_BrightnessRamp", "BM_Memcpy", 5.0},
         {"offset ramp, one frame / memcpy", "BM_OffsetRamp", "BM_Memcpy", 5.0},
         {"slit wipe, one frame / memcpy", "BM_SlitWipe", "BM_Memcpy", 5.0},
         {"sprite cross-dissolve, one frame / memcpy", "BM_SpriteCrossDissolve", "BM_Memcpy", 5.0},
         {"ContrastScreen / memcpy", "BM_ContrastScreen", "BM_Memcpy", 3.0},
         {"RGBScreen / memcpy", "BM_RGBScreen", "BM_Memcpy", 1.5}});
}
