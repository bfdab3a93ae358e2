// The pointer, the keyboard, the tray and the task-bar button on the Windows desktop.
#include <windows.h>

#include <QCursor>
#include <QSystemTrayIcon>
#include <cstdlib>

#include "platform/windows/WindowsPlatform.h"

namespace kelvo {

// In the window's own units, as its position and size are: the system answers in physical pixels
// to a program that declares itself DPI-aware, which the toolkit does, and the toolkit maps them
// per screen (at 150 % a window at 100, 100 has its pointer at 150, 150 there).
ScreenPoint WindowsPlatform::GetCursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

bool WindowsPlatform::isShiftDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

bool WindowsPlatform::hasSystemTray() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void WindowsPlatform::setSkipTaskBar(NativeWindow window, bool skip) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!IsWindow(hwnd))
        return;
    // A tool window has no task-bar button; the shell looks at the style when the window is
    // shown, so a visible window is shown again without taking the focus.
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    const LONG_PTR wanted =
        skip ? (style | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW : style & ~WS_EX_TOOLWINDOW;
    if (wanted == style)
        return;
    const bool visible = IsWindowVisible(hwnd) != 0;
    if (visible)
        ShowWindow(hwnd, SW_HIDE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, wanted);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (visible)
        ShowWindow(hwnd, SW_SHOWNA);
}

// Windows has one window system: the toolkit's own default platform always fits.
DesktopSession WindowsPlatform::desktopSession() {
    DesktopSession session;
    if (const char* p = std::getenv("QT_QPA_PLATFORM"))
        session.qtPlatform = p;
    session.native = true;
    return session;
}

}  // namespace kelvo
