#include "app/clean/CpuUsage.h"

#include <cmath>
#include <limits>

namespace kelvo {

int NtCpuUsage::sample(const std::optional<CpuTimes>& times) {
    double r = 100.0;
    if (!times)
        return 100;
    if (PrevIdleTime != 0) {
        const double idle =
            static_cast<double>(times->idleTime) - static_cast<double>(PrevIdleTime);
        const double elapsed =
            static_cast<double>(times->systemTime) - static_cast<double>(PrevSystemTime);
        const double ratio = elapsed == 0 ? idle : idle / elapsed;
        const double n = times->processors;
        r = n == 0 ? 100 - ratio * 100 + 0.99 : 100 - ratio * 100 / n + 0.99;
        // Where the original arithmetic raised a floating-point exception, the sample is 0.
        if (!std::isfinite(r) || r >= 2147483648.0 || r <= -2147483649.0)
            r = 0;
    }
    PrevIdleTime = times->idleTime;
    PrevSystemTime = times->systemTime;
    return static_cast<int>(std::trunc(r));
}

}  // namespace kelvo
