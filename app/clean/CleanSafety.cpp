#include "app/clean/CleanSafety.h"

#include <algorithm>

namespace kelvo::safety {
namespace {

uint64_t percentOf(uint64_t total, uint64_t percent) {
    return total / 100 * percent + total % 100 * percent / 100;
}

// No swap at all is swap with no room left.
bool swapShort(const Meminfo& m) {
    const uint64_t swapTotal = m.swapTotal.value_or(0);
    return swapTotal == 0 || m.swapFree.value_or(0) < percentOf(swapTotal, kSwapShortPercent);
}

uint64_t groupSwapFree(const MemorySafetySample& s) {
    const uint64_t machine = s.meminfo.swapFree.value_or(0);
    return s.cgroupSwapRoom ? std::min(machine, *s.cgroupSwapRoom) : machine;
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
        // Past its limit a group pushes its own idle pages to swap, as the machine does: half
        // the swap it may still fill counts as room here too.
        const uint64_t groupHalfSwap = groupSwapFree(s) / 2;
        const uint64_t space = *s.cgroupHeadroom > UINT64_MAX - groupHalfSwap
                                   ? UINT64_MAX
                                   : *s.cgroupHeadroom + groupHalfSwap;
        const uint64_t room = space > kCgroupMargin ? space - kCgroupMargin : 0;
        holdable = std::min(holdable, room);
    }
    // Without an OOM killer a block the commit limit cannot carry makes every other program's
    // allocations fail instead.
    if (s.commitRoom)
        holdable = std::min(holdable, *s.commitRoom > reserve ? *s.commitRoom - reserve : 0);
    return holdable;
}

bool stallWindowOver(const MemorySafetySample& windowStart, const MemorySafetySample& now) {
    return now.takenNs - windowStart.takenNs >= kStallWindowNs;
}

bool mustStopBeforePass(const MemorySafetySample& previous, const MemorySafetySample& now) {
    const Meminfo& m = now.meminfo;
    if (!m.memAvailable || !m.memTotal)
        return true;
    const bool memoryShort =
        *m.memAvailable < std::max(percentOf(*m.memTotal, kShortPercent), kShortFloor);
    if (memoryShort && swapShort(m))
        return true;
    if (now.commitRoom &&
        *now.commitRoom < std::max(percentOf(*m.memTotal, kShortPercent), kShortFloor))
        return true;
    // The group at its limit with its swap full, or about to be.
    if (now.cgroupHeadroom && *now.cgroupHeadroom < kCgroupMargin &&
        (swapShort(m) || (now.cgroupSwapRoom && *now.cgroupSwapRoom < kCgroupMargin)))
        return true;
    if (previous.pressureFullUs && now.pressureFullUs && now.takenNs > previous.takenNs &&
        *now.pressureFullUs > *previous.pressureFullUs) {
        const uint64_t stallUs = *now.pressureFullUs - *previous.pressureFullUs;
        // A window still short of its length is judged as if it had it: only a stall that
        // already fills half of the whole window stops the clean early.
        const uint64_t wallNs = static_cast<uint64_t>(
            std::max<int64_t>(now.takenNs - previous.takenNs, kStallWindowNs));
        const uint64_t stallNs = stallUs > UINT64_MAX / 1000 ? UINT64_MAX : stallUs * 1000;
        if (stallNs > percentOf(wallNs, kStallPercent))
            return true;
    }
    return false;
}

}  // namespace kelvo::safety
