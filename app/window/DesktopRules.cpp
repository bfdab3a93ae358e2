#include "app/window/DesktopRules.h"

#include "app/common/Formats.h"

namespace kelvo {
namespace {

constexpr int32_t kTopStripBottom = 18;  // the buttons' strip, from the window's top
constexpr int32_t kCpuLabelLeft = 114;
constexpr int32_t kCpuLabelEnd = 165;  // the minimise button starts just after

}  // namespace

bool isDragArea(ScreenPoint cursor, int32_t left, int32_t top) {
    if (cursor.y > top + kTopStripBottom)
        return true;
    return left + kCpuLabelLeft <= cursor.x && cursor.x < left + kCpuLabelEnd;
}

bool pointerOnWindow(ScreenPoint cursor, const WindowBox& box) {
    return box.left <= cursor.x && cursor.x <= box.left + box.width && box.top <= cursor.y &&
           cursor.y <= box.top + box.height;
}

bool hidesUnderPointer(bool dontCatch, bool smallMode, ScreenPoint cursor, const WindowBox& box,
                       bool shiftDown) {
    return dontCatch && !smallMode && !shiftDown && pointerOnWindow(cursor, box);
}

bool reshowsAfterPointer(bool dontCatch, bool smallMode, ScreenPoint cursor, const WindowBox& box) {
    return dontCatch && !smallMode && !pointerOnWindow(cursor, box);
}

std::optional<QString> TrayTipPacer::update(uint64_t availPhysBytes, int64_t nowNs,
                                            long double& lastTipFreeMB) {
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
    lastTipFreeMB = mb;
    return text;
}

bool skipsTaskBar(bool optionChecked, bool hasTray) {
    return optionChecked && hasTray;
}

}  // namespace kelvo
