#include "app/clean/CleanRequest.h"

#include "profile/SettingsKeys.h"

namespace kelvo {

CleanRequest requestClean(const CleanSettings& settings, const MEMORYSTATUS& memory) {
    if (!settings.autoSize)
        return {settings.plainSize, 0};
    int32_t percent = limits::memoryPercent(settings.storedPercent);
    const int32_t leftFree = 100 - static_cast<int32_t>(memory.dwMemoryLoad);
    if (percent > leftFree)
        percent = leftFree;
    const int64_t minimum = int64_t{settings.minimumMB} * 1048576;
    const int64_t size = limits::cleanSize(percent, memory.dwTotalPhys);
    return {size < minimum ? minimum : size, minimum};
}

}  // namespace kelvo
