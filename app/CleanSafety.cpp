#include "app/CleanSafety.h"

#include <algorithm>

namespace kelvo::safety {
namespace {

uint64_t percentOf(uint64_t total, uint64_t percent) {
    return total / 100 * percent + total % 100 * percent / 100;
}

}  // namespace

uint64_t holdableBytes(const MemorySafetySample& s) {
    const Meminfo& m = s.meminfo;
    if (!m.memAvailable || !m.memTotal)
        return 0;
    const uint64_t reserve = std::max(percentOf(*m.memTotal, kReservePercent), kReserveFloor);
    const uint64_t halfSwap = m.swapFree.value_or(0) / 2;
    const uint64_t usable =
        *m.memAvailable > UINT64_MAX - halfSwap ? UINT64_MAX : *m.memAvailable + halfSwap;
    uint64_t holdable = usable > reserve ? usable - reserve : 0;
    if (s.cgroupHeadroom) {
        const uint64_t room =
            *s.cgroupHeadroom > kCgroupMargin ? *s.cgroupHeadroom - kCgroupMargin : 0;
        holdable = std::min(holdable, room);
    }
    return holdable;
}

bool mustStopBeforePass(const MemorySafetySample& previous, const MemorySafetySample& now) {
    const Meminfo& m = now.meminfo;
    if (!m.memAvailable || !m.memTotal)
        return true;
    const bool memoryShort =
        *m.memAvailable < std::max(percentOf(*m.memTotal, kShortPercent), kShortFloor);
    // No swap at all is swap with no room left.
    const uint64_t swapTotal = m.swapTotal.value_or(0);
    const bool swapShort =
        swapTotal == 0 || m.swapFree.value_or(0) < percentOf(swapTotal, kSwapShortPercent);
    if (memoryShort && swapShort)
        return true;
    if (now.cgroupHeadroom && *now.cgroupHeadroom < kCgroupMargin)
        return true;
    if (previous.pressureFullUs && now.pressureFullUs && now.takenNs > previous.takenNs &&
        *now.pressureFullUs > *previous.pressureFullUs) {
        const uint64_t stallUs = *now.pressureFullUs - *previous.pressureFullUs;
        const uint64_t wallNs = static_cast<uint64_t>(now.takenNs - previous.takenNs);
        const uint64_t stallNs = stallUs > UINT64_MAX / 1000 ? UINT64_MAX : stallUs * 1000;
        if (stallNs > percentOf(wallNs, kStallPercent))
            return true;
    }
    return false;
}

}  // namespace kelvo::safety
