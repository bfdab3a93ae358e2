// Automatic cleaning: the step at the end of every main tick.
#include "app/common/Formats.h"
#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"

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
    endShortageWhenOver();
    const double threshold = static_cast<double>(options.lowMemoryMB());
    // Unrounded: with a threshold of 2, one byte under 2 MiB free is already too little.
    const bool lowMemory = toMegabytes(MemStat.dwAvailPhys) < threshold;
    if (!lowMemory)
        LowMemoryArmed = true;
    if (load >= 100 && options.noAutoCleanAtFullLoad())
        return;
    // No back-to-back cleans: after one, by either trigger, that could not lift free memory over
    // the threshold, another would not do better a tenth of a second later.
    const auto disarmUnlessHelped = [&](const std::optional<CleanResult>& done) {
        if (done && (done->outcome != CleanOutcome::Finished ||
                     toMegabytes(MemStat.dwAvailPhys) < threshold))
            LowMemoryArmed = false;
    };
    if (options.autoOnLowMemory() && lowMemory && LowMemoryArmed)
        disarmUnlessHelped(StartAutoClean());
    // After a clean above, MemStat and the peak are those measured after it.
    if (options.autoOnLoadDrop() &&
        static_cast<int>(MemStat.dwMemoryLoad) < PeakUsePer - options.loadDropPoints() + 1)
        disarmUnlessHelped(StartAutoClean());
}

std::optional<CleanResult> TMainForm::StartAutoClean() {
    if (SettingFrm().pauseCleanAtFullCpu() && CpuUsePer >= 100)
        return std::nullopt;
    return RunCleanFrom(CleanOrigin::Automatic);
}

}  // namespace kelvo
