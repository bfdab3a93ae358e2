#include "app/clean/AutoCleanTrigger.h"

#include "app/clean/CleanRequest.h"
#include "app/common/Formats.h"

namespace kelvo {

void AutoCleanTrigger::step(const AutoCleanHooks& hooks) {
    const AutoCleanOptions options = hooks.options();
    if (!options.on || hooks.modalOpen())
        return;
    const int load = static_cast<int>(hooks.memory().dwMemoryLoad);
    if (load > peak_ && !hooks.cleaning())
        peak_ = load;
    if (hooks.watching)
        hooks.watching();
    const double threshold = static_cast<double>(options.lowMemoryMB);
    // Unrounded: with a threshold of 2, one byte under 2 MiB free is already too little.
    const auto underThreshold = [&] { return toMegabytes(hooks.memory().dwAvailPhys) < threshold; };
    const bool lowMemory = underThreshold();
    if (!lowMemory)
        armed_ = true;
    if (load >= 100 && options.notAtFullLoad)
        return;
    // No back-to-back cleans: after one, by either trigger, that could not lift free memory over
    // the threshold, another would not do better a tenth of a second later.
    const auto disarmUnlessHelped = [&](const std::optional<CleanResult>& done) {
        if (done && (done->outcome != CleanOutcome::Finished || underThreshold()))
            armed_ = false;
    };
    if (options.onLowMemory && lowMemory && armed_)
        disarmUnlessHelped(start(hooks));
    // After a clean above, the sample and the peak are those measured after it, and the options
    // are read again.
    const AutoCleanOptions now = hooks.options();
    if (now.onLoadDrop &&
        static_cast<int>(hooks.memory().dwMemoryLoad) < peak_ - now.loadDropPoints + 1)
        disarmUnlessHelped(start(hooks));
}

std::optional<CleanResult> AutoCleanTrigger::start(const AutoCleanHooks& hooks) {
    if (pausesForProcessor(hooks.options().pauseAtFullCpu, hooks.cpuPercent()))
        return std::nullopt;
    return hooks.clean();
}

}  // namespace kelvo
