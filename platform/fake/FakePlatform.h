#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/Platform.h"
#include "platform/fake/MemoryFileSystem.h"

namespace kelvo {

// A platform whose answers tests script, and which counts what was asked of it.
class FakePlatform : public Platform {
  public:
    MEMORYSTATUS memory;  // returned by GlobalMemoryStatus
    bool winNT = true;
    FreeResourcesFn freeResources;    // empty: no resources function
    std::set<std::string> heldLocks;  // names another instance holds
    std::string exePath = "/opt/kelvo/kelvo";
    std::set<std::string> writableDirs = {"/opt/kelvo"};
    std::string configDir = "/home/user/.config";
    std::function<void()> terminationHandler;
    MemoryFileSystem files;
    ScreenPoint cursor;
    bool shiftDown = false;
    bool systemTray = true;
    std::map<NativeWindow, bool> skipTaskBar;  // the last hint asked for each window

    int memoryStatusCalls = 0;

    void GlobalMemoryStatus(MEMORYSTATUS& status) override;
    bool IsWinNT() override { return winNT; }
    FreeResourcesFn loadFreeResources() override { return freeResources; }
    std::unique_ptr<InstanceLock> createInstanceLock(const std::string& name) override;
    std::string executablePath() override { return exePath; }
    bool isDirectoryWritable(const std::string& dir) override {
        return writableDirs.count(dir) > 0;
    }
    std::string userConfigDir() override { return configDir; }
    FileSystem& fileSystem() override { return files; }
    void onTerminationRequest(std::function<void()> handler) override {
        terminationHandler = std::move(handler);
    }
    ScreenPoint GetCursorPos() override { return cursor; }
    bool isShiftDown() override { return shiftDown; }
    bool hasSystemTray() override { return systemTray; }
    void setSkipTaskBar(NativeWindow window, bool skip) override { skipTaskBar[window] = skip; }

    // A machine with `totalMB` of physical memory of which `freeMB` is free, and no swap.
    void setMemoryMB(double totalMB, double freeMB, uint32_t load);
};

}  // namespace kelvo
