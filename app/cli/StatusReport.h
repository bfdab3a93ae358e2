#pragma once

#include <QString>

#include "platform/MemoryStatus.h"

namespace kelvo {

// The figures of the main window as text, in the window's own formats: one row each for
// physical memory, page file (swap) and virtual memory (free, used, total), then the load.
QString statusReport(const MEMORYSTATUS& status);

class Platform;

// The same for the running machine, followed by the processor usage as the window's label shows
// it ("CPU:%3d%") over one sample of two seconds.
QString statusReport(Platform& platform);

}  // namespace kelvo
