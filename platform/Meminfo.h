#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/MemoryStatus.h"

namespace kelvo {

// The /proc/meminfo fields Kelvo reads, in bytes. A field the kernel did not report stays empty.
struct Meminfo {
    std::optional<uint64_t> memTotal;
    std::optional<uint64_t> memFree;
    std::optional<uint64_t> memAvailable;
    std::optional<uint64_t> swapTotal;
    std::optional<uint64_t> swapFree;
};

// Parses the text of /proc/meminfo. Malformed lines and unknown keys are skipped.
Meminfo parseMeminfo(std::string_view text);

// Maps meminfo to the memory status: physical = MemTotal/MemAvailable (MemFree where the kernel
// is too old to report MemAvailable), page file = swap, virtual = memory and swap together.
MEMORYSTATUS memoryStatusFromMeminfo(const Meminfo& info);

}  // namespace kelvo
