#include "profile/SettingsKeys.h"

#include <limits>

namespace kelvo::limits {

int32_t windowCoordinate(int32_t stored, int32_t screenExtent) {
    return stored < 0 || int64_t{stored} > int64_t{screenExtent} - 2 ? 0 : stored;
}

int upDownMaximum(uint64_t totalPhysBytes) {
    const uint64_t quarterMB = totalPhysBytes / 1048576 / 4;
    if (quarterMB < kUpDownMin)
        return kUpDownMin;
    return quarterMB > kUpDownCeiling ? kUpDownCeiling : static_cast<int>(quarterMB);
}

int64_t cleanSize(int32_t percent, uint64_t totalPhysBytes) {
    constexpr uint64_t maxBytes = std::numeric_limits<int64_t>::max();
    const uint64_t hundredth = totalPhysBytes / 100;
    const uint64_t magnitude = percent < 0 ? uint64_t{0} - static_cast<uint64_t>(int64_t{percent})
                                           : static_cast<uint64_t>(percent);
    uint64_t product = 0;
    if (__builtin_mul_overflow(magnitude, hundredth, &product) || product > maxBytes)
        product = maxBytes;
    const int64_t bytes = static_cast<int64_t>(product);
    return percent < 0 ? -bytes : bytes;
}

}  // namespace kelvo::limits
