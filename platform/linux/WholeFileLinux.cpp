#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/WholeFile.h"

namespace kelvo {
namespace {

int openRetrying(const std::string& path, int flags, mode_t mode = 0) {
    // A name with a NUL in it would open a shorter one.
    if (path.find('\0') != std::string::npos) {
        errno = ENOENT;
        return -1;
    }
    int fd;
    do
        fd = ::open(path.c_str(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool isRegular(int fd, off_t* size = nullptr) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (size)
        *size = st.st_size;
    return true;
}

}  // namespace

FileRead readWholeFile(const std::string& path, size_t limit) noexcept {
    FileRead result;
    // Non-blocking: opening a pipe for reading would otherwise wait for a writer forever.
    const int fd = openRetrying(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Failed;
        return result;
    }
    off_t size = 0;
    result.status = isRegular(fd, &size) ? FileRead::Status::Ok : FileRead::Status::Failed;
    if (result.status == FileRead::Status::Ok && uint64_t(size) > limit)
        result.status = FileRead::Status::TooLarge;
    try {
        if (result.status == FileRead::Status::Ok)
            result.bytes.reserve(size_t(size));
        // Read to the end rather than to the size fstat gave: the file may grow meanwhile.
        char buf[65536];
        while (result.status == FileRead::Status::Ok) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n < 0)
                    result.status = FileRead::Status::Failed;
                break;
            }
            if (result.bytes.size() + size_t(n) > limit)
                result.status = FileRead::Status::TooLarge;
            else
                result.bytes.append(buf, size_t(n));
        }
    } catch (...) {
        result.status = FileRead::Status::Failed;
    }
    ::close(fd);
    if (result.status != FileRead::Status::Ok)
        std::string().swap(result.bytes);
    return result;
}

bool writeWholeFile(const std::string& path, std::span<const uint8_t> bytes) noexcept {
    // Non-blocking, so that a pipe without a reader is refused rather than waited on; the
    // truncation does not touch what is not a regular file.
    const int fd =
        openRetrying(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return false;
    bool ok = isRegular(fd);
    while (ok && !bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            bytes = bytes.subspan(size_t(n));
    }
    // After an interrupted close the descriptor is gone on Linux; retrying could close another
    // thread's file.
    return (::close(fd) == 0 || errno == EINTR) && ok;
}

PathKind pathKind(const std::string& path) noexcept {
    struct stat st {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Other;
}

}  // namespace kelvo
