#pragma once

#include <cstdint>

#include "platform/MemoryStatus.h"

namespace kelvo {

// The settings one clean goes by. Each caller reads them from its own source: the window from the
// dialog's live controls, `kelvo --clean` from the file, limited as the dialog would.
struct CleanSettings {
    int64_t plainSize = 0;      // the size without automatic sizing
    int32_t storedPercent = 0;  // "Memory" as the file holds it, whatever its range
    bool autoSize = false;
    int minimumMB = 0;  // an automatically sized clean's least size
};

// What one clean is asked to do.
struct CleanRequest {
    int64_t size = 0;
    // A clean larger than the machine can spare shrinks down to this; 0 never shrinks. Only an
    // automatically sized clean, whose size is of its own choosing, shrinks.
    int64_t fitDownTo = 0;
};

// With automatic sizing: the stored percentage (taken within the track bar's range) of physical
// memory, at most the share that the sample's load leaves free, at least the minimum.
// Otherwise the plain size as it stands. Only the automatic sizing reads `memory`.
CleanRequest requestClean(const CleanSettings& settings, const MEMORYSTATUS& memory);

// Pause at a fully busy processor: a running clean's passes wait, and no automatic clean starts.
// `pauseOption` is read at each use where it may change meanwhile.
inline bool pausesForProcessor(bool pauseOption, int cpuPercent) {
    return pauseOption && cpuPercent >= 100;
}

}  // namespace kelvo
