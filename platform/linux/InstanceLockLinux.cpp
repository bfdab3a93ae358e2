#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The private folder under the temp folder, /tmp/kelvo-<uid> (mode 0700); empty when it cannot be
// had, with the reason in `why`.
std::string privateTempFolder(std::string& why) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvo-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Refuse a folder planted by someone else (or a symlink to one).
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0) {
        why = dir + " is not a private folder of this user";
        return {};
    }
    return dir;
}

// The runtime folder holds the lock only when it is the user's own and no one else may write
// it, as the toolkit requires of it too: in another user's folder a lock they hold would keep
// every instance out. Why it cannot goes to `why`; a foreign folder is also named in `foreign`.
bool isPrivateRuntimeFolder(const std::string& dir, std::string& why, std::string& foreign) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        why = dir + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = dir + ": not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & 0022) != 0) {
        why = foreign = "XDG_RUNTIME_DIR " + dir + " is not a private folder of this user";
        return false;
    }
    return true;
}

// The lock in `dir`: a held lock, a lock another instance holds, or nothing when the folder
// cannot hold one (the reason in `why`).
std::unique_ptr<InstanceLock> lockIn(const std::string& dir, const std::string& name,
                                     std::string& why) {
    const std::string path = dir + "/" + name + ".lock";
    // Non-blocking, then checked: whatever else was put there is never waited on or locked.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        why = path + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        why = path + ": not a lock file of this user";
        return nullptr;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return std::make_unique<FlockInstanceLock>(fd, false);
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return std::make_unique<FlockInstanceLock>(-1, true);
    why = path + ": " + std::strerror(error);
    return nullptr;
}

}  // namespace

// The user's runtime folder first, then the private temp folder. The runtime folder is shared by
// all of the user's sessions, so the lock is per user. A lock that cannot be taken in either lets
// the program run, but never silently: two instances might then run at once.
std::unique_ptr<InstanceLock> LinuxPlatform::createInstanceLock(const std::string& name) {
    std::string why;
    std::string foreign;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        // The toolkit makes a missing runtime folder as it starts; were it not made here first,
        // this instance would lock in the temp folder and the next one in the new folder.
        ::mkdir(runtime, 0700);
        if (isPrivateRuntimeFolder(runtime, why, foreign))
            if (auto lock = lockIn(runtime, name, why))
                return lock;
        why += "; ";
    }
    std::string tempWhy;
    const std::string temp = privateTempFolder(tempWhy);
    if (!temp.empty()) {
        if (auto lock = lockIn(temp, name, tempWhy)) {
            if (!foreign.empty())
                std::fprintf(stderr, "kelvo: %s; the single-instance lock is kept in %s instead.\n",
                             foreign.c_str(), temp.c_str());
            return lock;
        }
    }
    std::fprintf(stderr,
                 "kelvo: no single-instance lock could be taken (%s%s); a second copy would not "
                 "be stopped.\n",
                 why.c_str(), tempWhy.c_str());
    return std::make_unique<FlockInstanceLock>(-1, false);
}

}  // namespace kelvo
