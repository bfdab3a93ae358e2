#include <windows.h>

#include <shellapi.h>

#include "platform/Companion.h"
#include "platform/windows/ConsoleText.h"
#include "platform/windows/WideText.h"

namespace kelvo {
namespace {

// What follows the program's own name on the command line, as it was written. The name ends as
// the system reads it: at the closing quote of a quoted one, else at the first blank or tab.
std::wstring parametersOf(const std::wstring& line) {
    size_t end = 0;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        end = end == std::wstring::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(L" \t");
        end = end == std::wstring::npos ? line.size() : end;
    }
    return line.substr(end);
}

std::wstring windowedProgram() {
    std::wstring path = programPath();
    if (path.empty())
        return {};
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        path.resize(dot);
    return path + L".exe";
}

// A copy of a standard handle that the program inherits; null where there is none.
HANDLE inheritableCopy(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (!handle || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// The program gets these too and answers them; this process waits for its exit code.
BOOL WINAPI leaveToProgram(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

}  // namespace

std::string companionFirstParameter() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return {};
    const std::string first = count >= 2 ? narrow(words[1]) : std::string();
    LocalFree(words);
    return first;
}

int runWindowedProgram(ProgramWait wait) {
    const std::wstring program = windowedProgram();
    std::wstring line = L"\"" + program + L"\"" + parametersOf(GetCommandLineW());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE streams[3] = {};
    const bool sharesConsole = wait == ProgramWait::ForOutput;
    if (sharesConsole) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = streams[0] = inheritableCopy(STD_INPUT_HANDLE);
        startup.hStdOutput = streams[1] = inheritableCopy(STD_OUTPUT_HANDLE);
        startup.hStdError = streams[2] = inheritableCopy(STD_ERROR_HANDLE);
        SetConsoleCtrlHandler(leaveToProgram, TRUE);
    }
    PROCESS_INFORMATION process{};
    // A window start keeps clear of this console: closing it must not end the program. Ctrl+C
    // while this process waits for a window ends only the wait.
    const BOOL started =
        !program.empty() &&
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, sharesConsole,
                       sharesConsole ? 0 : DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
    const DWORD error = GetLastError();
    for (const HANDLE stream : streams)
        if (stream)
            CloseHandle(stream);
    if (!started) {
        writeStandardText(StandardStream::Error, "kelvo: cannot start " + narrow(program) +
                                                     " (error " + std::to_string(error) + ")\n");
        return 1;
    }
    CloseHandle(process.hThread);
    DWORD code = 0;
    if (wait != ProgramWait::None &&
        (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
         !GetExitCodeProcess(process.hProcess, &code)))
        code = 1;
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace kelvo
