#include <cstring>
#include <random>
#include <vector>

#include "bench/support/Ratios.h"
#include "raster/Blit.h"

// Whole-frame blits on 640 x 480, each against memcpy of the destination's bytes.
namespace {

using namespace kelvo::raster;

constexpr int kW = 640, kH = 480;

Bitmap noise(PixelFormat f) {
    Bitmap b(kW, kH, f);
    std::mt19937 rng(2);
    for (size_t i = 0; i < b.byteSize(); ++i)
        b.bits()[i] = uint8_t(rng());
    return b;
}

void memcpyFrame(benchmark::State& state, size_t bytesPerPixel) {
    std::vector<uint8_t> a(size_t(kW) * kH * bytesPerPixel, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
void BM_Memcpy(benchmark::State& s) {
    memcpyFrame(s, 3);
}
void BM_Memcpy32(benchmark::State& s) {
    memcpyFrame(s, 4);
}
BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Memcpy32);

void blit(benchmark::State& state, PixelFormat from, uint32_t rop,
          PixelFormat to = PixelFormat::Pf24) {
    Bitmap dst = noise(to);
    const Bitmap src = noise(from);
    const Brush brush = Brush::monoPattern({0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA});
    for (auto _ : state) {
        bitBlt(dst, 0, 0, kW, kH, &src, 0, 0, rop, &brush);
        benchmark::DoNotOptimize(dst.bits());
    }
}

void BM_Copy24(benchmark::State& s) {
    blit(s, PixelFormat::Pf24, rop::SRCCOPY);
}
void BM_And24(benchmark::State& s) {
    blit(s, PixelFormat::Pf24, rop::SRCAND);
}
void BM_MergeCopy24(benchmark::State& s) {
    blit(s, PixelFormat::Pf24, rop::MERGECOPY);
}
void BM_DstAndPat24(benchmark::State& s) {
    blit(s, PixelFormat::Pf24, rop::DSTANDPAT);
}
void BM_Copy8to24(benchmark::State& s) {
    blit(s, PixelFormat::Pf8, rop::SRCCOPY);
}
// An operation of all three inputs with no formula of its own.
void BM_Generic24(benchmark::State& s) {
    blit(s, PixelFormat::Pf24, 0x00E20746);
}
void BM_Generic32(benchmark::State& s) {
    blit(s, PixelFormat::Pf32, 0x00E20746, PixelFormat::Pf32);
}
BENCHMARK(BM_Copy24);
BENCHMARK(BM_And24);
BENCHMARK(BM_MergeCopy24);
BENCHMARK(BM_DstAndPat24);
BENCHMARK(BM_Copy8to24);
BENCHMARK(BM_Generic24);
BENCHMARK(BM_Generic32);

void BM_Stretch2x24(benchmark::State& state) {
    Bitmap dst = noise(PixelFormat::Pf24);
    Bitmap src(kW / 2, kH / 2, PixelFormat::Pf24);
    for (auto _ : state) {
        stretchBlt(dst, {0, 0, kW, kH}, &src, {0, 0, kW / 2, kH / 2}, rop::SRCCOPY);
        benchmark::DoNotOptimize(dst.bits());
    }
}
BENCHMARK(BM_Stretch2x24);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runFigures(
        argc, argv,
        {{"blit SRCCOPY 24 -> 24 / memcpy", "BM_Copy24", "BM_Memcpy"},
         {"blit SRCAND 24 -> 24 / memcpy", "BM_And24", "BM_Memcpy"},
         {"blit MERGECOPY 24 -> 24 / memcpy", "BM_MergeCopy24", "BM_Memcpy"},
         {"blit destination AND pattern 24 / memcpy", "BM_DstAndPat24", "BM_Memcpy"},
         {"blit generic ROP 0xE2, 24-bit / memcpy", "BM_Generic24", "BM_Memcpy", 6},
         {"blit generic ROP 0xE2, 32-bit / memcpy", "BM_Generic32", "BM_Memcpy32", 6},
         {"blit 8 -> 24 through the palette / memcpy", "BM_Copy8to24", "BM_Memcpy", 4},
         {"stretch 2x 24 -> 24 / memcpy", "BM_Stretch2x24", "BM_Memcpy", 3}});
}
