#pragma once

#include <cstdint>
#include <functional>

namespace kelvo {

class Platform;

// What a clean asks of the window that runs it. Each is read or called at the moment of use.
struct CleanHooks {
    std::function<void(int number)> showProgress;  // pass number, 1..100
    std::function<void()> processMessages;
    std::function<bool()> pauseWanted;  // the processor is fully busy and the user asked to wait
    std::function<bool()> stopRequested;
    std::function<void()> outOfMemory;  // tells the user; returns when they have read it
};

enum class CleanOutcome {
    Finished,
    Stopped,      // by the user
    SafetyStop,   // memory ran short: stopped as the user would have
    OutOfMemory,  // nothing written; the user was told
};

// Holds `size` bytes, zeroes them in 100 passes of 10 ms with messages processed between them,
// then gives them back. The memory is never more than the system can spare: a larger request
// is refused as out of memory, and the passes stop when memory runs short. While the memory is
// held the program is the OOM killer's first choice, so that nothing else is ever lost.
CleanOutcome runClean(Platform& platform, int64_t size, const CleanHooks& hooks);

}  // namespace kelvo
