// Standard output and error, and the console's escape processing.
#include <windows.h>

#include "platform/windows/ConsoleText.h"
#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

// Some consoles take the escape-processing mode and still print the sequences as characters.
// Saving and restoring the cursor moves it nowhere where escapes work; where the cursor moved,
// the cells the sequences were printed over get their old contents back.
bool escapesTakeEffect(HANDLE out) {
    CONSOLE_SCREEN_BUFFER_INFO before{};
    if (!GetConsoleScreenBufferInfo(out, &before))
        return false;
    constexpr wchar_t kProbe[] =
        L"\x1b"
        L"7\x1b"
        L"8";
    constexpr DWORD kCells = 4;
    wchar_t characters[kCells] = {};
    WORD attributes[kCells] = {};
    DWORD saved = 0;
    DWORD savedAttributes = 0;
    ReadConsoleOutputCharacterW(out, characters, kCells, before.dwCursorPosition, &saved);
    ReadConsoleOutputAttribute(out, attributes, kCells, before.dwCursorPosition, &savedAttributes);
    DWORD written = 0;
    WriteConsoleW(out, kProbe, kCells, &written, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO after{};
    if (GetConsoleScreenBufferInfo(out, &after) &&
        after.dwCursorPosition.X == before.dwCursorPosition.X &&
        after.dwCursorPosition.Y == before.dwCursorPosition.Y)
        return true;
    WriteConsoleOutputCharacterW(out, characters, saved, before.dwCursorPosition, &written);
    WriteConsoleOutputAttribute(out, attributes, savedAttributes, before.dwCursorPosition,
                                &written);
    SetConsoleCursorPosition(out, before.dwCursorPosition);
    return false;
}

}  // namespace

bool WindowsPlatform::standardOutputIsTerminal() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return out && out != INVALID_HANDLE_VALUE && GetFileType(out) == FILE_TYPE_CHAR &&
           GetConsoleMode(out, &mode);
}

void WindowsPlatform::writeText(StandardStream stream, std::string_view utf8) {
    writeStandardText(stream, utf8);
}

bool WindowsPlatform::enableTerminalEscapes() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode))
        return false;
    if (!(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        if (!SetConsoleMode(out,
                            mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            return false;  // a console older than Windows 10
        consoleModeBefore_ = mode;
    }
    if (escapesTakeEffect(out))
        return true;
    restoreConsoleMode();
    return false;
}

// The console goes back to its own mode for whatever runs in it next.
void WindowsPlatform::restoreConsoleMode() {
    if (consoleModeBefore_)
        SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), *consoleModeBefore_);
    consoleModeBefore_.reset();
}

}  // namespace kelvo
