#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Meminfo.h"

namespace kelvo {
namespace {

std::string readData(const char* name) {
    std::ifstream in(std::string(KELVO_TEST_DATA) + "/" + name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

constexpr uint64_t KiB = 1024;

TEST(MeminfoParse, ReadsTheFiveFieldsOfATypicalFile) {
    Meminfo info = parseMeminfo(readData("meminfo-24g.txt"));
    EXPECT_EQ(info.memTotal, 24684512 * KiB);
    EXPECT_EQ(info.memFree, 21876004 * KiB);
    EXPECT_EQ(info.memAvailable, 24149776 * KiB);
    EXPECT_EQ(info.swapTotal, 2097148 * KiB);
    EXPECT_EQ(info.swapFree, 1048572 * KiB);
}

TEST(MeminfoParse, SkipsMalformedLinesAndOverflowingValues) {
    Meminfo info = parseMeminfo(readData("meminfo-malformed.txt"));
    EXPECT_EQ(info.memTotal, 8192 * KiB);  // the first MemTotal line has no colon
    EXPECT_FALSE(info.memAvailable.has_value());
    EXPECT_FALSE(info.swapTotal.has_value());
    EXPECT_FALSE(info.swapFree.has_value());
    EXPECT_EQ(info.memFree, 1024 * KiB);
}

TEST(MeminfoParse, EmptyOrTruncatedTextGivesNoFields) {
    EXPECT_FALSE(parseMeminfo("").memTotal.has_value());
    EXPECT_EQ(parseMeminfo("MemTotal:  12").memTotal, 12 * KiB);  // no newline at the end
    EXPECT_FALSE(parseMeminfo("MemTot").memTotal.has_value());
}

TEST(MemoryStatusMapping, PhysicalSwapAndTheirSumAsVirtual) {
    MEMORYSTATUS ms = memoryStatusFromMeminfo(parseMeminfo(readData("meminfo-24g.txt")));
    EXPECT_EQ(ms.dwTotalPhys, 24684512 * KiB);
    EXPECT_EQ(ms.dwAvailPhys, 24149776 * KiB);
    EXPECT_EQ(ms.dwTotalPageFile, 2097148 * KiB);
    EXPECT_EQ(ms.dwAvailPageFile, 1048572 * KiB);
    EXPECT_EQ(ms.dwTotalVirtual, (24684512 + 2097148) * KiB);
    EXPECT_EQ(ms.dwAvailVirtual, (24149776 + 1048572) * KiB);
    EXPECT_EQ(ms.dwMemoryLoad, 2u);  // 534736 of 24684512 used: 2.17 %
}

TEST(MemoryStatusMapping, OldKernelWithoutMemAvailableUsesMemFree) {
    MEMORYSTATUS ms = memoryStatusFromMeminfo(parseMeminfo(readData("meminfo-old-kernel.txt")));
    EXPECT_EQ(ms.dwAvailPhys, 65536 * KiB);
    EXPECT_EQ(ms.dwMemoryLoad, 75u);
}

TEST(MemoryStatusMapping, LoadRoundsToTheNearestPercent) {
    Meminfo info;
    info.memTotal = 1000;
    info.memAvailable = 995;  // 0.5 % used rounds up
    EXPECT_EQ(memoryStatusFromMeminfo(info).dwMemoryLoad, 1u);
    info.memAvailable = 996;  // 0.4 %
    EXPECT_EQ(memoryStatusFromMeminfo(info).dwMemoryLoad, 0u);
    info.memAvailable = 0;
    EXPECT_EQ(memoryStatusFromMeminfo(info).dwMemoryLoad, 100u);
}

TEST(MemoryStatusMapping, NothingReadableGivesZerosNotGarbage) {
    MEMORYSTATUS ms = memoryStatusFromMeminfo(Meminfo{});
    EXPECT_EQ(ms.dwTotalPhys, 0u);
    EXPECT_EQ(ms.dwMemoryLoad, 0u);
    Meminfo odd;
    odd.memTotal = 100;
    odd.memAvailable = 500;  // never more free than total
    EXPECT_EQ(memoryStatusFromMeminfo(odd).dwAvailPhys, 100u);
}

TEST(MemoryStatusMapping, MachinesAbove4GiBKeepTheirFullSize) {
    Meminfo info;
    info.memTotal = 128ull << 30;
    info.memAvailable = 100ull << 30;
    MEMORYSTATUS ms = memoryStatusFromMeminfo(info);
    EXPECT_EQ(ms.dwTotalPhys, 128ull << 30);
    EXPECT_EQ(ms.dwMemoryLoad, 22u);
}

// A hostile text's figures near 2^64 once wrapped the virtual sums below what was available.
TEST(MemoryStatusMapping, VirtualSumsHoldAtTheLargestFigure) {
    Meminfo info;
    info.memTotal = info.memAvailable = info.swapTotal = UINT64_MAX - 1023;
    MEMORYSTATUS ms = memoryStatusFromMeminfo(info);
    EXPECT_EQ(ms.dwTotalVirtual, UINT64_MAX);
    EXPECT_EQ(ms.dwAvailVirtual, UINT64_MAX - 1023);
}

}  // namespace
}  // namespace kelvo
