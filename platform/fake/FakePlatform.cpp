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

class FakeBlock : public MemoryBlock {
  public:
    FakeBlock(FakePlatform& platform, int number, uint64_t size)
        : platform_(platform), number_(number), size_(size) {
        ++platform_.liveBlocks;
    }
    ~FakeBlock() override { --platform_.liveBlocks; }
    uint64_t size() const override { return size_; }
    void zero(uint64_t offset, uint64_t length) override {
        if (offset > size_ || length > size_ - offset)
            ++platform_.overshootingWrites;
        platform_.writes.push_back({number_, offset, length});
    }

  private:
    FakePlatform& platform_;
    int number_;
    uint64_t size_;
};

class FakeProbe : public MemoryProbe {
  public:
    explicit FakeProbe(FakePlatform& platform) : platform_(platform) {}
    MemorySafetySample sample() override {
        ++platform_.safetySamples;
        MemorySafetySample s = platform_.safety ? platform_.safety() : platform_.safetyFromMemory();
        s.takenNs = platform_.clockNs;
        return s;
    }

  private:
    FakePlatform& platform_;
};

}  // namespace

LogInPrograms::Entry FakeLogInPrograms::read(const std::string& name) {
    if (failRead)
        return {Entry::State::Unreadable, {}};
    const auto it = commands.find(name);
    if (it == commands.end())
        return {};
    return {switchedOff.count(name) ? Entry::State::SwitchedOff : Entry::State::On, it->second};
}

bool FakeLogInPrograms::write(const std::string& name, const std::string& command) {
    if (failWrite)
        return false;
    commands[name] = command;
    switchedOff.erase(name);
    return true;
}

bool FakeLogInPrograms::remove(const std::string& name) {
    if (failRemove)
        return commands.count(name) == 0;
    commands.erase(name);
    switchedOff.erase(name);
    return true;
}

std::unique_ptr<MemoryBlock> FakePlatform::allocateBlock(uint64_t size) {
    allocatedSizes.push_back(size);
    const int number = static_cast<int>(allocatedSizes.size());
    if (size == 0 || refusedAllocations.count(number) > 0)
        return nullptr;
    return std::make_unique<FakeBlock>(*this, number, size);
}

std::unique_ptr<MemoryProbe> FakePlatform::openMemoryProbe() {
    ++probesOpened;
    return std::make_unique<FakeProbe>(*this);
}

MemorySafetySample FakePlatform::safetyFromMemory() const {
    MemorySafetySample s;
    s.meminfo.memTotal = memory.dwTotalPhys;
    s.meminfo.memAvailable = memory.dwAvailPhys;
    s.meminfo.memFree = freeBytes.value_or(memory.dwAvailPhys);
    s.meminfo.swapTotal = memory.dwTotalPageFile;
    s.meminfo.swapFree = memory.dwAvailPageFile;
    s.pressureFullUs = pressureFullUs;
    if (!cgroupLevels.empty())
        s.cgroupHeadroom = cgroupHeadroom(cgroupLevels);
    return s;
}

bool FakePlatform::setOomScoreAdj(int value) {
    oomAdjWrites.push_back(value);
    if (!oomAdj)
        return false;
    oomAdj = value;
    return true;
}

void FakePlatform::Sleep(uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    clockNs += int64_t{milliseconds} * 1000000;
    if (onSleep)
        onSleep(milliseconds);
}

std::optional<uint32_t> FakePlatform::ReadDynDataValue(uint32_t, const std::string& subKey,
                                                       const std::string& valueName) {
    const std::string key = subKey + "|" + valueName;
    dynDataReads.push_back(key);
    auto it = dynData.find(key);
    if (it == dynData.end())
        return std::nullopt;
    return it->second;
}

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

void FakePlatform::setSwapMB(double totalMB, double freeMB) {
    memory.dwTotalPageFile = static_cast<uint64_t>(totalMB * 1048576.0);
    memory.dwAvailPageFile = static_cast<uint64_t>(freeMB * 1048576.0);
}

}  // namespace kelvo
