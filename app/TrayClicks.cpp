#include "app/TrayClicks.h"

namespace kelvo {

bool TrayClickPairing::secondOfPair(int64_t nowNs, int intervalMs) {
    if (first_ && nowNs - *first_ <= int64_t{intervalMs} * 1000000) {
        first_.reset();
        return true;
    }
    first_ = nowNs;
    return false;
}

}  // namespace kelvo
