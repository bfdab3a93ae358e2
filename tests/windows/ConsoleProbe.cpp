// Runs a command line in a console of its own, with code page 437 as on a Western Windows (or the
// one asked for), and writes what the console's screen shows, read back cell by cell, into a file
// as UTF-8:
//   console_probe <file> <command line> [--ctrl-c-on <text> | --ctrl-c-after <ms>] [--wait <ms>]
//                 [--code-page <number>]
// Ctrl+C goes to the console once the screen shows the text, or after the time. The file's first
// line is "exit=<code>", 259 for a program still running when the wait (default 120 s) ran out.
//   console_probe --copy-to <file>
// copies standard input into the file byte for byte: the end of a pipe.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                        nullptr, nullptr);
    return bytes;
}

// The screen's rows down to the cursor's, without the blanks at their ends.
std::wstring screen(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(console, &info))
        return {};
    std::wstring text;
    std::wstring row(static_cast<size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD n = 0;
        ReadConsoleOutputCharacterW(console, row.data(), static_cast<DWORD>(row.size()), {0, y},
                                    &n);
        std::wstring line = row.substr(0, n);
        line.erase(line.find_last_not_of(L' ') + 1);
        text += line + L"\n";
    }
    return text;
}

BOOL WINAPI ignore(DWORD) {
    return TRUE;
}

int fail(HANDLE to, const std::string& message) {
    DWORD n = 0;
    WriteFile(to, message.data(), static_cast<DWORD>(message.size()), &n, nullptr);
    return 2;
}

int copyInput(const wchar_t* path) {
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    char buffer[4096];
    DWORD n = 0;
    DWORD written = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &n, nullptr) && n > 0)
        WriteFile(file, buffer, n, &written, nullptr);
    CloseHandle(file);
    return 0;
}

}  // namespace

int main() {
    const HANDLE caller = GetStdHandle(STD_ERROR_HANDLE);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && std::wstring(argv[1]) == L"--copy-to")
        return copyInput(argv[2]);
    if (!argv || argc < 3)
        return fail(caller, "usage: console_probe <file> <command line> [options]\n");
    std::wstring ctrlOn;
    DWORD ctrlAfter = 0;
    DWORD wait = 120000;
    UINT codePage = 437;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--ctrl-c-on")
            ctrlOn = argv[i + 1];
        else if (option == L"--ctrl-c-after")
            ctrlAfter = static_cast<DWORD>(_wtoi(argv[i + 1]));
        else if (option == L"--wait")
            wait = static_cast<DWORD>(_wtoi(argv[i + 1]));
        else if (option == L"--code-page")
            codePage = static_cast<UINT>(_wtoi(argv[i + 1]));
    }

    FreeConsole();
    if (!AllocConsole())
        return fail(caller, "no console: " + std::to_string(GetLastError()) + "\n");
    SetConsoleOutputCP(codePage);
    SetConsoleCP(codePage);
    SetConsoleCtrlHandler(ignore, TRUE);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE out =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    const HANDLE in =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, argv[2], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return fail(caller, "cannot start: " + std::to_string(GetLastError()) + "\n");

    const ULONGLONG started = GetTickCount64();
    if (!ctrlOn.empty()) {
        while (screen(out).find(ctrlOn) == std::wstring::npos &&
               WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT &&
               GetTickCount64() - started < wait) {
        }
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    } else if (ctrlAfter > 0) {
        Sleep(ctrlAfter);
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    }
    const ULONGLONG spent = GetTickCount64() - started;
    WaitForSingleObject(process.hProcess, spent < wait ? static_cast<DWORD>(wait - spent) : 0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);

    const std::string report = "exit=" + std::to_string(code) + "\n" + utf8(screen(out));
    const HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(caller, "cannot write the file\n");
    DWORD n = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &n, nullptr);
    CloseHandle(file);
    return 0;
}
