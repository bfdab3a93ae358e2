#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/fake/MemoryFileSystem.h"

namespace kelvo {

// A log-in list held in a map, with failures to script.
class FakeLogInPrograms : public LogInPrograms {
  public:
    std::map<std::string, std::string> commands;
    std::set<std::string> switchedOff;  // names the user switched off in the system's settings
    bool failRead = false;
    bool failWrite = false;
    bool failRemove = false;

    std::string location() const override {
        return "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    }
    Entry read(const std::string& name) override;
    bool write(const std::string& name, const std::string& command) override;
    bool remove(const std::string& name) override;
};

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
    DesktopSession session;
    std::set<std::string> reachableX11Displays;
    std::vector<std::string> x11Probes;  // every display asked about
    bool globalCoordinates = true;
    bool sessionBus = true;
    bool popupMenuShown = false;
    int popupMenuProbes = 0;

    int memoryStatusCalls = 0;

    // The clean's blocks. No memory is taken: a block only records what is written into it.
    struct Write {
        int block;  // number of the allocation, from 1
        uint64_t offset;
        uint64_t length;
    };
    std::set<int> refusedAllocations;  // numbers of allocations (from 1) that fail
    std::vector<uint64_t> allocatedSizes;
    std::vector<Write> writes;
    int liveBlocks = 0;
    int overshootingWrites = 0;  // writes that reached past the end of their block

    // The memory-safety figures beside `memory`: MemFree (empty: every available byte is free,
    // no page cache), the memory control groups around the program (empty: none limits it) and
    // the kernel's full-stall total.
    std::optional<uint64_t> freeBytes;
    std::vector<CgroupLevel> cgroupLevels;
    std::optional<uint64_t> pressureFullUs;
    // Replaces the figures above where a test scripts the samples one by one.
    std::function<MemorySafetySample()> safety;
    int probesOpened = 0;
    int safetySamples = 0;

    std::optional<int> oomAdj = 0;
    std::vector<int> oomAdjWrites;

    bool terminalOutput = false;
    bool terminalEscapes = true;  // what enableTerminalEscapes answers
    std::string standardOutput;   // what writeText wrote, as it was given
    std::string standardError;

    // The system's log-in list, used only where `hasLogInList` says the system has one.
    bool hasLogInList = false;
    FakeLogInPrograms logInList;

    // A clock that only Sleep moves.
    int64_t clockNs = 1000000000;
    std::vector<uint32_t> sleeps;
    std::function<void(uint32_t)> onSleep;

    std::optional<CpuTimes> cpuTimes;
    std::map<std::string, uint32_t> dynData;  // "subkey|value" → value; missing keys fail
    std::vector<std::string> dynDataReads;    // "subkey|value" of every read

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
    void cancelWindowMove(NativeWindow) override {}
    DesktopSession desktopSession() override { return session; }
    bool hasSessionBus() override { return sessionBus; }
    bool isPopupMenuShown() override {
        ++popupMenuProbes;
        return popupMenuShown;
    }
    bool isX11ServerReachable(const std::string& display) override {
        x11Probes.push_back(display);
        return reachableX11Displays.count(display) > 0;
    }
    bool hasGlobalCoordinates() override { return globalCoordinates; }

    std::unique_ptr<MemoryBlock> allocateBlock(uint64_t size) override;
    std::unique_ptr<MemoryProbe> openMemoryProbe() override;
    std::optional<int> oomScoreAdj() override { return oomAdj; }
    bool setOomScoreAdj(int value) override;
    bool standardOutputIsTerminal() override { return terminalOutput; }
    void writeText(StandardStream stream, std::string_view utf8) override {
        (stream == StandardStream::Output ? standardOutput : standardError).append(utf8);
    }
    bool enableTerminalEscapes() override { return terminalEscapes; }
    LogInPrograms* logInPrograms() override { return hasLogInList ? &logInList : nullptr; }
    void Sleep(uint32_t milliseconds) override;
    int64_t monotonicNs() override { return clockNs; }
    std::optional<CpuTimes> queryCpuTimes() override { return cpuTimes; }
    std::optional<uint32_t> ReadDynDataValue(uint32_t rootKey, const std::string& subKey,
                                             const std::string& valueName) override;

    // The safety figures that match `memory` and the fields above.
    MemorySafetySample safetyFromMemory() const;

    // A machine with `totalMB` of physical memory of which `freeMB` is available, and no swap.
    void setMemoryMB(double totalMB, double freeMB, uint32_t load);
    // Its swap: `totalMB` of which `freeMB` is free.
    void setSwapMB(double totalMB, double freeMB);
};

}  // namespace kelvo
