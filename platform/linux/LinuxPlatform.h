#pragma once

#include "platform/Platform.h"
#include "platform/linux/FileSystemLinux.h"
#include "platform/linux/ProcFile.h"
#include "platform/linux/SampleGate.h"

namespace kelvo {

class LinuxPlatform : public Platform {
  public:
    LinuxPlatform();
    void GlobalMemoryStatus(MEMORYSTATUS& status) override;
    bool IsWinNT() override { return true; }
    FreeResourcesFn loadFreeResources() override { return {}; }
    std::unique_ptr<InstanceLock> createInstanceLock(const std::string& name) override;
    std::string executablePath() override;
    bool isDirectoryWritable(const std::string& dir) override;
    std::string userConfigDir() override;
    FileSystem& fileSystem() override { return files_; }
    void onTerminationRequest(std::function<void()> handler) override;
    std::unique_ptr<MemoryBlock> allocateBlock(uint64_t size) override;
    std::unique_ptr<MemoryProbe> openMemoryProbe() override;
    std::optional<int> oomScoreAdj() override;
    bool setOomScoreAdj(int value) override;
    bool standardOutputIsTerminal() override;
    void writeText(StandardStream stream, std::string_view utf8) override;
    // Terminals here take the escapes as they are.
    bool enableTerminalEscapes() override { return true; }
    // Autostart entries are files.
    LogInPrograms* logInPrograms() override { return nullptr; }
    void Sleep(uint32_t milliseconds) override;
    int64_t monotonicNs() override;
    std::optional<CpuTimes> queryCpuTimes() override;
    std::optional<uint32_t> ReadDynDataValue(uint32_t, const std::string&,
                                             const std::string&) override {
        return std::nullopt;
    }
    ScreenPoint GetCursorPos() override;
    bool isShiftDown() override;
    bool hasSystemTray() override;
    void setSkipTaskBar(NativeWindow window, bool skip) override;
    void cancelWindowMove(NativeWindow window) override;
    DesktopSession desktopSession() override;
    bool isX11ServerReachable(const std::string& display) override;
    bool hasGlobalCoordinates() override;
    bool hasSessionBus() override;
    bool isPopupMenuShown() override;
    // A sample read from /proc/meminfo now, whatever the counters say.
    MEMORYSTATUS fullMemoryStatus();

  private:
    std::string exePath_;
    ProcFile meminfo_;
    SampleGate sampleGate_;
    MEMORYSTATUS lastSample_{};
    ProcFile stat_;
    ProcFile onlineCpus_;
    long clockTicksPerSecond_;
    LinuxFileSystem files_;
};

}  // namespace kelvo
