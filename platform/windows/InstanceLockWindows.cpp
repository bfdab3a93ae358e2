#include <windows.h>

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
        if (mutex_) {
            if (!exists_)
                ReleaseMutex(mutex_);
            CloseHandle(mutex_);
        }
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
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    const bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
    return std::make_unique<MutexInstanceLock>(mutex, exists);
}

}  // namespace kelvo
