#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "bench/support/Ratios.h"
#include "platform/Platform.h"

namespace {

// One memory sample as the program takes it: a kept-open descriptor read with pread.
void BM_PlatformSample(benchmark::State& state) {
    auto platform = kelvo::createSystemPlatform();
    kelvo::MEMORYSTATUS ms;
    for (auto _ : state) {
        platform->GlobalMemoryStatus(ms);
        benchmark::DoNotOptimize(ms);
    }
}
BENCHMARK(BM_PlatformSample);

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
        {{"memory sample / ifstream re-parse", "BM_PlatformSample", "BM_IfstreamSample", 0.45}});
}
