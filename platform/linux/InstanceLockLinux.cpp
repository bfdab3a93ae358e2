#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {
namespace {

class FlockInstanceLock : public InstanceLock {
  public:
    FlockInstanceLock(int fd, bool exists) : fd_(fd), exists_(exists) {}
    ~FlockInstanceLock() override {
        if (fd_ >= 0)
            ::close(fd_);  // closing drops the flock
    }
    bool alreadyExists() const override { return exists_; }

  private:
    int fd_;
    bool exists_;
};

// A folder only this user can write to: $XDG_RUNTIME_DIR, else /tmp/kelvo-<uid> (mode 0700).
std::string lockDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvo-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Refuse a folder planted by someone else (or a symlink to one).
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0) {
        return {};
    }
    return dir;
}

}  // namespace

std::unique_ptr<InstanceLock> LinuxPlatform::createInstanceLock(const std::string& name) {
    std::string dir = lockDirectory();
    if (dir.empty())
        return std::make_unique<FlockInstanceLock>(-1, false);
    std::string path = dir + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return std::make_unique<FlockInstanceLock>(-1, false);
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return std::make_unique<FlockInstanceLock>(-1, held);
    }
    return std::make_unique<FlockInstanceLock>(fd, false);
}

}  // namespace kelvo
