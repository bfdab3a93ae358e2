#include "platform/linux/SampleGate.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

constexpr int64_t kMs = 1'000'000;

TEST(SampleGate, ReusesASampleOnlyWhileTheCountersStandStillAndForASecondAtMost) {
    const PageCounters idle{1000, 20, 30, 0, 0};
    SampleGate gate;
    EXPECT_TRUE(gate.needsFullSample(idle, 0));
    gate.fullSampleTaken(idle, 0);
    EXPECT_FALSE(gate.needsFullSample(idle, 100 * kMs));
    EXPECT_FALSE(gate.needsFullSample(idle, SampleGate::kMaxAgeNs - 1));
    EXPECT_TRUE(gate.needsFullSample(idle, SampleGate::kMaxAgeNs));

    // Any counter that moves asks for a new sample at once.
    for (PageCounters moved : {PageCounters{999, 20, 30, 0, 0}, PageCounters{1000, 21, 30, 0, 0},
                               PageCounters{1000, 20, 31, 0, 0}, PageCounters{1000, 20, 30, 1, 0},
                               PageCounters{1000, 20, 30, 0, 1}})
        EXPECT_TRUE(gate.needsFullSample(moved, 100 * kMs));
}

TEST(SampleGate, NeverTrustsWhatItCannotCompare) {
    const PageCounters idle{1000, 20, 30, 0, 0};
    SampleGate gate;
    gate.fullSampleTaken(std::nullopt, 0);  // sysinfo failed when the sample was taken
    EXPECT_TRUE(gate.needsFullSample(idle, kMs));
    gate.fullSampleTaken(idle, 10 * kMs);
    EXPECT_TRUE(gate.needsFullSample(std::nullopt, 20 * kMs));
    EXPECT_TRUE(gate.needsFullSample(idle, 5 * kMs));  // a clock that went back
    gate.forget();                                     // the last read failed
    EXPECT_TRUE(gate.needsFullSample(idle, 20 * kMs));
}

}  // namespace
}  // namespace kelvo
