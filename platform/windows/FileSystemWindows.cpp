#include "platform/windows/FileSystemWindows.h"

#include <windows.h>

#include "platform/WholeFile.h"
#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

class WindowsWritableFile : public WritableFile {
  public:
    WindowsWritableFile(HANDLE h, std::wstring path) : h_(h), path_(std::move(path)) {}
    ~WindowsWritableFile() override {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    WindowsWritableFile(const WindowsWritableFile&) = delete;
    WindowsWritableFile& operator=(const WindowsWritableFile&) = delete;

    bool writeAll(std::string_view data) override {
        while (!data.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(h_, data.data(), chunk, &written, nullptr) || written == 0)
                return false;
            data.remove_prefix(written);
        }
        return true;
    }
    // Windows keeps access in the folder's inherited access list, which a new file in the same
    // folder already has; the read-only attribute is the one thing to carry over.
    bool copyAccess(const std::string& like) override {
        const DWORD attributes = GetFileAttributesW(widen(like).c_str());
        readOnly_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        return true;
    }
    bool sync() override { return FlushFileBuffers(h_) != 0; }
    bool close() override {
        const bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        if (ok && readOnly_)
            return SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
        return ok;
    }

  private:
    HANDLE h_;
    std::wstring path_;
    bool readOnly_ = false;
};

}  // namespace

FileRead WindowsFileSystem::readFile(const std::string& path, size_t limit) {
    return readWholeFile(path, limit);
}

std::unique_ptr<WritableFile> WindowsFileSystem::createNew(const std::string& path) {
    std::wstring wide = widen(path);
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WindowsWritableFile>(h, std::move(wide));
}

std::optional<uint32_t> WindowsFileSystem::permissions(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0644u;
}

namespace {

// The kind of a reparse point, which only a directory listing tells without opening the file.
uint32_t reparseTag(const std::string& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW(widen(path).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(h);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? found.dwReserved0 : 0;
}

}  // namespace

// Other reparse points (a cloud folder's placeholders, deduplicated or compressed files) are the
// file itself to whoever reads it.
bool isLinkReparseTag(uint32_t tag) {
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// Windows keeps who may write a file in its access list, not in mode bits: the owner and other
// users' rights are not examined here (see docs/windows.md); links are followed as the user's own.
FileStatus WindowsFileSystem::status(const std::string& path) {
    FileStatus s;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD e = GetLastError();
        s.kind = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FileStatus::Kind::Missing
                                                                        : FileStatus::Kind::Other;
        return s;
    }
    const DWORD a = data.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_REPARSE_POINT) && isLinkReparseTag(reparseTag(path)))
        s.kind = FileStatus::Kind::Link;
    else if (a & FILE_ATTRIBUTE_DIRECTORY)
        s.kind = FileStatus::Kind::Directory;
    else if (a & FILE_ATTRIBUTE_DEVICE)
        s.kind = FileStatus::Kind::Other;
    else
        s.kind = FileStatus::Kind::Regular;
    s.readOnly = (a & FILE_ATTRIBUTE_READONLY) && !(a & FILE_ATTRIBUTE_DIRECTORY);
    return s;
}

// Where a link (a symbolic link or a junction) finally leads, as an absolute path.
std::string WindowsFileSystem::linkTarget(const std::string& path) {
    const HANDLE h =
        CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::wstring buf(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()),
                                              FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (n == 0 || n >= buf.size())
        return {};
    buf.resize(n);
    if (buf.rfind(L"\\\\?\\", 0) == 0)
        buf.erase(0, 4);
    return forwardSlashes(narrow(buf));
}

bool WindowsFileSystem::rename(const std::string& from, const std::string& to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WindowsFileSystem::remove(const std::string& path) {
    return DeleteFileW(widen(path).c_str()) != 0;
}

// A rename with MOVEFILE_WRITE_THROUGH is already on the disk when it returns.
bool WindowsFileSystem::syncDirectory(const std::string&) {
    return true;
}

std::vector<std::string> WindowsFileSystem::listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW((widen(dir) + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(narrow(name));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

bool WindowsFileSystem::makeDirectories(const std::string& dir) {
    if (dir.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(widen(dir).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t slash = dir.find_last_of("/\\");
    // A drive root ("C:") or a share's root exists or cannot be made.
    if (slash != std::string::npos && slash > 0 && dir[slash - 1] != ':' &&
        !makeDirectories(dir.substr(0, slash)))
        return false;
    return CreateDirectoryW(widen(dir).c_str(), nullptr) != 0 ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

std::unique_ptr<FileSystem> createSystemFileSystem() {
    return std::make_unique<WindowsFileSystem>();
}

}  // namespace kelvo
