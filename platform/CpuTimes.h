#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvo {

// The figures a processor-usage sample compares with the previous one.
struct CpuTimes {
    uint32_t processors = 0;  // processors online
    int64_t systemTime = 0;   // 100 ns units on a clock that counts suspend
    int64_t idleTime = 0;     // 100 ns units, idle time of all processors added up
};

// Idle plus I/O-wait clock ticks of the "cpu" line of /proc/stat (time a processor had nothing
// to run; waiting for a disk is not work).
std::optional<uint64_t> parseProcStatIdleTicks(std::string_view text);

// Number of processors in a list such as "0-3,8,10-11\n"; empty when malformed.
std::optional<uint32_t> parseCpuList(std::string_view text);

}  // namespace kelvo
