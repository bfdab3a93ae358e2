#pragma once

#include <QString>

#include "platform/MemoryStatus.h"

namespace kelvo {

// The figures of the main window as text, in the window's own formats: one row each for
// physical memory, page file (swap) and virtual memory (free, used, total), then the load.
QString statusReport(const MEMORYSTATUS& status);

}  // namespace kelvo
