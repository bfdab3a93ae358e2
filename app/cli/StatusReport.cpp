#include "app/cli/StatusReport.h"

#include "app/clean/CpuUsage.h"
#include "app/common/Formats.h"
#include "platform/Platform.h"

namespace kelvo {
namespace {

QString row(const QString& title, uint64_t total, uint64_t avail) {
    const uint64_t used = total > avail ? total - avail : 0;
    return QStringLiteral("%1\t空き %2\t使用 %3\t合計 %4\n")
        .arg(title, formatMB(avail), formatMB(used), formatMBUnit(total));
}

}  // namespace

QString statusReport(const MEMORYSTATUS& m) {
    return row(QStringLiteral("物理"), m.dwTotalPhys, m.dwAvailPhys) +
           row(QStringLiteral("頁"), m.dwTotalPageFile, m.dwAvailPageFile) +
           row(QStringLiteral("仮想"), m.dwTotalVirtual, m.dwAvailVirtual) +
           QStringLiteral("使用率\t") + formatInt("%3d%", static_cast<int>(m.dwMemoryLoad)) +
           QStringLiteral("\n");
}

QString statusReport(Platform& platform) {
    NtCpuUsage cpu;
    cpu.sample(platform.queryCpuTimes());  // the first sample only sets the starting point
    platform.Sleep(2000);
    const int usage = cappedCpuUsage(cpu.sample(platform.queryCpuTimes()));
    MEMORYSTATUS status;
    platform.GlobalMemoryStatus(status);
    return statusReport(status) + formatInt("CPU:%3d%", usage) + QStringLiteral("\n");
}

}  // namespace kelvo
