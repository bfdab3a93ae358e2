#include <gtest/gtest.h>

#include "app/clean/CpuUsage.h"

namespace kelvo {
namespace {

constexpr int64_t kSecond = 10000000;  // in 100 ns units

// A meter whose previous sample is (idle 1000 s, time 5000 s) on `n` processors; the next
// sample adds `idle` and `elapsed`.
int usage(int64_t idle, int64_t elapsed, uint32_t n = 1) {
    NtCpuUsage meter;
    meter.sample(CpuTimes{n, 5000 * kSecond, 1000 * kSecond});
    return meter.sample(CpuTimes{n, 5000 * kSecond + elapsed, 1000 * kSecond + idle});
}

TEST(NtCpuUsage, TheFirstSampleIs100AndSetsTheBaseline) {
    NtCpuUsage meter;
    EXPECT_EQ(meter.sample(CpuTimes{2, 77, 55}), 100);
    EXPECT_EQ(meter.PrevIdleTime, 55);
    EXPECT_EQ(meter.PrevSystemTime, 77);
}

TEST(NtCpuUsage, IdleShareGivesTheUsageRoundedUpFromOneHundredth) {
    EXPECT_EQ(usage(0, 2 * kSecond), 100);
    EXPECT_EQ(usage(2 * kSecond, 2 * kSecond), 0);  // 100 - 100 + 0.99
    // Two processors, one idle for the whole interval.
    EXPECT_EQ(usage(2 * kSecond, 2 * kSecond, 2), 50);
    // 41.5 % busy reads 42; 41.005 % reads 41.
    EXPECT_EQ(usage(585 * kSecond / 1000, kSecond), 42);
    EXPECT_EQ(usage(58995 * kSecond / 100000, kSecond), 41);
}

TEST(NtCpuUsage, ElapsedZeroTakesTheIdleDifferenceAsTheRatio) {
    EXPECT_EQ(usage(0, 0), 100);
    EXPECT_EQ(usage(1, 0), 0);  // ratio 1: 100 - 100 + 0.99
}

TEST(NtCpuUsage, NoProcessorsCountAsOne) {
    EXPECT_EQ(usage(kSecond, 4 * kSecond, 0), 75);
}

TEST(NtCpuUsage, FiguresOutsideZeroTo100AreNotLimitedHere) {
    // Idle exceeding processors × elapsed by 2 % or more: a negative figure.
    EXPECT_EQ(usage(102 * kSecond / 100, kSecond), -1);
    EXPECT_EQ(usage(150 * kSecond / 100, kSecond), -49);
    // An idle counter that went back (a processor went offline) reads above 100.
    EXPECT_EQ(usage(-kSecond / 10, kSecond), 110);
}

TEST(NtCpuUsage, AFailedQueryIs100AndKeepsThePreviousSample) {
    NtCpuUsage meter;
    meter.sample(CpuTimes{1, 100 * kSecond, 10 * kSecond});
    EXPECT_EQ(meter.sample(std::nullopt), 100);
    EXPECT_EQ(meter.PrevIdleTime, 10 * kSecond);
    EXPECT_EQ(meter.sample(CpuTimes{1, 102 * kSecond, 11 * kSecond}), 50);
}

TEST(NtCpuUsage, ArithmeticBeyondTheIntRangeGivesZeroAndStillStoresTheSample) {
    NtCpuUsage meter;
    meter.sample(CpuTimes{1, 1, 1});
    EXPECT_EQ(meter.sample(CpuTimes{1, 2, INT64_MAX / 2}), 0);
    EXPECT_EQ(meter.PrevIdleTime, INT64_MAX / 2);
}

}  // namespace
}  // namespace kelvo
