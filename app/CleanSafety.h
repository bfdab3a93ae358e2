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
// ... or when every task of the system waited for memory in more than 5 % of the pass.
inline constexpr uint64_t kStallPercent = 5;

// The largest clean that can be held now: available memory plus half the free swap, less the
// reserve, and within the control group's headroom less its margin. 0 when the system does not
// say how much memory is available: a clean of unknown cost is not risked.
uint64_t holdableBytes(const MemorySafetySample& sample);

// True when a running clean must stop before its next pass; `previous` is the sample taken
// before the last pass (or before allocating).
bool mustStopBeforePass(const MemorySafetySample& previous, const MemorySafetySample& now);

}  // namespace kelvo::safety
