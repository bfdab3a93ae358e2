#include "app/window/TrayTip.h"

#include "app/common/Formats.h"

namespace kelvo {

std::optional<QString> TrayTipPacer::update(uint64_t availPhysBytes, int64_t nowNs) {
    if (writtenNs_ && nowNs - *writtenNs_ < kIntervalNs)
        return std::nullopt;
    // Formatted only when the figure it shows moved.
    const uint64_t tenths = megabyteTenths(availPhysBytes);
    if (tenths == shownTenths_)
        return std::nullopt;
    shownTenths_ = tenths;
    const long double mb = static_cast<long double>(availPhysBytes) / 1048576.0L;
    QString text = formatDouble("%4.1lfMB Free", static_cast<double>(mb));
    writtenNs_ = nowNs;
    return text;
}

}  // namespace kelvo
