#include "platform/linux/FileSystemLinux.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kelvo {
namespace {

class PosixFile : public WritableFile {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool writeAll(std::string_view data) override {
        while (!data.empty()) {
            ssize_t n = ::write(fd_, data.data(), data.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    bool setPermissions(uint32_t mode) override { return ::fchmod(fd_, mode & 07777) == 0; }

    bool sync() override {
        int r;
        do
            r = ::fsync(fd_);
        while (r != 0 && errno == EINTR);
        return r == 0;
    }

    bool close() override {
        int fd = fd_;
        fd_ = -1;
        // After an interrupted close the descriptor is gone on Linux; retrying could close
        // another thread's file.
        return ::close(fd) == 0 || errno == EINTR;
    }

  private:
    int fd_;
};

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FileRead LinuxFileSystem::readFile(const std::string& path, size_t limit) {
    FileRead result;
    int fd = openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Failed;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.status = FileRead::Status::Failed;
        return result;
    }
    result.status = FileRead::Status::Ok;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.status = FileRead::Status::Failed;
            break;
        }
        if (n == 0)
            break;
        if (result.bytes.size() + static_cast<size_t>(n) > limit) {
            result.status = FileRead::Status::TooLarge;
            break;
        }
        result.bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (result.status != FileRead::Status::Ok)
        result.bytes.clear();
    return result;
}

std::unique_ptr<WritableFile> LinuxFileSystem::createNew(const std::string& path) {
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixFile>(fd);
}

std::optional<uint32_t> LinuxFileSystem::permissions(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<uint32_t>(st.st_mode & 07777);
}

bool LinuxFileSystem::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool LinuxFileSystem::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool LinuxFileSystem::syncDirectory(const std::string& dir) {
    int fd = openRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int r;
    do
        r = ::fsync(fd);
    while (r != 0 && errno == EINTR);
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    bool ok = r == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return ok;
}

std::vector<std::string> LinuxFileSystem::listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(d);
    return names;
}

bool LinuxFileSystem::makeDirectories(const std::string& dir) {
    if (dir.empty())
        return false;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(dir.substr(0, slash)))
        return false;
    return ::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

std::unique_ptr<FileSystem> createSystemFileSystem() {
    return std::make_unique<LinuxFileSystem>();
}

}  // namespace kelvo
