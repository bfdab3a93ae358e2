#pragma once

#include <cstddef>
#include <cstdint>

// Entry points shared by the fuzz targets and the corpus replay test: the pure parsers of the
// system files behind the memory status, the processor usage and the safety probe.
namespace kelvo::fuzz {

// The text of /proc/meminfo.
void runMeminfo(const uint8_t* data, size_t size);
// The text of /proc/stat, and of a processor list such as /sys/devices/system/cpu/online.
void runProcStat(const uint8_t* data, size_t size);
// One text read as /proc/pressure/memory, a control group's byte figure, /proc/self/cgroup and
// /proc/self/mountinfo at once, so that the mount and path found in it meet in cgroupFolders.
void runCgroup(const uint8_t* data, size_t size);

}  // namespace kelvo::fuzz
