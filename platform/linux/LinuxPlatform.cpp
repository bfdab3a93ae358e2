#include "platform/linux/LinuxPlatform.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/Meminfo.h"

namespace kelvo {

LinuxPlatform::LinuxPlatform()
    : meminfo_("/proc/meminfo"),
      stat_("/proc/stat"),
      onlineCpus_("/sys/devices/system/cpu/online"),
      clockTicksPerSecond_(::sysconf(_SC_CLK_TCK)) {}

void LinuxPlatform::GlobalMemoryStatus(MEMORYSTATUS& status) {
    uint32_t length = status.dwLength;
    status = memoryStatusFromMeminfo(parseMeminfo(meminfo_.read()));
    status.dwLength = length;
}

std::string LinuxPlatform::executablePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
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

// A program started from a terminal has its streams already.
void attachParentConsole() {}

std::unique_ptr<Platform> createSystemPlatform() {
    return std::make_unique<LinuxPlatform>();
}

}  // namespace kelvo
