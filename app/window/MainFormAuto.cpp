// Automatic cleaning: the step at the end of every main tick, on the window's live options.
#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"

namespace kelvo {

AutoCleanHooks TMainForm::autoCleanHooks() {
    AutoCleanHooks hooks;
    hooks.options = [this] {
        const TSettingFrm& o = SettingFrm();
        AutoCleanOptions options;
        options.on = o.autoClean();
        options.onLowMemory = o.autoOnLowMemory();
        options.lowMemoryMB = o.lowMemoryMB();
        options.onLoadDrop = o.autoOnLoadDrop();
        options.loadDropPoints = o.loadDropPoints();
        options.notAtFullLoad = o.noAutoCleanAtFullLoad();
        options.pauseAtFullCpu = o.pauseCleanAtFullCpu();
        return options;
    };
    hooks.memory = [this] { return MemStat; };
    hooks.cpuPercent = [this] { return CpuUsePer; };
    hooks.modalOpen = [this] { return ModalOpen; };
    hooks.cleaning = [this] { return Cleaning; };
    hooks.watching = [this] { endShortageWhenOver(); };
    hooks.clean = [this] { return RunCleanFrom(CleanOrigin::Automatic); };
    return hooks;
}

void TMainForm::AutoCleanStep() {
    autoTrigger_.step(autoCleanHooks());
}

std::optional<CleanResult> TMainForm::StartAutoClean() {
    return autoTrigger_.start(autoCleanHooks());
}

}  // namespace kelvo
