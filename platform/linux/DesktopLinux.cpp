// The pointer, the keyboard and the tray as the toolkit sees them on the running desktop.
#include <QCursor>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {

ScreenPoint LinuxPlatform::GetCursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

// Asks the display server, not the last input event: the pointer may be over another program.
bool LinuxPlatform::isShiftDown() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

bool LinuxPlatform::hasSystemTray() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace kelvo
