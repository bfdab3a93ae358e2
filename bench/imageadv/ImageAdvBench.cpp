#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <random>
#include <vector>

#include "bench/support/Ratios.h"
#include "components/imageadv/ColorEffects.h"
#include "components/imageadv/ImageAdv.h"
#include "components/imageadv/Scramble.h"
#include "raster/codec/Bmp.h"

// Image component operations on a 640 x 480 picture, each against memcpy of the same number of
// bytes (a 24-bit frame, 921,600 bytes) in the same run.
namespace {

using kelvo::TImageAdv;
using kelvo::raster::Bitmap;
using kelvo::raster::PixelFormat;

constexpr int kW = 640, kH = 480;
constexpr size_t kFrame = size_t(kW) * kH * 3;

TImageAdv* adv = nullptr;
QString bmpPath;

Bitmap noise24() {
    Bitmap b(kW, kH, PixelFormat::Pf24);
    std::mt19937 rng(1);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW * 3; ++x)
            b.row(y)[x] = uint8_t(rng());
    return b;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(kFrame, 1), b(kFrame);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kFrame);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrame));
}
BENCHMARK(BM_Memcpy);

void BM_RGBChg24(benchmark::State& state) {
    *adv->BmpBkGet(1) = noise24();
    for (auto _ : state)
        adv->RGBChg(1, 30, 0, 256, false);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrame));
}
BENCHMARK(BM_RGBChg24);

// The pixel pass of RGBChg alone, without its row back-up.
void BM_ScaleBytes(benchmark::State& state) {
    Bitmap b = noise24();
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y)
            kelvo::scaleBytes(b.row(y), size_t(kW) * 3, 30);
        benchmark::DoNotOptimize(b.bits());
    }
}
BENCHMARK(BM_ScaleBytes);

void BM_BmpBkCopy2(benchmark::State& state) {
    *adv->BmpBkGet(1) = noise24();
    *adv->BmpBkGet(2) = noise24();
    const kelvo::TRect r{0, 0, kW, kH};
    for (auto _ : state)
        adv->BmpBkCopy2(1, 2, &r, &r, 0);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrame));
}
BENCHMARK(BM_BmpBkCopy2);

void BM_Descramble(benchmark::State& state) {
    std::vector<uint8_t> data(kFrame, 7);
    for (auto _ : state) {
        kelvo::descramble(data.data(), data.size(), 1234);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrame));
}
BENCHMARK(BM_Descramble);

void BM_BmpDecode24(benchmark::State& state) {
    Bitmap b;
    std::string error;
    for (auto _ : state) {
        kelvo::raster::readBmpFile(bmpPath.toStdString(), b, error);
        benchmark::DoNotOptimize(b.bits());
    }
}
BENCHMARK(BM_BmpDecode24);

void BM_QImageLoad24(benchmark::State& state) {
    for (auto _ : state) {
        QImage img;
        img.load(bmpPath);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_QImageLoad24);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    bmpPath = dir.filePath("frame24.bmp");
    std::string error;
    kelvo::raster::writeBmpFile(bmpPath.toStdString(), noise24(), error);
    TImageAdv control;
    control.resize(kW, kH);
    adv = &control;

    return kelvo::bench::runFigures(
        argc, argv,
        {{"RGBChg 24-bit, with its row back-up / memcpy", "BM_RGBChg24", "BM_Memcpy", 2.5},
         {"RGBChg pixel pass alone / memcpy", "BM_ScaleBytes", "BM_Memcpy"},
         {"BmpBkCopy2 copy / memcpy", "BM_BmpBkCopy2", "BM_Memcpy", 1.2},
         {"descrambling", "BM_Descramble", "", 2, true, double(kFrame)},
         {"24-bit BMP decode / QImage load", "BM_BmpDecode24", "BM_QImageLoad24", 1.0}});
}
