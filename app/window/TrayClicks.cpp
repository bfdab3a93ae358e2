#include "app/window/TrayClicks.h"

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

namespace kelvo {

void TrayMenuState::opened(int64_t nowNs) {
    open_ = true;
    seen_ = false;
    openedNs_ = nowNs;
}

void TrayMenuState::hostMenuShown(bool popupOnScreen, int64_t nowNs) {
    if (!open_)
        return;
    if (popupOnScreen)
        seen_ = true;
    else if (seen_ || nowNs - openedNs_ > kUnseenLimitNs)
        open_ = false;
}

}  // namespace kelvo
