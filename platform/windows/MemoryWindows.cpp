// The clean's block and the figures that tell whether memory runs short.
#include <windows.h>

#include "platform/MemorySafety.h"
#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

// One movable global block, locked for the clean's writes. The system charges the whole size
// to the commit limit at once; physical pages come as the clean writes them.
class GlobalMemoryBlock : public MemoryBlock {
  public:
    GlobalMemoryBlock(HGLOBAL handle, char* base, uint64_t size)
        : handle_(handle), base_(base), size_(size) {}
    ~GlobalMemoryBlock() override {
        GlobalUnlock(handle_);
        GlobalFree(handle_);
    }
    GlobalMemoryBlock(const GlobalMemoryBlock&) = delete;
    GlobalMemoryBlock& operator=(const GlobalMemoryBlock&) = delete;
    uint64_t size() const override { return size_; }
    void zero(uint64_t offset, uint64_t length) override {
        length = lengthWithin(size_, offset, length);
        if (length == 0)
            return;
        // SecureZeroMemory's stores are never dropped as dead, so every page gets committed.
        SecureZeroMemory(base_ + offset, static_cast<SIZE_T>(length));
    }

  private:
    HGLOBAL handle_;
    char* base_;
    uint64_t size_;
};

class WindowsMemoryProbe : public MemoryProbe {
  public:
    explicit WindowsMemoryProbe(WindowsPlatform& platform) : platform_(platform) {}
    MemorySafetySample sample() override {
        MEMORYSTATUS status;
        platform_.GlobalMemoryStatus(status);
        MemorySafetySample s = safetySampleFromMemoryStatus(status);
        s.takenNs = platform_.monotonicNs();
        return s;
    }

  private:
    WindowsPlatform& platform_;
};

}  // namespace

std::unique_ptr<MemoryBlock> WindowsPlatform::allocateBlock(uint64_t size) {
    if (size == 0 || size > (uint64_t{1} << 62))
        return nullptr;
    const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
    if (!handle)
        return nullptr;
    auto* base = static_cast<char*>(GlobalLock(handle));
    if (!base) {
        GlobalFree(handle);
        return nullptr;
    }
    return std::make_unique<GlobalMemoryBlock>(handle, base, size);
}

std::unique_ptr<MemoryProbe> WindowsPlatform::openMemoryProbe() {
    return std::make_unique<WindowsMemoryProbe>(*this);
}

}  // namespace kelvo
