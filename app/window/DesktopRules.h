#pragma once

#include <cstdint>

#include "platform/Platform.h"

// The rules of the main window's life on the desktop, free of any window so that tests can
// state them with a scripted pointer and tray.
namespace kelvo {

// The main window's screen rectangle as Left, Top, Width and Height.
struct WindowBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A left press here moves the window instead of reaching a control: anywhere below the top
// strip of buttons, and in the strip the stretch of the CPU label between them.
bool isDragArea(ScreenPoint cursor, int32_t left, int32_t top);

// The pointer counts as on the window up to and including the pixel at Left + Width and
// Top + Height, one beyond the window's last pixel.
bool pointerOnWindow(ScreenPoint cursor, const WindowBox& box);

// Hiding under the pointer: the window gets out of the way unless Shift is held, and never in
// small mode. It comes back once the pointer is off its rectangle.
bool hidesUnderPointer(bool dontCatch, bool smallMode, ScreenPoint cursor, const WindowBox& box,
                       bool shiftDown);
bool reshowsAfterPointer(bool dontCatch, bool smallMode, ScreenPoint cursor, const WindowBox& box);

// Without a tray the task-bar button is the only way back to a minimised window, so the
// option that hides it counts only while a tray icon is there.
bool skipsTaskBar(bool optionChecked, bool hasTray);

}  // namespace kelvo
