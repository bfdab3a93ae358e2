// Automatic cleaning: the step at the end of every main tick.
#include "app/Formats.h"
#include "app/MainForm.h"
#include "app/SettingFrm.h"

namespace kelvo {

void TMainForm::AutoCleanStep() {
    // Options are read at each use: a clean started by the first trigger processes messages, and
    // the settings dialog may have changed them meanwhile.
    const TSettingFrm& options = SettingFrm();
    if (!options.autoClean() || ModalOpen)
        return;
    const int load = static_cast<int>(MemStat.dwMemoryLoad);
    if (load > PeakUsePer && !Cleaning)
        PeakUsePer = load;
    if (load >= 100 && options.noAutoCleanAtFullLoad())
        return;
    // Unrounded: with a threshold of 2, one byte under 2 MiB free is already too little.
    if (options.autoOnLowMemory() &&
        toMegabytes(MemStat.dwAvailPhys) < static_cast<double>(options.lowMemoryMB()))
        StartAutoClean();
    // After a clean above, MemStat and the peak are those measured after it.
    if (options.autoOnLoadDrop() &&
        static_cast<int>(MemStat.dwMemoryLoad) < PeakUsePer - options.loadDropPoints() + 1)
        StartAutoClean();
}

void TMainForm::StartAutoClean() {
    if (SettingFrm().pauseCleanAtFullCpu() && CpuUsePer >= 100)
        return;
    sbtnGetMemClick();
}

}  // namespace kelvo
