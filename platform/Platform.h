#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CpuTimes.h"
#include "platform/FileSystem.h"
#include "platform/MemoryBlock.h"
#include "platform/MemorySafety.h"
#include "platform/MemoryStatus.h"

namespace kelvo {

// A held single-instance lock; released when destroyed.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    // True when another instance of the same user already holds the lock.
    virtual bool alreadyExists() const = 0;
};

// A position on the screen in the windows' own units (device-independent pixels: at 150 % display
// scale one unit is 1.5 physical pixels), origin at the top left of the desktop.
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// A top-level window as the system knows it (the window id on X11).
using NativeWindow = uintptr_t;

// What the environment tells of the desktop session; each is empty where its variable is unset.
struct DesktopSession {
    std::string qtPlatform;      // QT_QPA_PLATFORM: the user's own choice of the toolkit's platform
    std::string x11Display;      // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string sessionType;     // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    // The system has one window system of its own (Windows): the toolkit's default platform.
    bool native = false;
};

// Where the program writes what it prints.
enum class StandardStream { Output, Error };

// The user's list of programs the system starts at log-in, one command line per name (Windows:
// the values under HKCU\Software\Microsoft\Windows\CurrentVersion\Run).
class LogInPrograms {
  public:
    virtual ~LogInPrograms() = default;
    // The list's place as the system's own tools name it, for messages.
    virtual std::string location() const = 0;

    struct Entry {
        enum class State {
            Missing,
            On,
            SwitchedOff,  // kept, but the user switched it off in the system's own settings
            Unreadable,
        };
        State state = State::Missing;
        std::string command;
    };
    virtual Entry read(const std::string& name) = 0;
    // Writes the command and switches the entry on. False when the system refuses.
    virtual bool write(const std::string& name, const std::string& command) = 0;
    // False when the entry is still there.
    virtual bool remove(const std::string& name) = 0;
};

// The resources function: free system resources in percent for argument 0 or 1.
using FreeResourcesFn = std::function<uint16_t(int32_t)>;

// Every operating-system service the application uses. One real implementation per system,
// a scriptable fake for tests. Calls never throw.
class Platform {
  public:
    virtual ~Platform() = default;

    // Fills `status` with the current memory figures. Never fails: unreadable figures are 0.
    virtual void GlobalMemoryStatus(MEMORYSTATUS& status) = 0;

    // True on the NT family of Windows and on every non-Windows system.
    virtual bool IsWinNT() = 0;

    // The free-resources function, or an empty function where the system has none.
    virtual FreeResourcesFn loadFreeResources() = 0;

    // Takes the named per-user lock without blocking, in a folder only the user can change.
    // Never null.
    virtual std::unique_ptr<InstanceLock> createInstanceLock(const std::string& name) = 0;

    // Full path of the executable as the program was started, taken once: replacing or removing
    // the file while the program runs changes nothing. Empty when it cannot be found.
    virtual std::string executablePath() = 0;
    // True when a new file can be created in `dir`.
    virtual bool isDirectoryWritable(const std::string& dir) = 0;
    // The per-user configuration folder ($XDG_CONFIG_HOME or ~/.config on Linux).
    virtual std::string userConfigDir() = 0;
    // Files: the settings file is read and replaced through it.
    virtual FileSystem& fileSystem() = 0;

