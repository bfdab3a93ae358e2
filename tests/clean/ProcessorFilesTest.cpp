#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/CpuTimes.h"

namespace kelvo {
namespace {

TEST(ProcStat, IdleAndIoWaitOfAllProcessors) {
    std::ifstream in(std::string(CLEAN_DATA_DIR) + "/proc-stat-2cpu.txt");
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(parseProcStatIdleTicks(text.str()), 195812u + 1344u);
    // Kernels before 2.6 have no I/O-wait column.
    EXPECT_EQ(parseProcStatIdleTicks("cpu  10 0 20 300\ncpu0 1 2 3 4\n"), 300u);
    EXPECT_FALSE(parseProcStatIdleTicks("cpu  10 0 20\n"));
    EXPECT_FALSE(parseProcStatIdleTicks("cpu0 1 2 3 4 5\n"));
    EXPECT_FALSE(parseProcStatIdleTicks("cpu  1 2 x 4 5\n"));
    EXPECT_FALSE(parseProcStatIdleTicks(""));
}

TEST(OnlineCpus, RangesAndSingles) {
    EXPECT_EQ(parseCpuList("0-1\n"), 2u);
    EXPECT_EQ(parseCpuList("0\n"), 1u);
    EXPECT_EQ(parseCpuList("0-3,8,10-11\n"), 7u);
    EXPECT_FALSE(parseCpuList(""));
    EXPECT_FALSE(parseCpuList("3-1"));
    EXPECT_FALSE(parseCpuList("0-"));
    EXPECT_FALSE(parseCpuList("0,,1"));
    EXPECT_FALSE(parseCpuList("0-99999999"));
}

}  // namespace
}  // namespace kelvo
