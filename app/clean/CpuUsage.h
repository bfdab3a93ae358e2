#pragma once

#include <cstdint>
#include <optional>

#include "platform/CpuTimes.h"

namespace kelvo {

// Processor usage from two successive samples of idle and elapsed time, in whole percent.
class NtCpuUsage {
  public:
    // The usage since the previous sample: 100 - idle / elapsed × 100 / processors, plus 0.99
    // and truncated, so any fraction from 0.01 counts as a whole percent more. 100 for the first
    // sample and when the times cannot be read (then the previous sample stays). Not limited:
    // an idle time past the elapsed time gives a negative figure. Arithmetic that yields no
    // finite number within the int range gives 0.
    int sample(const std::optional<CpuTimes>& times);

    // The previous sample's times; an idle time of 0 means there is none yet.
    int64_t PrevIdleTime = 0;
    int64_t PrevSystemTime = 0;
};

// The figure every reader goes by: above 100 counts as 100; a negative one keeps its sign.
inline int cappedCpuUsage(int usage) {
    return usage > 100 ? 100 : usage;
}

}  // namespace kelvo
