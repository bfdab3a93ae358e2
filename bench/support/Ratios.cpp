#include "bench/support/Ratios.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "raster/kernels/InstructionSet.h"

namespace kelvo::bench {
namespace {

// Collects the time per iteration of every repetition, by benchmark name.
class FigureReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // The console shows each benchmark's median and spread, not every repetition.
        std::vector<Run> shown;
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate &&
                (r.aggregate_name == "median" || r.aggregate_name == "cv"))
                shown.push_back(r);
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            benchmark::BenchmarkName name = r.run_name;
            name.repetitions.clear();
            // Benchmarks that sleep measure real time; those that time themselves, their own.
            const bool real = name.time_type.find("real_time") != std::string::npos ||
                              name.time_type.find("manual_time") != std::string::npos;
            samples_[name.str()].push_back(real ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime());
            // Times are reported in each benchmark's own unit; the figures want nanoseconds.
            units_[name.str()] = benchmark::GetTimeUnitMultiplier(r.time_unit);
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    // Median in nanoseconds and half the interquartile range relative to it; false when the
    // benchmark did not run.
    bool stats(const std::string& name, double& median, double& spread) const {
        const auto it = samples_.find(name);
        if (it == samples_.end() || it->second.empty())
            return false;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        auto at = [&](double q) {
            const double pos = q * double(v.size() - 1);
            const size_t lo = size_t(pos);
            const size_t hi = std::min(lo + 1, v.size() - 1);
            return v[lo] + (v[hi] - v[lo]) * (pos - double(lo));
        };
        const double toNs = 1e9 / units_.at(name);
        median = at(0.5) * toNs;
        spread = median > 0 ? (at(0.75) - at(0.25)) * toNs / 2 / median : 0;
        return median > 0;
    }

  private:
    std::map<std::string, std::vector<double>> samples_;
    std::map<std::string, double> units_;
};

struct Row {
    std::string label, target, measured, spread, verdict;
};

std::string format(double v, const char* unit) {
    char buf[64];
    std::snprintf(buf, sizeof buf, v >= 100 ? "%.0f%s" : "%.2f%s", v, unit);
    return buf;
}

Row evaluate(const Figure& f, const FigureReporter& rep) {
    Row row{f.label, "", "not run", "", "-"};
    const bool throughput = f.denominator.empty();
    const char* unit = throughput ? " GB/s" : " x";
    if (f.target > 0)
        row.target = std::string(f.atLeast ? ">= " : "<= ") + format(f.target, unit);
    double num = 0, numSpread = 0, den = 1, denSpread = 0;
    if (!rep.stats(f.numerator, num, numSpread))
        return row;
    if (!throughput && !rep.stats(f.denominator, den, denSpread))
        return row;
    const double value = throughput ? f.bytes / num : num / den;  // bytes per ns is GB/s
    row.measured = format(value, unit);
    char spread[32];
    std::snprintf(spread, sizeof spread, "+-%.1f%%", 100 * (numSpread + denSpread));
    row.spread = spread;
    if (f.target > 0)
        row.verdict = (f.atLeast ? value >= f.target : value <= f.target) ? "met" : "MISSED";
    return row;
}

// The set named by --kelvo_isa= or KELVO_ISA (any case), lowered to what the processor has;
// without a name, the detected one. Returns what the kernels then take, and says so.
std::string chooseInstructionSet(const std::string& wanted) {
    using raster::InstructionSet;
    const InstructionSet detected = raster::detectedInstructionSet();
    std::string note;
    if (!wanted.empty()) {
        std::string lower;
        for (char c : wanted)
            lower.push_back(char(std::tolower(uint8_t(c))));
        bool known = false;
        for (InstructionSet set : {InstructionSet::Portable, InstructionSet::Sse2,
                                   InstructionSet::Avx2, InstructionSet::Avx512Vbmi}) {
            std::string name;
            for (const char* p = raster::instructionSetName(set); *p; ++p)
                name.push_back(char(std::tolower(uint8_t(*p))));
            if (name == lower) {
                raster::forceInstructionSet(std::min(set, detected));
                known = true;
            }
        }
        note = known ? (raster::activeInstructionSet() < detected ? " (forced; the processor has "
                                                                  : " (the processor has ") +
                           std::string(raster::instructionSetName(detected)) + ")"
                     : " (\"" + wanted +
                           "\" is no instruction set: portable, sse2, avx2, "
                           "avx512vbmi)";
    }
    return raster::instructionSetName(raster::activeInstructionSet()) + note;
}

}  // namespace

int runFigures(int argc, char** argv, const std::vector<Figure>& figures, int repetitions) {
    // Our defaults first, so that options given on the command line win.
    std::vector<std::string> store = {
        argc > 0 ? argv[0] : "bench", "--benchmark_repetitions=" + std::to_string(repetitions),
        "--benchmark_enable_random_interleaving=true", "--benchmark_min_time=0.1"};
    std::string tablePath;
    const char* isaVariable = std::getenv("KELVO_ISA");
    std::string isa = isaVariable ? isaVariable : "";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--kelvo_table=", 14) == 0)
            tablePath = argv[i] + 14;
        else if (std::strncmp(argv[i], "--kelvo_isa=", 12) == 0)
            isa = argv[i] + 12;
        else
            store.push_back(argv[i]);
    }
    const std::string measuredOn = chooseInstructionSet(isa);
    std::vector<char*> args;
    for (std::string& s : store)
        args.push_back(s.data());
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const char* slash = std::strrchr(store[0].c_str(), '/');
    const std::string program = slash ? slash + 1 : store[0];
    std::vector<Row> rows = {{"instruction set of " + program, "", measuredOn, "", "-"}};
    for (const Figure& f : figures)
        rows.push_back(evaluate(f, reporter));
    std::printf("\n%-58s %-14s %-12s %-9s %s\n", "figure", "target", "measured", "spread",
                "verdict");
    for (const Row& r : rows)
        std::printf("%-58s %-14s %-12s %-9s %s\n", r.label.c_str(), r.target.c_str(),
                    r.measured.c_str(), r.spread.c_str(), r.verdict.c_str());
#ifndef __OPTIMIZE__
    std::printf("(built without optimisation: the figures mean little)\n");
#endif
    if (!tablePath.empty()) {
        if (FILE* out = std::fopen(tablePath.c_str(), "a")) {
            for (const Row& r : rows)
                std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", r.label.c_str(), r.target.c_str(),
                             r.measured.c_str(), r.spread.c_str(), r.verdict.c_str());
            std::fclose(out);
        }
    }
    return 0;
}

int runWithRatios(int argc, char** argv, const std::vector<RatioClaim>& claims, int repetitions) {
    std::vector<Figure> figures;
    for (const RatioClaim& c : claims)
        figures.push_back(
            {c.numerator + " / " + c.denominator, c.numerator, c.denominator, c.limit});
    return runFigures(argc, argv, figures, repetitions);
}

}  // namespace kelvo::bench
