#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kelvo::bench {

// Console output plus, at the end, one line per claim: a benchmark's time against a baseline
// measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Claim {
        std::string what, baseline, label;
        double limit;  // the ratio must stay at or below this (0: report only)
        bool higherIsBetter = false;
    };
    explicit RatioReporter(std::vector<Claim> claims) : claims_(std::move(claims)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // Real time per iteration in nanoseconds, 0 when the benchmark did not run.
    double time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }

    // Prints the ratios; false when one misses its limit.
    bool summarize() const {
        bool ok = true;
        for (const Claim& c : claims_) {
            const auto a = times_.find(c.what), b = times_.find(c.baseline);
            if (a == times_.end() || b == times_.end() || b->second <= 0)
                continue;
            const double ratio = a->second / b->second;
            const bool met = c.limit <= 0 || ratio <= c.limit;
            ok = ok && met;
            if (c.limit > 0)
                std::printf("ratio %s = %.2f (target <= %.2f)%s\n", c.label.c_str(), ratio, c.limit,
                            met ? "" : "  MISSED");
            else
                std::printf("ratio %s = %.2f\n", c.label.c_str(), ratio);
        }
        return ok;
    }

  private:
    std::vector<Claim> claims_;
    std::map<std::string, double> times_;
};

}  // namespace kelvo::bench
