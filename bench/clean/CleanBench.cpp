// A clean's own cost, beyond the sleeps it must take, against the fastest commit of the same
// bytes: one fill of a fresh mapping with huge pages where offered. Each figure is the median of
// seven runs after one unmeasured run, so that one slow commit (the kernel compacting memory for
// huge pages) does not decide it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "app/CleanEngine.h"
#include "bench/clean/SleepTimingPlatform.h"
#include "bench/support/Ratios.h"

namespace {

constexpr int64_t MiB = 1048576;
constexpr int kRuns = 7;
constexpr uint32_t kCleanSleepsMs = 100 * 10 + 100;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Seconds of one run of `work`, less what `sleptSeconds` grew by meanwhile.
template <typename Work>
double secondsBeyondSleeps(kelvo::bench::SleepTimingPlatform& platform, Work work) {
    const double sleptBefore = platform.sleptSeconds;
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return wall - (platform.sleptSeconds - sleptBefore);
}

// `idleMs` between runs, not counted: a clean's 1.1 s of sleeps give the machine time to take
// back freed memory (a virtual machine hands freed pages to its host within seconds, and the
// next touch pays for getting them back); the fill must meet memory in the same state.
template <typename Work>
void medianOfRuns(benchmark::State& state, kelvo::bench::SleepTimingPlatform& platform,
                  uint32_t idleMs, Work work) {
    for (auto _ : state) {
        secondsBeyondSleeps(platform, work);
        std::vector<double> runs;
        for (int i = 0; i < kRuns; ++i) {
            platform.Sleep(idleMs);
            runs.push_back(secondsBeyondSleeps(platform, work));
        }
        state.SetIterationTime(median(runs));
    }
}

void BM_CleanBeyondSleeps(benchmark::State& state) {
    kelvo::bench::SleepTimingPlatform platform(kelvo::createSystemPlatform());
    const int64_t size = state.range(0) * MiB;
    kelvo::CleanHooks hooks;
    hooks.showProgress = [](int) {};
    hooks.processMessages = [] {};
    hooks.pauseWanted = [] { return false; };
    hooks.stopRequested = [] { return false; };
    bool refused = false;
    hooks.outOfMemory = [&refused] { refused = true; };
    medianOfRuns(state, platform, 0,
                 [&] { benchmark::DoNotOptimize(kelvo::runClean(platform, size, hooks).outcome); });
    if (refused)
        state.SkipWithError("this machine cannot spare the clean");
}

void BM_FreshHugePageFill(benchmark::State& state) {
    kelvo::bench::SleepTimingPlatform platform(kelvo::createSystemPlatform());
    const uint64_t size = static_cast<uint64_t>(state.range(0) * MiB);
    medianOfRuns(state, platform, kCleanSleepsMs, [&] {
        std::unique_ptr<kelvo::MemoryBlock> block = platform.allocateBlock(size);
        block->zero(0, size);
    });
}

#define CLEAN_BENCH(fn)                                                       \
    BENCHMARK(fn)->Arg(256)->Arg(1024)->Iterations(1)->UseManualTime()->Unit( \
        benchmark::kMillisecond)
CLEAN_BENCH(BM_CleanBeyondSleeps);
CLEAN_BENCH(BM_FreshHugePageFill);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithRatios(
        argc, argv,
        {{"BM_CleanBeyondSleeps/256/iterations:1/manual_time",
          "BM_FreshHugePageFill/256/iterations:1/manual_time", 1.05},
         {"BM_CleanBeyondSleeps/1024/iterations:1/manual_time",
          "BM_FreshHugePageFill/1024/iterations:1/manual_time", 1.05}});
}
