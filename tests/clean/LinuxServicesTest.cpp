// The real system's services for the clean, on this machine.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/Platform.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;

// Anonymous memory the process holds in physical pages.
uint64_t residentAnonymous() {
    std::ifstream status("/proc/self/status");
    std::string key;
    uint64_t kb = 0;
    while (status >> key) {
        if (key == "RssAnon:") {
            status >> kb;
            return kb * 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

TEST(LinuxBlock, PagesAreCommittedByTheWritesAndOnlyByThem) {
    auto platform = createSystemPlatform();
    const uint64_t size = 64 * MiB + 12345;
    const uint64_t before = residentAnonymous();
    std::unique_ptr<MemoryBlock> block = platform->allocateBlock(size);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), size);
    EXPECT_LT(residentAnonymous(), before + 8 * MiB) << "the mapping is not populated";
    for (int i = 0; i < 100; ++i)
        block->zero(static_cast<uint64_t>(i) * (size / 100), size / 100);
    block->zero(100 * (size / 100), size % 100);
    EXPECT_GE(residentAnonymous(), before + 62 * MiB) << "the zero writes commit the block";
    block.reset();
    EXPECT_LT(residentAnonymous(), before + 8 * MiB) << "freed";
}

TEST(LinuxBlock, AWritePastTheEndStopsThereAndNothingIsNothing) {
    auto platform = createSystemPlatform();
    std::unique_ptr<MemoryBlock> block = platform->allocateBlock(3 * MiB + 7);
    ASSERT_TRUE(block);
    block->zero(3 * MiB, 1 << 30);  // would fault if it ran on past the mapping
    block->zero(4 * MiB, 100);
    EXPECT_FALSE(platform->allocateBlock(0));
    EXPECT_FALSE(platform->allocateBlock(uint64_t{1} << 63));
}

TEST(LinuxProbe, ReadsThisMachinesFigures) {
    auto platform = createSystemPlatform();
    std::unique_ptr<MemoryProbe> probe = platform->openMemoryProbe();
    const MemorySafetySample a = probe->sample();
    const MemorySafetySample b = probe->sample();
    ASSERT_TRUE(a.meminfo.memTotal);
    ASSERT_TRUE(a.meminfo.memAvailable);
    EXPECT_LE(*a.meminfo.memAvailable, *a.meminfo.memTotal);
    EXPECT_GE(b.takenNs, a.takenNs);
    if (a.pressureFullUs && b.pressureFullUs) {
        EXPECT_GE(*b.pressureFullUs, *a.pressureFullUs);
    }
}

TEST(LinuxOomScore, RaisedTo1000AndBack) {
    auto platform = createSystemPlatform();
    const std::optional<int> old = platform->oomScoreAdj();
    ASSERT_TRUE(old);
    ASSERT_TRUE(platform->setOomScoreAdj(1000));
    EXPECT_EQ(platform->oomScoreAdj(), 1000);
    EXPECT_TRUE(platform->setOomScoreAdj(*old)) << "lowering back to the old value is allowed";
    EXPECT_EQ(platform->oomScoreAdj(), old);
}

TEST(LinuxCpuTimes, OnlineProcessorsAndClocksThatMoveOn) {
    auto platform = createSystemPlatform();
    const std::optional<CpuTimes> a = platform->queryCpuTimes();
    platform->Sleep(20);
    const std::optional<CpuTimes> b = platform->queryCpuTimes();
    ASSERT_TRUE(a && b);
    EXPECT_GE(a->processors, 1u);
    EXPECT_GE(b->systemTime - a->systemTime, 200000) << "20 ms in 100 ns units";
    EXPECT_GE(b->idleTime, a->idleTime);
    EXPECT_FALSE(platform->ReadDynDataValue(0x80000006, "PerfStats\\StatData", "KERNEL\\CPUUsage"));
}

}  // namespace
}  // namespace kelvo
