// Start at log-in: the user's values under the Run key, and the mark with which Task Manager
// switches one off without removing it.
#include <windows.h>

#include <cwchar>

#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

bool deleteValue(const wchar_t* key, const std::wstring& name) {
    HKEY handle = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &handle);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    const LONG rc = RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// The mark's first byte is odd (3; 7 on some versions) while the entry is switched off.
bool switchedOff(const std::wstring& name) {
    BYTE mark[16] = {};
    DWORD size = sizeof(mark);
    return RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, name.c_str(), RRF_RT_REG_BINARY, nullptr,
                        mark, &size) == ERROR_SUCCESS &&
           size > 0 && (mark[0] & 1) != 0;
}

class RunKeyPrograms : public LogInPrograms {
  public:
    std::string location() const override {
        return "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    }

    Entry read(const std::string& name) override {
        const std::wstring value = widen(name);
        // Grown and asked again should the value grow between the two calls.
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD size = 0;
            constexpr DWORD kStrings = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
            LONG rc = RegGetValueW(HKEY_CURRENT_USER, kRunKey, value.c_str(), kStrings, nullptr,
                                   nullptr, &size);
            if (rc == ERROR_FILE_NOT_FOUND)
                return {};
            if (rc != ERROR_SUCCESS)
                return {Entry::State::Unreadable, {}};
            std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
            size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            rc = RegGetValueW(HKEY_CURRENT_USER, kRunKey, value.c_str(), kStrings, nullptr,
                              data.data(), &size);
            if (rc == ERROR_MORE_DATA)
                continue;
            if (rc == ERROR_FILE_NOT_FOUND)
                return {};
            if (rc != ERROR_SUCCESS)
                return {Entry::State::Unreadable, {}};
            data.resize(std::wcslen(data.c_str()));
            return {switchedOff(value) ? Entry::State::SwitchedOff : Entry::State::On,
                    narrow(data)};
        }
        return {Entry::State::Unreadable, {}};
    }

    bool write(const std::string& name, const std::string& command) override {
        const std::wstring value = widen(name);
        const std::wstring data = widen(command);
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG rc = RegSetValueExW(key, value.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        // Without its mark the entry counts as switched on.
        return rc == ERROR_SUCCESS && deleteValue(kApprovedKey, value);
    }

    bool remove(const std::string& name) override {
        const std::wstring value = widen(name);
        if (!deleteValue(kRunKey, value))
            return false;
        deleteValue(kApprovedKey, value);  // a mark without its entry means nothing
        return true;
    }
};

}  // namespace

std::unique_ptr<LogInPrograms> createRunKeyPrograms() {
    return std::make_unique<RunKeyPrograms>();
}

}  // namespace kelvo
