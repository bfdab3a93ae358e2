#pragma once

#include <cstdint>

#include "platform/MemorySafety.h"

namespace kelvo::safety {

inline constexpr uint64_t kMiB = uint64_t{1} << 20;
// Memory a clean always leaves to the rest of the machine: the larger of 15 % of physical memory
// and 256 MiB. The desktop, the page cache of running programs and the kernel live there.
inline constexpr uint64_t kReservePercent = 15;
inline constexpr uint64_t kReserveFloor = 256 * kMiB;
// Room a clean leaves below its control group's limit; the program itself needs some too.
inline constexpr uint64_t kCgroupMargin = 64 * kMiB;
// A pass stops the clean when available memory is under the larger of 12 % and 256 MiB while
// free swap is under 10 % of the swap size: then neither memory nor swap can take more.
inline constexpr uint64_t kShortPercent = 12;
inline constexpr uint64_t kShortFloor = 256 * kMiB;
inline constexpr uint64_t kSwapShortPercent = 10;
// ... or when every task of the system waited for memory for more than half of a window of at
// least half a second: the machine is thrashing. Shorter stalls are the clean's own pages being
// pushed out, which is its work; where the clean is the only busy task they count as "full".
inline constexpr uint64_t kStallPercent = 50;
inline constexpr int64_t kStallWindowNs = 500'000'000;

// The largest clean that can be held now: available memory plus half the free swap, less the
// reserve, and within the control group's headroom (page cache counted) plus half the swap the
// group may fill, less its margin; where the system charges a block's whole size when it is
// made (Windows), also within the commit room less the reserve. 0 when the system does not
// say how much memory is available: a clean of unknown cost is not risked.
uint64_t holdableBytes(const MemorySafetySample& sample);

// True when a running clean must stop before its next pass (also when the commit room is under
// the short-memory mark: other programs' allocations would fail); `windowStart` is the sample that
// opened the current stall window (see `stallWindowOver`).
bool mustStopBeforePass(const MemorySafetySample& windowStart, const MemorySafetySample& now);

// True when `now` closes the stall window that `windowStart` opened: the next starts there.
bool stallWindowOver(const MemorySafetySample& windowStart, const MemorySafetySample& now);

}  // namespace kelvo::safety
