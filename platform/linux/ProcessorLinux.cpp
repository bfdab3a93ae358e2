// Time, sleeping, processor times and the OOM-killer adjustment.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {

void LinuxPlatform::Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t LinuxPlatform::monotonicNs() {
    // CLOCK_BOOTTIME goes on while the machine is suspended, as the idle times of /proc/stat
    // do not: a sample across a suspend then shows the suspend as idle, not as work.
    timespec ts{};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::optional<CpuTimes> LinuxPlatform::queryCpuTimes() {
    const std::optional<uint64_t> ticks = parseProcStatIdleTicks(stat_.read());
    const std::optional<uint32_t> online = parseCpuList(onlineCpus_.read());
    if (!ticks || !online || clockTicksPerSecond_ <= 0)
        return std::nullopt;
    CpuTimes t;
    t.processors = *online;
    t.systemTime = monotonicNs() / 100;
    const uint64_t hz = static_cast<uint64_t>(clockTicksPerSecond_);
    t.idleTime = 10000000 % hz == 0
                     ? static_cast<int64_t>(*ticks * (10000000 / hz))
                     : static_cast<int64_t>(static_cast<long double>(*ticks) * 1e7L / hz);
    return t;
}

std::optional<int> LinuxPlatform::oomScoreAdj() {
    const int fd = ::open("/proc/self/oom_score_adj", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buf[32] = {};
    const ssize_t n = ::read(fd, buf, sizeof(buf) - 1);
    ::close(fd);
    if (n <= 0)
        return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(buf, &end, 10);
    if (end == buf || v < -1000 || v > 1000)
        return std::nullopt;
    return static_cast<int>(v);
}

bool LinuxPlatform::setOomScoreAdj(int value) {
    const int fd = ::open("/proc/self/oom_score_adj", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[16];
    const int n = std::snprintf(buf, sizeof(buf), "%d", value);
    const bool ok = n > 0 && ::write(fd, buf, static_cast<size_t>(n)) == n;
    ::close(fd);
    return ok;
}

}  // namespace kelvo
