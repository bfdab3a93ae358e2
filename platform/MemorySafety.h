#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Meminfo.h"
#include "platform/MemoryStatus.h"

namespace kelvo {

// What the system says about memory running short, read at one moment.
struct MemorySafetySample {
    Meminfo meminfo;
    // Microseconds, since boot, in which every task waited for memory ("full" stall time of the
    // kernel's pressure figures); empty where the kernel has none.
    std::optional<uint64_t> pressureFullUs;
    // Bytes the program's memory control group, and each group above it, can still charge
    // before its limit; empty when no group limits the program.
    std::optional<uint64_t> cgroupHeadroom;
    // Bytes of swap those groups may still fill, the least over the groups that limit it; empty
    // when none does (then the machine's free swap is theirs too).
    std::optional<uint64_t> cgroupSwapRoom;
    // Bytes the system can still commit before its commit limit (physical memory and page files
    // together); empty where the system does not charge memory when it is reserved (Linux).
    std::optional<uint64_t> commitRoom = {};
    // When the sample was taken, on the monotonic clock, in nanoseconds.
    int64_t takenNs = 0;
};

// The readings behind a `MemorySafetySample`, opened once for a clean and read before each pass.
class MemoryProbe {
  public:
    virtual ~MemoryProbe() = default;
    virtual MemorySafetySample sample() = 0;
};

// The sample a memory status gives where the system has no finer figures (Windows, whose
// status holds the page files as the page-file row and the commit limit as the virtual row):
// physical memory as memory, page files as swap, and the virtual room as the commit room.
MemorySafetySample safetySampleFromMemoryStatus(const MEMORYSTATUS& status);

// Parsers of the files behind the sample: pure, so they are tested on saved texts.

// The "total=" of the "full" line of /proc/pressure/memory.
std::optional<uint64_t> parsePressureFullTotal(std::string_view text);

// A control-group memory figure: a decimal byte count, or "max" (no limit) as UINT64_MAX.
std::optional<uint64_t> parseCgroupBytes(std::string_view text);

// The program's memory control group paths, from /proc/self/cgroup.
struct OwnCgroups {
    std::optional<std::string> v1Memory;  // the "memory" controller's hierarchy
    std::optional<std::string> v2;        // the unified hierarchy ("0::")
};
OwnCgroups parseProcSelfCgroup(std::string_view text);

// Where the control-group hierarchies are mounted, from /proc/self/mountinfo.
struct CgroupMount {
    std::string root;        // the hierarchy's folder shown at the mount point
    std::string mountPoint;  // octal escapes (\040) decoded
};
struct CgroupMounts {
    std::optional<CgroupMount> v1Memory;
    std::optional<CgroupMount> v2;
};
CgroupMounts parseMountinfo(std::string_view text);

// The folders of the group at `path` and of every group above it up to the mount point, the
// program's own first. Empty when the path lies outside the mounted part of the hierarchy.
std::vector<std::string> cgroupFolders(const CgroupMount& mount, const std::string& path);

// The page cache a group's usage includes and the kernel drops before it would kill: the
// inactive_file and active_file lines of memory.stat (cgroup v1's total_ lines, which count the
// groups below too, where it has them). Empty when the text has neither.
std::optional<uint64_t> parseCgroupReclaimable(std::string_view memoryStat);

// Limits from here on mean "none" (cgroup v1 shows no limit as such a figure, v2 as "max").
inline constexpr uint64_t kCgroupNoLimit = uint64_t{1} << 62;

// One group's figures as read; any may be missing. The swap limit and usage are cgroup v2's
// memory.swap.max and .current, or cgroup v1's memory.memsw ones (memory and swap together,
// whose room is what swap can still take on top of memory).
struct CgroupLevel {
    std::optional<uint64_t> limit;
    std::optional<uint64_t> usage;
    std::optional<uint64_t> reclaimable;
    std::optional<uint64_t> swapLimit = {};
    std::optional<uint64_t> swapUsage = {};
};
// The smallest headroom of the levels that have a limit: limit less usage, where the usage's
// page cache counts as room (a clean that evicts it is the point), at least 0. Empty when no
// level has a limit.
std::optional<uint64_t> cgroupHeadroom(const std::vector<CgroupLevel>& levels);
// The smallest swap room (swap limit less swap usage, at least 0) of the levels that limit swap;
// empty when none does.
std::optional<uint64_t> cgroupSwapRoom(const std::vector<CgroupLevel>& levels);

}  // namespace kelvo
