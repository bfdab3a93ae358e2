#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace kelvo::bench {

// One line of the results table: a benchmark's median time against the median of a baseline
// measured in the same run, or, without a baseline, its throughput in GB/s.
struct Figure {
    std::string label;        // what the table calls it
    std::string numerator;    // benchmark name (without any "/repeats:" part)
    std::string denominator;  // baseline benchmark name; empty for a throughput figure
    double target = 0;        // 0: shown, not judged
    bool atLeast = false;     // the figure must reach the target rather than stay below it
    double bytes = 0;         // throughput figures: bytes handled per iteration
};

// Repetitions of every benchmark unless it sets its own; their medians held within a few
// percent between runs on a quiet two-core machine (see docs/benchmarks.md).
constexpr int kRepetitions = 15;

// Runs the registered benchmarks with `repetitions` repetitions each, interleaved at random so
// that a change of load falls on every benchmark alike, and prints the figures as a table.
// Each benchmark's time is the median over its repetitions of the processor time per
// iteration (real time for benchmarks that use it, such as those that sleep). With
// --kelvo_table=FILE the rows are also appended to FILE for scripts/bench.sh. Returns 0: the
// figures are for reading, not gating.
int runFigures(int argc, char** argv, const std::vector<Figure>& figures,
               int repetitions = kRepetitions);

// A claim "benchmark A takes at most `limit` times benchmark B".
struct RatioClaim {
    std::string numerator;
    std::string denominator;
    double limit;
};

// runFigures with one "A / B" figure per claim.
int runWithRatios(int argc, char** argv, const std::vector<RatioClaim>& claims,
                  int repetitions = kRepetitions);

}  // namespace kelvo::bench
