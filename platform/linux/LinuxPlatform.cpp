#include "platform/linux/LinuxPlatform.h"

#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/Meminfo.h"

namespace kelvo {
namespace {

// The path the program was started as. Once its file is replaced (a rebuild, an update by rename)
// or removed, the kernel adds " (deleted)" to the link; the folder and the name are still the
// program's own, so the mark goes, unless a file of exactly that name is the running program.
std::string startedAs() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0)
        return {};
    std::string path(buf, static_cast<size_t>(n));
    constexpr std::string_view kDeleted = " (deleted)";
    if (!path.ends_with(kDeleted))
        return path;
    struct stat running {};
    struct stat named {};
    if (::stat("/proc/self/exe", &running) == 0 && ::stat(path.c_str(), &named) == 0 &&
        running.st_dev == named.st_dev && running.st_ino == named.st_ino)
        return path;
    path.resize(path.size() - kDeleted.size());
    return path;
}

std::optional<PageCounters> pageCounters() {
    struct sysinfo si {};
    if (::sysinfo(&si) != 0)
        return std::nullopt;
    return PageCounters{si.freeram, si.bufferram, si.sharedram, si.freeswap, si.totalswap};
}

}  // namespace

LinuxPlatform::LinuxPlatform()
    : exePath_(startedAs()),
      meminfo_("/proc/meminfo"),
      stat_("/proc/stat"),
      onlineCpus_("/sys/devices/system/cpu/online"),
      clockTicksPerSecond_(::sysconf(_SC_CLK_TCK)) {}

void LinuxPlatform::GlobalMemoryStatus(MEMORYSTATUS& status) {
    const uint32_t length = status.dwLength;
    const std::optional<PageCounters> counters = pageCounters();
    const int64_t now = monotonicNs();
    if (sampleGate_.needsFullSample(counters, now)) {
        status = fullMemoryStatus();
        lastSample_ = status;
        // An unreadable file gives all zeros: the next tick tries again.
        if (status.dwTotalPhys != 0)
            sampleGate_.fullSampleTaken(counters, now);
        else
            sampleGate_.forget();
    } else {
        status = lastSample_;
    }
    status.dwLength = length;
}

MEMORYSTATUS LinuxPlatform::fullMemoryStatus() {
    return memoryStatusFromMeminfo(parseMeminfo(meminfo_.read()));
}

std::string LinuxPlatform::executablePath() {
    return exePath_;
}

bool LinuxPlatform::isDirectoryWritable(const std::string& dir) {
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string LinuxPlatform::userConfigDir() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config";
}

// The dynamic loader takes its paths from the program and the environment, never from beside it.
void restrictLibrarySearch() {}

// A program started from a terminal has its streams already.
void attachParentConsole() {}
void detachConsole() {}

SystemFamily systemFamily() {
    return SystemFamily::Linux;
}

std::unique_ptr<Platform> createSystemPlatform() {
    return std::make_unique<LinuxPlatform>();
}

}  // namespace kelvo
