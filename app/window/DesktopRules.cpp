#include "app/window/DesktopRules.h"

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

bool skipsTaskBar(bool optionChecked, bool hasTray) {
    return optionChecked && hasTray;
}

}  // namespace kelvo