    // The mouse pointer's position, in the units of the windows' positions and sizes.
    virtual ScreenPoint GetCursorPos() = 0;
    // True while a Shift key is held down.
    virtual bool isShiftDown() = 0;
    // True when the desktop has a notification area (tray) that can hold the program's icon.
    virtual bool hasSystemTray() = 0;
    // The session the program was started in. Readable before the application object exists.
    virtual DesktopSession desktopSession() = 0;
    // True when the X server named `display` (as in DISPLAY) accepts a connection from us.
    virtual bool isX11ServerReachable(const std::string& display) = 0;
    // False where the display server keeps the windows' and the pointer's screen positions to
    // itself (a native Wayland client): the program can neither place its window nor learn where
    // it or the pointer is, and positions read back are relative to its own window.
    virtual bool hasGlobalCoordinates() = 0;
    // True when the session has a message bus to reach: the D-Bus session bus named in the
    // environment, or the user's bus socket in the runtime folder.
    virtual bool hasSessionBus() = 0;
    // True while a pop-up menu of any program is shown on the screen. A tray host that draws
    // the program's menu itself may never say when it closed it.
    virtual bool isPopupMenuShown() = 0;
    // Asks the window manager to leave `window` out of the task bar (and its switchers), or to
    // put it back. Works on shown and hidden windows; does nothing where the desktop has no such
    // hint.
    virtual void setSkipTaskBar(NativeWindow window, bool skip) = 0;
    // Calls off the move of `window` that the toolkit asked the window manager for at a button
    // press, once the release has come to the program: the manager did not take the pointer in
    // time and would move the window with it until the next click. Does nothing where the
    // desktop runs the move itself.
    virtual void cancelWindowMove(NativeWindow window) = 0;

    // Calls `handler` on the GUI thread when the system asks the program to end (SIGTERM, SIGINT
    // on Linux). Call once, after the application object exists.
    virtual void onTerminationRequest(std::function<void()> handler) = 0;

    // The clean's memory: `size` bytes, committed only as they are written. Null when the system
    // refuses the block, and for size 0.
    virtual std::unique_ptr<MemoryBlock> allocateBlock(uint64_t size) = 0;
    // Opens the figures that tell whether memory runs short (they are read before every pass of
    // a clean). Never null; figures the system lacks stay empty in each sample.
    virtual std::unique_ptr<MemoryProbe> openMemoryProbe() = 0;
    // The process's OOM-killer adjustment, -1000..1000; empty where it cannot be read.
    virtual std::optional<int> oomScoreAdj() = 0;
    // False when the system refuses the value.
    virtual bool setOomScoreAdj(int value) = 0;

    // True when standard output is a terminal (a person watches), not a file or a pipe.
    virtual bool standardOutputIsTerminal() = 0;
    // Writes UTF-8 text as the stream wants it: a terminal shows the characters whatever its
    // code page, files and pipes get the bytes.
    virtual void writeText(StandardStream stream, std::string_view utf8) = 0;
    // Makes the terminal on standard output take escape sequences, where it can. False when
    // it shows them as characters: a line is then redrawn with a carriage return alone.
    virtual bool enableTerminalEscapes() = 0;
    // The system's list of programs started at log-in; null where the system has none
    // (freedesktop autostart entries are files, written through fileSystem()).
    virtual LogInPrograms* logInPrograms() = 0;

    // Suspends the GUI thread.
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Nanoseconds on a clock that never goes back and counts suspend.
    virtual int64_t monotonicNs() = 0;

    // The processor figures of one usage sample; empty when they cannot be read.
    virtual std::optional<CpuTimes> queryCpuTimes() = 0;
    // Windows 95 family: a 4-byte value of the performance statistics under the dynamic-data
    // root. Empty when the key or the value cannot be read, and on every other system.
    virtual std::optional<uint32_t> ReadDynDataValue(uint32_t rootKey, const std::string& subKey,
                                                     const std::string& valueName) = 0;
};

// The platform of the machine the program runs on.
std::unique_ptr<Platform> createSystemPlatform();

// The kind of system the program was built for; what the help says differs.
enum class SystemFamily { Linux, Windows };
SystemFamily systemFamily();

// Before anything else runs: libraries the program loads by name come from the system's own
// folder only, never from the program's folder or the working folder, where anyone who can put
// a file there could plant one (Windows). Elsewhere nothing.
void restrictLibrarySearch();

// For the options that print and exit. Where a windowed program starts without standard output
// and error (Windows), joins them to the console it was started from, if any (streams already
// redirected stay), and lets Ctrl+C and Ctrl+Break there reach onTerminationRequest. Elsewhere
// nothing.
void attachParentConsole();
// For a start of the window: a console it was started from can neither end it nor close it
// (Windows). Elsewhere nothing.
void detachConsole();

}  // namespace kelvo
