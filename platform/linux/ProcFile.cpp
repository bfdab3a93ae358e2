#include "platform/linux/ProcFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kelvo {

ProcFile::ProcFile(const char* path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {}

ProcFile::~ProcFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string_view ProcFile::read() {
    if (fd_ < 0)
        return {};
    size_t total = 0;
    while (total < sizeof(buffer_)) {
        ssize_t n =
            ::pread(fd_, buffer_ + total, sizeof(buffer_) - total, static_cast<off_t>(total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<size_t>(n);
    }
    return {buffer_, total};
}

}  // namespace kelvo
