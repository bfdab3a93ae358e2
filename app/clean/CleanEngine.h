#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Meminfo.h"

namespace kelvo {

class Platform;

// What a clean asks of the window that runs it. Each is read or called at the moment of use.
struct CleanHooks {
    std::function<void(int number)> showProgress;  // pass number, 1..100
    std::function<void()> processMessages;
    std::function<bool()> pauseWanted;  // the processor is fully busy and the user asked to wait
    // Told when the passes start waiting and when they go on again. May be empty.
    std::function<void(bool paused)> pauseChanged;
    std::function<bool()> stopRequested;
    std::function<void()> outOfMemory;  // tells the user; returns when they have read it
    // Called with a check once the memory is held and with an empty function once it is given
    // back. Run the check from a timer: the clean itself cannot look while the window waits in a
    // nested event loop (a menu, a dialog), and memory elsewhere may grow meanwhile. May be empty.
    std::function<void(std::function<void()> check)> watchHeldMemory;
};

enum class CleanOutcome {
    Finished,
    Stopped,      // by the user
    SafetyStop,   // memory ran short: stopped as the user would have
    OutOfMemory,  // nothing written; the user was told
};

// What one clean did, in the figures of the memory probe: before allocating and after giving the
// memory back (for a refused clean both are the figures that refused it).
struct CleanResult {
    CleanOutcome outcome = CleanOutcome::OutOfMemory;
    int64_t size = 0;           // bytes asked for, after fitting
    uint64_t holdable = 0;      // what the machine could spare before it started
    bool groupLimited = false;  // the memory control group had less room than the clean
    int lastPass = 0;           // the progress number shown last (1..100), 0 when none ran
    Meminfo before;
    Meminfo after;
    // The memory control group's room (its headroom) before and after, where a group limits the
    // program: there the group's figures, not the machine's, tell what the clean did.
    std::optional<uint64_t> groupRoomBefore;
    std::optional<uint64_t> groupRoomAfter;
    int64_t elapsedNs = 0;  // from the first sample to the last
};

// Holds `size` bytes, zeroes them in 100 passes of 10 ms with messages processed between them,
// then gives them back. The memory is never more than the system can spare: a larger request is
// cut down to what it can spare where `fitDownTo` allows (never below it; 0 never cuts), else
// refused as out of memory; the passes stop when memory runs short. While the memory is held the
// program is the OOM killer's first choice, so that nothing else is ever lost.
CleanResult runClean(Platform& platform, int64_t size, const CleanHooks& hooks,
                     int64_t fitDownTo = 0);

}  // namespace kelvo
