#include "fuzz/platform/PlatformInputs.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/CpuTimes.h"
#include "platform/Meminfo.h"
#include "platform/MemorySafety.h"

namespace kelvo::fuzz {
namespace {

void check(bool promise) {
    if (!promise)
        __builtin_trap();
}

std::string_view text(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

void runMeminfo(const uint8_t* data, size_t size) {
    const MEMORYSTATUS ms = memoryStatusFromMeminfo(parseMeminfo(text(data, size)));
    check(ms.dwAvailPhys <= ms.dwTotalPhys);
    check(ms.dwAvailPageFile <= ms.dwTotalPageFile);
    check(ms.dwAvailVirtual <= ms.dwTotalVirtual);
    check(ms.dwMemoryLoad <= 100);
}

void runProcStat(const uint8_t* data, size_t size) {
    (void)parseProcStatIdleTicks(text(data, size));
    if (const auto n = parseCpuList(text(data, size)))
        check(*n >= 1 && *n <= (1u << 20));
}

void runCgroup(const uint8_t* data, size_t size) {
    const std::string_view t = text(data, size);
    (void)parsePressureFullTotal(t);
    const std::optional<uint64_t> bytes = parseCgroupBytes(t);
    const std::optional<uint64_t> cache = parseCgroupReclaimable(t);

    const OwnCgroups own = parseProcSelfCgroup(t);
    const CgroupMounts mounts = parseMountinfo(t);
    std::vector<CgroupLevel> levels;
    for (const auto& mount : {mounts.v1Memory, mounts.v2})
        for (const auto& path : {own.v1Memory, own.v2}) {
            if (!mount || !path)
                continue;
            const std::vector<std::string> folders = cgroupFolders(*mount, *path);
            check(folders.size() <= 32);
            // Every folder lies below the mount point, and none climbs out of it.
            for (const std::string& f : folders) {
                check(f.compare(0, mount->mountPoint.size(), mount->mountPoint) == 0);
                check(f.find("/..", mount->mountPoint.size()) == std::string::npos);
            }
            levels.push_back({bytes, parseCgroupBytes(*path), cache, bytes, cache});
        }
    levels.push_back({bytes, std::nullopt, cache});
    // Page cache counts as room, but no group ever has more room than its limit.
    if (const auto room = cgroupHeadroom(levels))
        check(bytes && *room <= *bytes);
    if (const auto room = cgroupSwapRoom(levels))
        check(bytes && *room <= *bytes);
}

}  // namespace kelvo::fuzz
