#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace kelvo::bench {

// A claim "benchmark A takes at most `limit` times benchmark B", checked on one run's figures.
struct RatioClaim {
    std::string numerator;
    std::string denominator;
    double limit;
};

// Runs the registered benchmarks, prints the usual table, then one line per claim (see
// RatioReporter). Returns 0: the figures are for reading, not gating.
int runWithRatios(int argc, char** argv, const std::vector<RatioClaim>& claims);

}  // namespace kelvo::bench
