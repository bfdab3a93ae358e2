#pragma once

#include "platform/Platform.h"
#include "platform/linux/FileSystemLinux.h"
#include "platform/linux/ProcFile.h"

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
    ScreenPoint GetCursorPos() override;
    bool isShiftDown() override;
    bool hasSystemTray() override;
    void setSkipTaskBar(NativeWindow window, bool skip) override;

  private:
    ProcFile meminfo_;
    LinuxFileSystem files_;
};

}  // namespace kelvo
