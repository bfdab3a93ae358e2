#include "platform/windows/WindowsPlatform.h"

#include <windows.h>

#include <shlobj.h>

namespace kelvo {

void* predefinedKey(uint32_t root) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(static_cast<int32_t>(root)));
}

WindowsPlatform::WindowsPlatform()
    : executablePath_(forwardSlashes(narrow(programPath()))),
      logInPrograms_(createRunKeyPrograms()) {}

WindowsPlatform::~WindowsPlatform() {
    restoreConsoleMode();
    if (resourcesLibrary_)
        FreeLibrary(static_cast<HMODULE>(resourcesLibrary_));
}

// The rows mean what they mean on Linux: page files as swap, and as virtual memory what memory and
// page files can hold together (Windows' commit limit). The process's own address space, the
// original meaning of the virtual row, is a constant 128 TiB on 64-bit Windows: it tells nothing
// and does not fit its label.
void WindowsPlatform::GlobalMemoryStatus(MEMORYSTATUS& status) {
    // The Ex call: the plain one saturates every count at 4 GiB.
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof(ex);
    const uint32_t length = status.dwLength;
    status = MEMORYSTATUS{};
    status.dwLength = length;
    if (!GlobalMemoryStatusEx(&ex))
        return;
    status.dwMemoryLoad = ex.dwMemoryLoad;
    status.dwTotalPhys = ex.ullTotalPhys;
    status.dwAvailPhys = ex.ullAvailPhys;
    const uint64_t pageFiles =
        ex.ullTotalPageFile > ex.ullTotalPhys ? ex.ullTotalPageFile - ex.ullTotalPhys : 0;
    const uint64_t pageFilesFree =
        ex.ullAvailPageFile > ex.ullAvailPhys ? ex.ullAvailPageFile - ex.ullAvailPhys : 0;
    status.dwTotalPageFile = pageFiles;
    status.dwAvailPageFile = pageFilesFree < pageFiles ? pageFilesFree : pageFiles;
    status.dwTotalVirtual = ex.ullTotalPageFile;
    status.dwAvailVirtual = ex.ullAvailPageFile;
}

bool WindowsPlatform::IsWinNT() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info))
        return true;  // every Windows that can run this program is of the NT family
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

FreeResourcesFn WindowsPlatform::loadFreeResources() {
    // The function exists only on the Windows 95 family, in its system folder; elsewhere a
    // library of that name could only be one planted beside the program, so none is looked for.
    if (!resourcesLibrary_ && !IsWinNT()) {
        char folder[MAX_PATH] = {};
        const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
        if (n > 0 && n < MAX_PATH - sizeof("\\rsrc32.dll"))
            resourcesLibrary_ = LoadLibraryA((std::string(folder) + "\\rsrc32.dll").c_str());
    }
    if (!resourcesLibrary_)
        return {};
    using Fn = WORD(WINAPI*)(int);
    const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(resourcesLibrary_), "_MyGetFreeSystemResources32@4")));
    if (!fn)
        return {};
    return [fn](int32_t kind) { return static_cast<uint16_t>(fn(kind)); };
}

// Taken once, at start: the settings file stays where it was even if the program is renamed.
std::string WindowsPlatform::executablePath() {
    return executablePath_;
}

// Folder permissions on Windows are lists of rights that only an attempt answers for sure.
bool WindowsPlatform::isDirectoryWritable(const std::string& dir) {
    if (dir.empty())
        return false;
    const std::wstring probe =
        widen(dir) + L"\\kelvo-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

std::string WindowsPlatform::userConfigDir() {
    PWSTR path = nullptr;
    std::string dir;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)) && path)
        dir = forwardSlashes(narrow(path));
    CoTaskMemFree(path);
    if (dir.empty()) {
        const wchar_t* appData = _wgetenv(L"APPDATA");
        dir = appData ? forwardSlashes(narrow(appData)) : std::string("C:/");
    }
    return dir;
}

std::optional<uint32_t> WindowsPlatform::ReadDynDataValue(uint32_t rootKey,
                                                          const std::string& subKey,
                                                          const std::string& valueName) {
    // HKEY_DYN_DATA exists only on the Windows 95 family; elsewhere the open fails.
    const auto root = static_cast<HKEY>(predefinedKey(rootKey));
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0;
    DWORD type = REG_DWORD;
    DWORD size = sizeof(value);
    const LONG rc = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || size != sizeof(value))
        return std::nullopt;
    return value;
}

void WindowsPlatform::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

// The performance counter goes on across sleep and hibernation, as the processor samples'
// system time does.
int64_t WindowsPlatform::monotonicNs() {
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    if (frequency.QuadPart <= 0)
        return static_cast<int64_t>(GetTickCount64()) * 1000000;
    const int64_t f = frequency.QuadPart;
    return now.QuadPart / f * 1000000000 + now.QuadPart % f * 1000000000 / f;
}

std::unique_ptr<Platform> createSystemPlatform() {
    return std::make_unique<WindowsPlatform>();
}

SystemFamily systemFamily() {
    return SystemFamily::Windows;
}

}  // namespace kelvo
