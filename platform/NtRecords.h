#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/CpuTimes.h"

namespace kelvo {

// The layouts of the three system-information records a processor sample reads. The kernel
// fills them in the layout of the calling process: a 64-bit process that asks with the 32-bit
// sizes gets a length-mismatch status on every call.
struct NtRecordLayout {
    size_t basicSize;         // class 0, basic information
    size_t processorsOffset;  // its number of processors, one byte
    size_t timeOfDaySize;     // class 3, time-of-day information
    size_t systemTimeOffset;  // its current system time, 64 bits
    size_t performanceSize;   // class 2, performance information (at least this long)
    size_t idleTimeOffset;    // its idle time summed over all processors, 64 bits
};

inline constexpr NtRecordLayout kNtRecords32{44, 40, 32, 8, 312, 0};
inline constexpr NtRecordLayout kNtRecords64{64, 56, 48, 8, 344, 0};

// The sample the three records hold; empty when a record is shorter than its layout says.
std::optional<CpuTimes> cpuTimesFromNtRecords(const NtRecordLayout& layout,
                                              std::span<const uint8_t> basic,
                                              std::span<const uint8_t> timeOfDay,
                                              std::span<const uint8_t> performance);

}  // namespace kelvo
