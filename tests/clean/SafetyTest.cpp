#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/clean/CleanSafety.h"
#include "platform/MemorySafety.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;
constexpr uint64_t GiB = 1024 * MiB;

std::string data(const std::string& name) {
    std::ifstream in(std::string(CLEAN_DATA_DIR) + "/" + name);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

MemorySafetySample machine(uint64_t total, uint64_t available, uint64_t swapTotal = 0,
                           uint64_t swapFree = 0) {
    MemorySafetySample s;
    s.meminfo.memTotal = total;
    s.meminfo.memAvailable = available;
    s.meminfo.swapTotal = swapTotal;
    s.meminfo.swapFree = swapFree;
    return s;
}

TEST(Holdable, AvailablePlusHalfTheFreeSwapLessTheReserve) {
    // 16 GiB: the reserve is 15 % (2.4 GiB), above the 256 MiB floor.
    const uint64_t reserve = 16 * GiB * 15 / 100;
    EXPECT_EQ(safety::holdableBytes(machine(16 * GiB, 10 * GiB)), 10 * GiB - reserve);
    EXPECT_EQ(safety::holdableBytes(machine(16 * GiB, 10 * GiB, 4 * GiB, 2 * GiB)),
              11 * GiB - reserve);
    // 1 GiB: 15 % is 154 MiB, so the 256 MiB floor holds.
    EXPECT_EQ(safety::holdableBytes(machine(GiB, 600 * MiB)), 344 * MiB);
    EXPECT_EQ(safety::holdableBytes(machine(GiB, 200 * MiB)), 0u);
}

TEST(Holdable, TheControlGroupLimitsItLessItsMargin) {
    MemorySafetySample s = machine(24 * GiB, 22 * GiB);
    s.cgroupHeadroom = 200 * MiB;
    EXPECT_EQ(safety::holdableBytes(s), 136 * MiB);
    s.cgroupHeadroom = 10 * MiB;
    EXPECT_EQ(safety::holdableBytes(s), 0u);
}

TEST(Holdable, AGroupWithSwapMayPushItsOwnPagesOutToHalfOfIt) {
    MemorySafetySample s = machine(24 * GiB, 20 * GiB, 512 * MiB, 512 * MiB);
    s.cgroupHeadroom = 240 * MiB;
    EXPECT_EQ(safety::holdableBytes(s), 240 * MiB + 256 * MiB - 64 * MiB);
    // The group's own swap limit, where it has one, and the machine's free swap both bound it.
    s.cgroupSwapRoom = 100 * MiB;
    EXPECT_EQ(safety::holdableBytes(s), 240 * MiB + 50 * MiB - 64 * MiB);
    s.cgroupSwapRoom = 4 * GiB;
    EXPECT_EQ(safety::holdableBytes(s), 240 * MiB + 256 * MiB - 64 * MiB);
}

TEST(Holdable, WithoutMemAvailableNothingIsRisked) {
    MemorySafetySample s;
    s.meminfo = parseMeminfo(data("meminfo-no-available.txt"));
    EXPECT_EQ(safety::holdableBytes(s), 0u);
    s.meminfo = parseMeminfo(data("meminfo-malformed.txt"));
    EXPECT_EQ(safety::holdableBytes(s), 0u);
    EXPECT_EQ(safety::holdableBytes(MemorySafetySample{}), 0u);
}

TEST(StopBeforePass, OnlyWhenMemoryAndSwapAreBothShort) {
    const MemorySafetySample before = machine(8 * GiB, 6 * GiB, 2 * GiB, 2 * GiB);
    // 12 % of 8 GiB is 983 MiB.
    EXPECT_FALSE(
        safety::mustStopBeforePass(before, machine(8 * GiB, 990 * MiB, 2 * GiB, 10 * MiB)));
    // Pushing pages into swap that has room is the clean's purpose.
    EXPECT_FALSE(safety::mustStopBeforePass(before, machine(8 * GiB, 500 * MiB, 2 * GiB, GiB)));
    EXPECT_TRUE(
        safety::mustStopBeforePass(before, machine(8 * GiB, 500 * MiB, 2 * GiB, 200 * MiB)));
    // No swap at all has no room either.
    EXPECT_TRUE(safety::mustStopBeforePass(before, machine(8 * GiB, 500 * MiB)));
    // The 256 MiB floor on a small machine.
    EXPECT_TRUE(safety::mustStopBeforePass(before, machine(GiB, 250 * MiB)));
}

TEST(StopBeforePass, ACannedShortMachineStops) {
    MemorySafetySample now;
    now.meminfo = parseMeminfo(data("meminfo-short.txt"));
    EXPECT_TRUE(safety::mustStopBeforePass(now, now));
    MemorySafetySample unreadable;
    unreadable.meminfo = parseMeminfo(data("meminfo-malformed.txt"));
    EXPECT_TRUE(safety::mustStopBeforePass(now, unreadable)) << "no figure, no further pass";
}

TEST(StopBeforePass, WhenTheControlGroupHasUnder64MiBLeft) {
    MemorySafetySample now = machine(24 * GiB, 20 * GiB);
    now.cgroupHeadroom = 64 * MiB;
    EXPECT_FALSE(safety::mustStopBeforePass(now, now));
    now.cgroupHeadroom = 64 * MiB - 1;
    EXPECT_TRUE(safety::mustStopBeforePass(now, now));
}

TEST(StopBeforePass, AGroupAtItsLimitGoesOnWhileItsSwapHasRoom) {
    MemorySafetySample now = machine(24 * GiB, 20 * GiB, GiB, 900 * MiB);
    now.cgroupHeadroom = 10 * MiB;
    EXPECT_FALSE(safety::mustStopBeforePass(now, now)) << "its idle pages go to swap";
    now.cgroupSwapRoom = 63 * MiB;
    EXPECT_TRUE(safety::mustStopBeforePass(now, now)) << "the group's swap is full";
    now.cgroupSwapRoom.reset();
    now.meminfo.swapFree = 50 * MiB;
    EXPECT_TRUE(safety::mustStopBeforePass(now, now)) << "the machine's swap is full";
}

TEST(StopBeforePass, WhenTheSystemStalledOnMemoryForHalfOfAHalfSecondWindow) {
    MemorySafetySample start = machine(24 * GiB, 20 * GiB);
    start.pressureFullUs = parsePressureFullTotal(data("pressure-memory.txt"));
    ASSERT_EQ(start.pressureFullUs, 21877012u);
    start.takenNs = 5'000'000'000;
    MemorySafetySample now = start;
    // One 20 ms pass that stalled throughout: the clean's own pages going out, not thrashing.
    now.takenNs = start.takenNs + 20'000'000;
    now.pressureFullUs = *start.pressureFullUs + 20'000;
    EXPECT_FALSE(safety::mustStopBeforePass(start, now));
    EXPECT_FALSE(safety::stallWindowOver(start, now));
    // A quarter of a second stalled within the window is half of it.
    now.pressureFullUs = *start.pressureFullUs + 250'000;
    EXPECT_FALSE(safety::mustStopBeforePass(start, now));
    now.pressureFullUs = *start.pressureFullUs + 250'001;
    EXPECT_TRUE(safety::mustStopBeforePass(start, now));
    // Over a longer window, half of that window.
    now.takenNs = start.takenNs + 800'000'000;
    EXPECT_TRUE(safety::stallWindowOver(start, now));
    now.pressureFullUs = *start.pressureFullUs + 400'000;
    EXPECT_FALSE(safety::mustStopBeforePass(start, now));
    now.pressureFullUs = *start.pressureFullUs + 400'001;
    EXPECT_TRUE(safety::mustStopBeforePass(start, now));
    // Without the kernel's pressure figures the rule has nothing to go on.
    now.pressureFullUs = parsePressureFullTotal(data("pressure-some-only.txt"));
    EXPECT_FALSE(safety::mustStopBeforePass(start, now));
}

// Windows charges a block's whole size to the commit limit when it is made: the commit room
// bounds the clean too, and a room under the short mark stops it whatever physical memory says.
TEST(CommitRoom, BoundsTheBlockAndStopsTheClean) {
    MEMORYSTATUS status;
    status.dwTotalPhys = 16 * GiB;
    status.dwAvailPhys = 12 * GiB;
    status.dwTotalPageFile = 4 * GiB;  // page files
    status.dwAvailPageFile = 0;
    status.dwTotalVirtual = 20 * GiB;  // the commit limit: memory and page files
    status.dwAvailVirtual = 9 * GiB;   // other programs committed more than they touched
    MemorySafetySample s = safetySampleFromMemoryStatus(status);
    EXPECT_EQ(s.meminfo.memAvailable, 12 * GiB);
    EXPECT_EQ(s.meminfo.swapTotal, 4 * GiB);
    ASSERT_TRUE(s.commitRoom);
    const uint64_t reserve = 16 * GiB * 15 / 100;
    EXPECT_EQ(safety::holdableBytes(s), 9 * GiB - reserve);
    EXPECT_FALSE(safety::mustStopBeforePass(s, s));

    status.dwAvailVirtual = 1 * GiB;  // under 12 % of physical memory
    s = safetySampleFromMemoryStatus(status);
    EXPECT_EQ(safety::holdableBytes(s), 0u);
    EXPECT_TRUE(safety::mustStopBeforePass(s, s));

    // A status without figures refuses every clean; Linux charges nothing up front.
    EXPECT_EQ(safety::holdableBytes(safetySampleFromMemoryStatus(MEMORYSTATUS{})), 0u);
    EXPECT_FALSE(machine(16 * GiB, 12 * GiB).commitRoom);
}

TEST(SafetyFiles, PressureTotals) {
    EXPECT_EQ(parsePressureFullTotal(data("pressure-memory.txt")), 21877012u);
    EXPECT_FALSE(parsePressureFullTotal(data("pressure-some-only.txt")));
    EXPECT_FALSE(parsePressureFullTotal(data("pressure-malformed.txt")));
    EXPECT_FALSE(parsePressureFullTotal(""));
    EXPECT_FALSE(parsePressureFullTotal("full avg10=0.00"));
}

TEST(SafetyFiles, ControlGroupFigures) {
    EXPECT_EQ(parseCgroupBytes(data("cgroup-v1-limit-256m.txt")), 256 * MiB);
    EXPECT_EQ(parseCgroupBytes(data("cgroup-v2-max.txt")), UINT64_MAX);
    EXPECT_EQ(parseCgroupBytes(data("cgroup-v1-unlimited.txt")), 9223372036854771712u);
    EXPECT_FALSE(parseCgroupBytes(""));
    EXPECT_FALSE(parseCgroupBytes("12a\n"));
    EXPECT_FALSE(parseCgroupBytes("99999999999999999999999\n"));
}

TEST(SafetyFiles, OwnGroupsAndTheirMounts) {
    const OwnCgroups v1 = parseProcSelfCgroup(data("self-cgroup-v1.txt"));
    ASSERT_TRUE(v1.v1Memory);
    EXPECT_EQ(*v1.v1Memory, "/process_api/9fbd7a618d775bb0d5e68ced580d01cd");
    EXPECT_EQ(v1.v2, "/");
    const CgroupMounts m1 = parseMountinfo(data("mountinfo-v1.txt"));
    ASSERT_TRUE(m1.v1Memory);
    EXPECT_EQ(m1.v1Memory->mountPoint, "/sys/fs/cgroup/memory");
    EXPECT_EQ(m1.v2->mountPoint, "/sys/fs/cgroup/unified");
    EXPECT_EQ(cgroupFolders(*m1.v1Memory, *v1.v1Memory),
              (std::vector<std::string>{
                  "/sys/fs/cgroup/memory/process_api/9fbd7a618d775bb0d5e68ced580d01cd",
                  "/sys/fs/cgroup/memory/process_api", "/sys/fs/cgroup/memory"}));

    const OwnCgroups v2 = parseProcSelfCgroup(data("self-cgroup-v2.txt"));
    EXPECT_FALSE(v2.v1Memory);
    const CgroupMounts m2 = parseMountinfo(data("mountinfo-v2-container.txt"));
    ASSERT_TRUE(m2.v2);
    EXPECT_FALSE(m2.v1Memory);
    // A container sees its own group at the mount point.
    EXPECT_EQ(cgroupFolders(*m2.v2, *v2.v2),
              (std::vector<std::string>{"/sys/fs/cgroup/app", "/sys/fs/cgroup"}));
    EXPECT_TRUE(cgroupFolders(*m2.v2, "/../outside").empty());
    EXPECT_TRUE(cgroupFolders(*m2.v2, "").empty());
}

TEST(SafetyFiles, MountPointsWithEscapesAndBrokenLines) {
    const CgroupMounts m = parseMountinfo(
        "1 2 0:1 / /a\\040b rw - cgroup2 none rw\n3 4 garbage\n - cgroup x memory\n");
    ASSERT_TRUE(m.v2);
    EXPECT_EQ(m.v2->mountPoint, "/a b");
    EXPECT_FALSE(m.v1Memory);
    EXPECT_FALSE(parseProcSelfCgroup("nonsense\n4:memory:relative\n").v1Memory);
    EXPECT_EQ(parseProcSelfCgroup("4:cpu,memory:/a:b\n").v1Memory, "/a:b");
}

TEST(SafetyFiles, HeadroomIsTheLeastOfTheLimitedLevels) {
    using L = CgroupLevel;
    EXPECT_FALSE(cgroupHeadroom({}));
    EXPECT_FALSE(cgroupHeadroom({L{9223372036854771712u, 5 * MiB, {}}, L{UINT64_MAX, 0, {}}}));
    EXPECT_EQ(
        cgroupHeadroom({L{256 * MiB, 56 * MiB, {}}, L{std::nullopt, 0, {}}, L{GiB, 900 * MiB, {}}}),
        124 * MiB);
    EXPECT_EQ(cgroupHeadroom({L{256 * MiB, 300 * MiB, {}}}), 0u) << "over the limit: no room";
    EXPECT_EQ(cgroupHeadroom({L{256 * MiB, std::nullopt, {}}}), 0u)
        << "usage unknown: no room known";
}

TEST(SafetyFiles, SwapRoomIsTheLeastOfTheLevelsThatLimitSwap) {
    using L = CgroupLevel;
    EXPECT_FALSE(cgroupSwapRoom({L{GiB, 0, {}, UINT64_MAX, 0}, L{GiB, 0, {}}}));
    EXPECT_EQ(
        cgroupSwapRoom({L{GiB, 0, {}, 512 * MiB, 100 * MiB}, L{GiB, 0, {}, 9223372036854771712u, 0},
                        L{GiB, 0, {}, 256 * MiB, 250 * MiB}}),
        6 * MiB);
    EXPECT_EQ(cgroupSwapRoom({L{GiB, 0, {}, 256 * MiB, std::nullopt}}), 0u);
}

TEST(SafetyFiles, PageCacheInTheGroupCountsAsRoom) {
    using L = CgroupLevel;
    // A 256 MiB group holding 240 MiB, 200 of them page cache the kernel drops before killing.
    EXPECT_EQ(cgroupHeadroom({L{256 * MiB, 240 * MiB, 200 * MiB}}), 216 * MiB);
    // Never more room than the limit, whatever the figures claim.
    EXPECT_EQ(cgroupHeadroom({L{256 * MiB, 100 * MiB, 300 * MiB}}), 256 * MiB);
    // The tightest level still decides.
    EXPECT_EQ(cgroupHeadroom({L{GiB, 1000 * MiB, 0}, L{256 * MiB, 240 * MiB, 200 * MiB}}),
              24 * MiB);
}

TEST(SafetyFiles, ReclaimablePageCacheOfBothHierarchies) {
    // This machine's cgroup v1 group: the hierarchical totals equal its own figures.
    EXPECT_EQ(parseCgroupReclaimable(data("cgroup-v1-memory-stat.txt")), 208318464u + 137555968u);
    EXPECT_EQ(parseCgroupReclaimable(data("cgroup-v2-memory-stat.txt")), 200 * MiB);
    // v1's own figures leave out the groups below; its total_ lines count them.
    EXPECT_EQ(parseCgroupReclaimable("inactive_file 100\nactive_file 50\ntotal_inactive_file 1000\n"
                                     "total_active_file 500\n"),
              1500u);
    EXPECT_EQ(parseCgroupReclaimable("inactive_file 100\n"), 100u);
    EXPECT_FALSE(parseCgroupReclaimable("anon 5\nfile 7\n"));
    EXPECT_FALSE(parseCgroupReclaimable(""));
    EXPECT_FALSE(parseCgroupReclaimable("inactive_file 12x\n"));
    // A last line the reader's buffer cut off may have lost digits: it is not taken.
    EXPECT_EQ(parseCgroupReclaimable("active_file 7\ninactive_file 1234"), 7u);
}

}  // namespace
}  // namespace kelvo
