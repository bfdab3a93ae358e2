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
    if (fd_ < 0) return {};
    // One read takes the whole file: the kernel builds the text anew for every read call, so
    // asking again at the end just to see end-of-file would double the cost of a sample.
    ssize_t n;
    do {
        n = ::pread(fd_, buffer_, sizeof(buffer_), 0);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? std::string_view(buffer_, static_cast<size_t>(n)) : std::string_view{};
}

}  // namespace kelvo
