// A clean's own cost, beyond the sleeps it must take, against the fastest commit of the same
// bytes: one fill of a fresh mapping with huge pages where offered. Each figure is the median of
// seven runs after one unmeasured run, so that one slow commit (the kernel compacting memory for
// huge pages, the host of a virtual machine handing pages back) does not decide it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "app/clean/CleanEngine.h"
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

struct Medians {
    double clean = 0;  // seconds beyond the sleeps
    double fill = 0;
    bool refused = false;
};

// Cleans and fills of one size, taken in turns, each after the same idle time as a clean's
// sleeps: in that time a virtual machine hands freed pages back to its host, and the next touch
// pays for getting them back, so both must meet memory in the same state. One unmeasured pair
// first.
Medians measure(int64_t sizeMB) {
    kelvo::bench::SleepTimingPlatform platform(kelvo::createSystemPlatform());
    const int64_t size = sizeMB * MiB;
    Medians m;
    kelvo::CleanHooks hooks;
    hooks.showProgress = [](int) {};
    hooks.processMessages = [] {};
    hooks.pauseWanted = [] { return false; };
    hooks.stopRequested = [] { return false; };
    hooks.outOfMemory = [&m] { m.refused = true; };
    const auto clean = [&] {
        benchmark::DoNotOptimize(kelvo::runClean(platform, size, hooks).outcome);
    };
    const auto fill = [&] {
        std::unique_ptr<kelvo::MemoryBlock> block =
            platform.allocateBlock(static_cast<uint64_t>(size));
        block->zero(0, static_cast<uint64_t>(size));
    };
    std::vector<double> cleans, fills;
    for (int i = 0; i <= kRuns; ++i) {
        platform.Sleep(kCleanSleepsMs);
        const double c = secondsBeyondSleeps(platform, clean);
        platform.Sleep(kCleanSleepsMs);
        const double f = secondsBeyondSleeps(platform, fill);
        if (i == 0)
            continue;
        cleans.push_back(c);
        fills.push_back(f);
    }
    m.clean = median(cleans);
    m.fill = median(fills);
    return m;
}

const Medians& medians(int64_t sizeMB) {
    static std::map<int64_t, Medians> taken;
    auto it = taken.find(sizeMB);
    if (it == taken.end())
        it = taken.emplace(sizeMB, measure(sizeMB)).first;
    return it->second;
}

void BM_CleanBeyondSleeps(benchmark::State& state) {
    const Medians& m = medians(state.range(0));
    for (auto _ : state)
        state.SetIterationTime(m.clean);
    if (m.refused)
        state.SkipWithError("this machine cannot spare the clean");
}

void BM_FreshHugePageFill(benchmark::State& state) {
    const Medians& m = medians(state.range(0));
    for (auto _ : state)
        state.SetIterationTime(m.fill);
}

#define CLEAN_BENCH(fn)                                                       \
    BENCHMARK(fn)->Arg(256)->Arg(1024)->Iterations(1)->UseManualTime()->Unit( \
        benchmark::kMillisecond)
CLEAN_BENCH(BM_CleanBeyondSleeps);
CLEAN_BENCH(BM_FreshHugePageFill);

}  // namespace

int main(int argc, char** argv) {
    const auto figure = [](const char* label, const char* size) {
        return kelvo::bench::Figure{
            label, std::string("BM_CleanBeyondSleeps/") + size + "/iterations:1/manual_time",
            std::string("BM_FreshHugePageFill/") + size + "/iterations:1/manual_time", 1.05};
    };
    // Each figure is already the median of its own runs: one repetition.
    return kelvo::bench::runFigures(
        argc, argv,
        {figure("clean of 256 MiB beyond its sleeps / one huge-page fill", "256"),
         figure("clean of 1 GiB beyond its sleeps / one huge-page fill", "1024")},
        1);
}
