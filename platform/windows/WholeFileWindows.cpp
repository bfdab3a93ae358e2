#include <windows.h>

#include <algorithm>

#include "platform/WholeFile.h"
#include "platform/windows/WideText.h"

namespace kelvo {
namespace {

// Empty for a name with a NUL in it, which would open a shorter one.
std::wstring wideName(const std::string& path) {
    return path.find('\0') == std::string::npos ? widen(path) : std::wstring();
}

// Closes the handle on every way out.
class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid())
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool close() {
        const bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};

}  // namespace

FileRead readWholeFile(const std::string& path, size_t limit) noexcept {
    FileRead result;
    try {
        const std::wstring name = wideName(path);
        if (name.empty())
            return result;
        const Handle h(CreateFileW(name.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) {
            const DWORD e = GetLastError();
            result.status = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND
                                ? FileRead::Status::Missing
                                : FileRead::Status::Failed;
            return result;
        }
        // Pipes, consoles and devices are no files to read whole, and one could wait forever.
        result.status = FileRead::Status::Failed;
        LARGE_INTEGER size{};
        if (GetFileType(h.get()) != FILE_TYPE_DISK || !GetFileSizeEx(h.get(), &size) ||
            size.QuadPart < 0)
            return result;
        if (static_cast<uint64_t>(size.QuadPart) > limit) {
            result.status = FileRead::Status::TooLarge;
            return result;
        }
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            if (!ReadFile(h.get(), bytes.data() + done, want, &got, nullptr))
                return result;
            if (got == 0)
                break;  // the file shrank while it was read
            done += got;
        }
        bytes.resize(done);
        result.status = FileRead::Status::Ok;
        result.bytes = std::move(bytes);
    } catch (...) {
        result.status = FileRead::Status::Failed;
        result.bytes.clear();
    }
    return result;
}

bool writeWholeFile(const std::string& path, std::span<const uint8_t> bytes) noexcept {
    try {
        const std::wstring name = wideName(path);
        if (name.empty())
            return false;
        // Opened without truncation, so that a device is refused untouched.
        Handle h(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid() || GetFileType(h.get()) != FILE_TYPE_DISK || !SetEndOfFile(h.get()))
            return false;
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(h.get(), bytes.data(), chunk, &written, nullptr) || written == 0)
                return false;
            bytes = bytes.subspan(written);
        }
        return h.close();
    } catch (...) {
        return false;
    }
}

PathKind pathKind(const std::string& path) noexcept {
    try {
        const std::wstring name = wideName(path);
        const DWORD attributes =
            name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return PathKind::Missing;
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Other : PathKind::Regular;
    } catch (...) {
        return PathKind::Missing;
    }
}

}  // namespace kelvo
