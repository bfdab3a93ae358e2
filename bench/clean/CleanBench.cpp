// A whole clean on this machine against its floor: the clean's mandatory sleeps plus the fastest
// commit of the same bytes (one fill of a fresh mapping with huge pages where offered).
#include <benchmark/benchmark.h>

#include "app/CleanEngine.h"
#include "bench/support/Ratios.h"
#include "platform/Platform.h"

namespace {

constexpr int64_t MiB = 1048576;

void BM_Clean(benchmark::State& state) {
    auto platform = kelvo::createSystemPlatform();
    const int64_t size = state.range(0) * MiB;
    kelvo::CleanHooks hooks;
    hooks.showProgress = [](int) {};
    hooks.processMessages = [] {};
    hooks.pauseWanted = [] { return false; };
    hooks.stopRequested = [] { return false; };
    bool refused = false;
    hooks.outOfMemory = [&refused] { refused = true; };
    for (auto _ : state)
        benchmark::DoNotOptimize(kelvo::runClean(*platform, size, hooks));
    if (refused)
        state.SkipWithError("this machine cannot spare the clean");
}

// The floor: 100 sleeps of 10 ms (and, with `finalSleep`, the clean's closing 100 ms), and one
// fill of a fresh block of the same size.
void floor(benchmark::State& state, bool finalSleep) {
    auto platform = kelvo::createSystemPlatform();
    const uint64_t size = static_cast<uint64_t>(state.range(0) * MiB);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            platform->Sleep(10);
        if (finalSleep)
            platform->Sleep(100);
        std::unique_ptr<kelvo::MemoryBlock> block = platform->allocateBlock(size);
        block->zero(0, size);
    }
}

void BM_FloorAllSleeps(benchmark::State& state) {
    floor(state, true);
}
void BM_Floor100Sleeps(benchmark::State& state) {
    floor(state, false);
}

#define CLEAN_BENCH(fn) \
    BENCHMARK(fn)->Arg(256)->Arg(1024)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond)
CLEAN_BENCH(BM_Clean);
CLEAN_BENCH(BM_FloorAllSleeps);
CLEAN_BENCH(BM_Floor100Sleeps);

}  // namespace

int main(int argc, char** argv) {
    const char* clean256 = "BM_Clean/256/iterations:3/real_time";
    const char* clean1024 = "BM_Clean/1024/iterations:3/real_time";
    return kelvo::bench::runWithRatios(
        argc, argv,
        {{clean256, "BM_FloorAllSleeps/256/iterations:3/real_time", 1.05},
         {clean1024, "BM_FloorAllSleeps/1024/iterations:3/real_time", 1.05},
         {clean256, "BM_Floor100Sleeps/256/iterations:3/real_time", 1.05},
         {clean1024, "BM_Floor100Sleeps/1024/iterations:3/real_time", 1.05}},
        5);  // a clean takes seconds: five medians of three
}
