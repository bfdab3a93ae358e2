#include "bench/support/Ratios.h"

#include "bench/RatioReporter.h"

namespace kelvo::bench {

int runWithRatios(int argc, char** argv, const std::vector<RatioClaim>& claims) {
    benchmark::Initialize(&argc, argv);
    std::vector<RatioReporter::Claim> reporterClaims;
    for (const RatioClaim& c : claims)
        reporterClaims.push_back({c.numerator, c.denominator, c.numerator + " / " + c.denominator, c.limit});
    RatioReporter reporter(std::move(reporterClaims));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.summarize();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kelvo::bench
