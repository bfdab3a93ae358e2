#pragma once

#include <functional>
#include <optional>

#include "app/clean/CleanEngine.h"
#include "platform/MemoryStatus.h"

namespace kelvo {

// The automatic-cleaning options as the settings dialog holds them.
struct AutoCleanOptions {
    bool on = false;
    bool onLowMemory = false;
    int lowMemoryMB = 1;  // the free-memory threshold
    bool onLoadDrop = false;
    int loadDropPoints = 1;
    bool notAtFullLoad = false;   // no automatic clean at a load of 100
    bool pauseAtFullCpu = false;  // no automatic start while the processor is fully busy
};

// What the trigger reads and does, each at the moment of use: a clean that the first trigger
// started processes messages, and meanwhile the options, the sample and the processor figure may
// change.
struct AutoCleanHooks {
    std::function<AutoCleanOptions()> options;
    std::function<MEMORYSTATUS()> memory;  // the last sample; a clean takes a new one
    std::function<int()> cpuPercent;
    std::function<bool()> modalOpen;  // a menu or the settings dialog is open
    std::function<bool()> cleaning;   // a clean runs further up the call stack
    std::function<void()> watching;   // a tick the trigger watches begins; may be empty
    // Runs one automatic clean and reports it with cleaned(); empty when none ran.
    std::function<std::optional<CleanResult>()> clean;
};

// The two automatic triggers: free physical memory under the threshold, and the load fallen by
// the set points below the peak seen since the last clean. Steps may nest inside the clean that
// a step started.
class AutoCleanTrigger {
  public:
    // The step at the end of every main tick.
    void step(const AutoCleanHooks& hooks);
    // One automatic clean, unless the processor is fully busy and the options say to wait.
    std::optional<CleanResult> start(const AutoCleanHooks& hooks);
    // After every clean, a manual or failed one too: the load-drop trigger measures from here.
    void cleaned(int loadAfter) { peak_ = loadAfter; }

    int peak() const { return peak_; }
    // An automatic clean that failed or left free memory under the threshold disarms the
    // free-memory trigger until free memory has reached the threshold once.
    bool lowMemoryArmed() const { return armed_; }

  private:
    int peak_ = 0;
    bool armed_ = true;
};

}  // namespace kelvo
