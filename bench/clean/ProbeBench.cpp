// The figures read before every pass of a clean and at every processor-usage sample: through the
// platform layer (kept-open files, one pread each) against re-opening and parsing them with
// std::ifstream.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/support/Ratios.h"
#include "platform/Platform.h"

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_SafetyProbe(benchmark::State& state) {
    auto platform = kelvo::createSystemPlatform();
    auto probe = platform->openMemoryProbe();
    for (auto _ : state)
        benchmark::DoNotOptimize(probe->sample());
}
BENCHMARK(BM_SafetyProbe);

void BM_SafetyProbeIfstream(benchmark::State& state) {
    // The same files as the probe reads; found once, as the probe finds them once.
    struct Files {
        std::string limit, usage, stat;
    };
    std::vector<Files> groups;
    const kelvo::OwnCgroups own = kelvo::parseProcSelfCgroup(slurp("/proc/self/cgroup"));
    const kelvo::CgroupMounts mounts = kelvo::parseMountinfo(slurp("/proc/self/mountinfo"));
    if (own.v1Memory && mounts.v1Memory)
        for (const std::string& f : kelvo::cgroupFolders(*mounts.v1Memory, *own.v1Memory))
            if (std::ifstream(f + "/memory.limit_in_bytes"))
                groups.push_back({f + "/memory.limit_in_bytes", f + "/memory.usage_in_bytes",
                                  f + "/memory.stat"});
    if (own.v2 && mounts.v2)
        for (const std::string& f : kelvo::cgroupFolders(*mounts.v2, *own.v2))
            if (std::ifstream(f + "/memory.max"))
                groups.push_back({f + "/memory.max", f + "/memory.current", f + "/memory.stat"});
    for (auto _ : state) {
        kelvo::MemorySafetySample s;
        s.meminfo = kelvo::parseMeminfo(slurp("/proc/meminfo"));
        s.pressureFullUs = kelvo::parsePressureFullTotal(slurp("/proc/pressure/memory"));
        // The same reads as the probe: the rest of a group only where some group has a limit.
        std::vector<kelvo::CgroupLevel> levels;
        bool anyLimit = false;
        for (const Files& g : groups) {
            levels.push_back({kelvo::parseCgroupBytes(slurp(g.limit)), {}, {}, {}, {}});
            anyLimit = anyLimit || levels.back().limit.value_or(UINT64_MAX) < kelvo::kCgroupNoLimit;
        }
        for (size_t i = 0; anyLimit && i < groups.size(); ++i) {
            levels[i].usage = kelvo::parseCgroupBytes(slurp(groups[i].usage));
            levels[i].reclaimable = kelvo::parseCgroupReclaimable(slurp(groups[i].stat));
        }
        s.cgroupHeadroom = kelvo::cgroupHeadroom(levels);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_SafetyProbeIfstream);

void BM_CpuSample(benchmark::State& state) {
    auto platform = kelvo::createSystemPlatform();
    for (auto _ : state)
        benchmark::DoNotOptimize(platform->queryCpuTimes());
}
BENCHMARK(BM_CpuSample);

void BM_CpuSampleIfstream(benchmark::State& state) {
    auto platform = kelvo::createSystemPlatform();
    for (auto _ : state) {
        std::ifstream stat("/proc/stat");
        std::string line;
        std::getline(stat, line);
        kelvo::CpuTimes t;
        t.idleTime = static_cast<int64_t>(kelvo::parseProcStatIdleTicks(line).value_or(0));
        t.processors = kelvo::parseCpuList(slurp("/sys/devices/system/cpu/online")).value_or(0);
        t.systemTime = platform->monotonicNs() / 100;
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_CpuSampleIfstream);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithRatios(argc, argv,
                                       {{"BM_SafetyProbe", "BM_SafetyProbeIfstream", 0.5},
                                        {"BM_CpuSample", "BM_CpuSampleIfstream", 0.5}});
}
