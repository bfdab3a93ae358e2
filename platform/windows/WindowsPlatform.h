#pragma once

#include "platform/Platform.h"
#include "platform/windows/FileSystemWindows.h"
#include "platform/windows/WideText.h"

namespace kelvo {

// The platform on Windows (x86-64), on the Win32 calls. Paths are UTF-8 with forward slashes,
// as everywhere else in the program; the wide-character calls take them.
class WindowsPlatform : public Platform {
  public:
    WindowsPlatform();
    ~WindowsPlatform() override;

    void GlobalMemoryStatus(MEMORYSTATUS& status) override;
    bool IsWinNT() override;
    FreeResourcesFn loadFreeResources() override;
    std::unique_ptr<InstanceLock> createInstanceLock(const std::string& name) override;

    std::string executablePath() override;
    bool isDirectoryWritable(const std::string& dir) override;
    std::string userConfigDir() override;
    FileSystem& fileSystem() override { return files_; }

    void onTerminationRequest(std::function<void()> handler) override;
    std::unique_ptr<MemoryBlock> allocateBlock(uint64_t size) override;
    std::unique_ptr<MemoryProbe> openMemoryProbe() override;
    std::optional<int> oomScoreAdj() override { return std::nullopt; }
    bool setOomScoreAdj(int) override { return false; }
    bool standardOutputIsTerminal() override;
    void writeText(StandardStream stream, std::string_view utf8) override;
    bool enableTerminalEscapes() override;
    LogInPrograms* logInPrograms() override { return logInPrograms_.get(); }
    void Sleep(uint32_t milliseconds) override;
    int64_t monotonicNs() override;
    std::optional<CpuTimes> queryCpuTimes() override;
    std::optional<uint32_t> ReadDynDataValue(uint32_t rootKey, const std::string& subKey,
                                             const std::string& valueName) override;

    ScreenPoint GetCursorPos() override;
    bool isShiftDown() override;
    bool hasSystemTray() override;
    void setSkipTaskBar(NativeWindow window, bool skip) override;
    // The system's move loop follows the button itself.
    void cancelWindowMove(NativeWindow) override {}
    DesktopSession desktopSession() override;
    bool isX11ServerReachable(const std::string&) override { return false; }
    bool hasGlobalCoordinates() override { return true; }
    // Windows has no D-Bus session bus; the toolkit's tray is the shell's own.
    bool hasSessionBus() override { return false; }
    // The tray menu is the program's own on Windows, and the toolkit reports its closing.
    bool isPopupMenuShown() override { return false; }

  private:
    void restoreConsoleMode();

    WindowsFileSystem files_;
    std::string executablePath_;
    std::unique_ptr<LogInPrograms> logInPrograms_;
    std::optional<unsigned long> consoleModeBefore_;  // set while escapes are turned on by us
    void* resourcesLibrary_ = nullptr;                // rsrc32.dll where the system has it
};

// The values under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
std::unique_ptr<LogInPrograms> createRunKeyPrograms();
// A predefined registry root (HKEY_DYN_DATA is 0x80000006) as the handle the calls take: a 64-bit
// handle holds the 32-bit value sign-extended.
void* predefinedKey(uint32_t root);

}  // namespace kelvo
