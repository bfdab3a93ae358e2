#include <windows.h>

#include <cstdio>

#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

// A named mutex in the session's namespace: one instance per desktop session, as the name
// without a "Global\" prefix gives. The system drops it when the last handle goes, so an
// instance that was killed never blocks the next.
class MutexInstanceLock : public InstanceLock {
  public:
    MutexInstanceLock(HANDLE mutex, bool exists) : mutex_(mutex), exists_(exists) {}
    ~MutexInstanceLock() override {
        if (mutex_)
            CloseHandle(mutex_);
    }
    MutexInstanceLock(const MutexInstanceLock&) = delete;
    MutexInstanceLock& operator=(const MutexInstanceLock&) = delete;
    bool alreadyExists() const override { return exists_; }

  private:
    HANDLE mutex_;
    bool exists_;
};

}  // namespace

std::unique_ptr<InstanceLock> WindowsPlatform::createInstanceLock(const std::string& name) {
    // Not owned: the name alone is the lock, and the process's end drops it.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    // A mutex made by an elevated instance or another user of the session cannot be opened: it
    // exists all the same.
    const bool exists = error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
    if (!mutex && !exists)
        std::fprintf(stderr,
                     "kelvo: no single-instance lock could be taken (CreateMutex failed with error "
                     "%lu); a second copy would not be stopped.\n",
                     static_cast<unsigned long>(error));
    return std::make_unique<MutexInstanceLock>(mutex, exists);
}

}  // namespace kelvo
