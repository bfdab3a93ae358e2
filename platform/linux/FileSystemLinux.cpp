#include "platform/linux/FileSystemLinux.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/WholeFile.h"

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

    bool copyAccess(const std::string& like) override {
        struct stat old {};
        struct stat now {};
        if (::stat(like.c_str(), &old) != 0 || ::fstat(fd_, &now) != 0)
            return false;
        mode_t mode = old.st_mode & 0777;
        if (now.st_gid != old.st_gid && ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0)
            mode &= ~mode_t{070};
        return ::fchmod(fd_, mode) == 0;
    }

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

// Debian gives every user a group of their own name that holds no one else; a file that only
// this group may write is still the user's alone.
bool isUsersPrivateGroup(gid_t gid) {
    if (gid != ::getegid())
        return false;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* user = nullptr;
    group gr{};
    group* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size() / 2, &user) != 0 || !user ||
        ::getgrgid_r(gid, &gr, buf.data() + buf.size() / 2, buf.size() / 2, &found) != 0 ||
        !found || std::strcmp(found->gr_name, user->pw_name) != 0)
        return false;
    for (char** member = found->gr_mem; *member; ++member)
        if (std::strcmp(*member, user->pw_name) != 0)
            return false;
    return true;
}

}  // namespace

FileRead LinuxFileSystem::readFile(const std::string& path, size_t limit) {
    return readWholeFile(path, limit);
}

std::unique_ptr<WritableFile> LinuxFileSystem::createNew(const std::string& path) {
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return nullptr;
    // A set-group-ID folder hands its own group to new files; the user's files keep theirs.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_gid != ::getegid() &&
        ::fchown(fd, static_cast<uid_t>(-1), ::getegid()) != 0)
        ::fchmod(fd, st.st_mode & 0707);
    return std::make_unique<PosixFile>(fd);
}

std::optional<uint32_t> LinuxFileSystem::permissions(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<uint32_t>(st.st_mode & 07777);
}

FileStatus LinuxFileSystem::status(const std::string& path) {
    FileStatus result;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        result.kind = errno == ENOENT || errno == ENOTDIR ? FileStatus::Kind::Missing
                                                          : FileStatus::Kind::Other;
        return result;
    }
    if (S_ISREG(st.st_mode))
        result.kind = FileStatus::Kind::Regular;
    else if (S_ISDIR(st.st_mode))
        result.kind = FileStatus::Kind::Directory;
    else if (S_ISLNK(st.st_mode))
        result.kind = FileStatus::Kind::Link;
    else
        result.kind = FileStatus::Kind::Other;
    result.trustedOwner = st.st_uid == ::geteuid() || st.st_uid == 0;
    // A link's own mode bits mean nothing; who owns it decides.
    result.writableByOthers =
        !S_ISLNK(st.st_mode) && ((st.st_mode & S_IWOTH) != 0 ||
                                 ((st.st_mode & S_IWGRP) != 0 && !isUsersPrivateGroup(st.st_gid)));
    result.readOnly = !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
    return result;
}

std::string LinuxFileSystem::linkTarget(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf)
        return {};
    return std::string(buf, static_cast<size_t>(n));
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
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

std::unique_ptr<FileSystem> createSystemFileSystem() {
    return std::make_unique<LinuxFileSystem>();
}

}  // namespace kelvo
