#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

class FakeLock : public InstanceLock {
  public:
    explicit FakeLock(bool exists) : exists_(exists) {}
    bool alreadyExists() const override { return exists_; }

  private:
    bool exists_;
};

}  // namespace

void FakePlatform::GlobalMemoryStatus(MEMORYSTATUS& status) {
    ++memoryStatusCalls;
    uint32_t length = status.dwLength;
    status = memory;
    status.dwLength = length;
}

std::unique_ptr<InstanceLock> FakePlatform::createInstanceLock(const std::string& name) {
    return std::make_unique<FakeLock>(heldLocks.count(name) > 0);
}

void FakePlatform::setMemoryMB(double totalMB, double freeMB, uint32_t load) {
    memory.dwTotalPhys = static_cast<uint64_t>(totalMB * 1048576.0);
    memory.dwAvailPhys = static_cast<uint64_t>(freeMB * 1048576.0);
    memory.dwMemoryLoad = load;
}

}  // namespace kelvo
