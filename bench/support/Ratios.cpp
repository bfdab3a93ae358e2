#include "bench/support/Ratios.h"

#include <cstdio>

namespace kelvo::bench {
namespace {

// Keeps each benchmark's real time per iteration while the console reporter prints as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> nsPerIteration;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                nsPerIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int runWithRatios(int argc, char** argv, const std::vector<RatioClaim>& claims) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const RatioClaim& c : claims) {
        auto a = reporter.nsPerIteration.find(c.numerator);
        auto b = reporter.nsPerIteration.find(c.denominator);
        if (a == reporter.nsPerIteration.end() || b == reporter.nsPerIteration.end() ||
            b->second <= 0)
            continue;
        const double ratio = a->second / b->second;
        std::printf("ratio %s / %s = %.3f (target <= %.2f) %s\n", c.numerator.c_str(),
                    c.denominator.c_str(), ratio, c.limit, ratio <= c.limit ? "ok" : "MISSED");
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace kelvo::bench
