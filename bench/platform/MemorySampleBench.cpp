#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "bench/support/Ratios.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

// One full memory sample: a kept-open descriptor read with pread and parsed.
void BM_PlatformSample(benchmark::State& state) {
    kelvo::LinuxPlatform platform;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform.fullMemoryStatus());
}
BENCHMARK(BM_PlatformSample);

// A tick's sample while the page counters stand still (in a tight loop they nearly always do).
void BM_TickSample(benchmark::State& state) {
    kelvo::LinuxPlatform platform;
    kelvo::MEMORYSTATUS ms;
    for (auto _ : state) {
        platform.GlobalMemoryStatus(ms);
        benchmark::DoNotOptimize(ms);
    }
}
BENCHMARK(BM_TickSample);

// The plain way: open the file each time and read it line by line.
void BM_IfstreamSample(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in("/proc/meminfo");
        std::string line;
        unsigned long long total = 0, avail = 0;
        while (std::getline(in, line)) {
            if (line.rfind("MemTotal:", 0) == 0)
                total = std::stoull(line.substr(9));
            else if (line.rfind("MemAvailable:", 0) == 0)
                avail = std::stoull(line.substr(13));
        }
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(avail);
    }
}
BENCHMARK(BM_IfstreamSample);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runFigures(
        argc, argv,
        {{"memory sample / ifstream re-parse", "BM_PlatformSample", "BM_IfstreamSample", 0.45},
         {"memory sample, counters unchanged / full sample", "BM_TickSample", "BM_PlatformSample",
          0.2}});
}
