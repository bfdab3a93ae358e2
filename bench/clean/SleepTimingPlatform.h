#pragma once

#include <chrono>
#include <memory>

#include "platform/Platform.h"

namespace kelvo::bench {

// The system's platform, adding up the wall time its Sleep calls really took, so that a clean's
// own cost can be told apart from its sleeps (which a busy machine stretches).
class SleepTimingPlatform : public Platform {
  public:
    explicit SleepTimingPlatform(std::unique_ptr<Platform> system) : s_(std::move(system)) {}

    double sleptSeconds = 0;

    void Sleep(uint32_t milliseconds) override {
        const auto start = std::chrono::steady_clock::now();
        s_->Sleep(milliseconds);
        sleptSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    void GlobalMemoryStatus(MEMORYSTATUS& status) override { s_->GlobalMemoryStatus(status); }
    bool IsWinNT() override { return s_->IsWinNT(); }
    FreeResourcesFn loadFreeResources() override { return s_->loadFreeResources(); }
    std::unique_ptr<InstanceLock> createInstanceLock(const std::string& name) override {
        return s_->createInstanceLock(name);
    }
    std::string executablePath() override { return s_->executablePath(); }
    bool isDirectoryWritable(const std::string& dir) override {
        return s_->isDirectoryWritable(dir);
    }
    std::string userConfigDir() override { return s_->userConfigDir(); }
    FileSystem& fileSystem() override { return s_->fileSystem(); }
    ScreenPoint GetCursorPos() override { return s_->GetCursorPos(); }
    bool isShiftDown() override { return s_->isShiftDown(); }
    bool hasSystemTray() override { return s_->hasSystemTray(); }
    DesktopSession desktopSession() override { return s_->desktopSession(); }
    bool isX11ServerReachable(const std::string& display) override {
        return s_->isX11ServerReachable(display);
    }
    bool hasGlobalCoordinates() override { return s_->hasGlobalCoordinates(); }
    bool hasSessionBus() override { return s_->hasSessionBus(); }
    bool isPopupMenuShown() override { return s_->isPopupMenuShown(); }
    void setSkipTaskBar(NativeWindow window, bool skip) override {
        s_->setSkipTaskBar(window, skip);
    }
    void cancelWindowMove(NativeWindow window) override { s_->cancelWindowMove(window); }
    void onTerminationRequest(std::function<void()> handler) override {
        s_->onTerminationRequest(std::move(handler));
    }
    std::unique_ptr<MemoryBlock> allocateBlock(uint64_t size) override {
        return s_->allocateBlock(size);
    }
    std::unique_ptr<MemoryProbe> openMemoryProbe() override { return s_->openMemoryProbe(); }
    std::optional<int> oomScoreAdj() override { return s_->oomScoreAdj(); }
    bool setOomScoreAdj(int value) override { return s_->setOomScoreAdj(value); }
    bool standardOutputIsTerminal() override { return s_->standardOutputIsTerminal(); }
    void writeText(StandardStream stream, std::string_view utf8) override {
        s_->writeText(stream, utf8);
    }
    bool enableTerminalEscapes() override { return s_->enableTerminalEscapes(); }
    LogInPrograms* logInPrograms() override { return s_->logInPrograms(); }
    int64_t monotonicNs() override { return s_->monotonicNs(); }
    std::optional<CpuTimes> queryCpuTimes() override { return s_->queryCpuTimes(); }
    std::optional<uint32_t> ReadDynDataValue(uint32_t rootKey, const std::string& subKey,
                                             const std::string& valueName) override {
        return s_->ReadDynDataValue(rootKey, subKey, valueName);
    }

  private:
    std::unique_ptr<Platform> s_;
};

}  // namespace kelvo::bench
