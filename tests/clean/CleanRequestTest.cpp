#include <gtest/gtest.h>

#include "app/clean/CleanRequest.h"

namespace kelvo {
namespace {

constexpr int64_t MiB = 1048576;
constexpr int64_t kHundredth = 4096 * MiB / 100;  // of a 4 GiB machine

TEST(CleanRequest, TheSizeAndTheFloorItMayShrinkTo) {
    const struct {
        const char* what;
        int32_t storedPercent;
        bool autoSize;
        uint32_t load;
        int64_t size;
    } cases[] = {
        {"a plain size as it stands, whatever the load", 0, false, 99, 123},
        {"the stored share", 30, true, 40, 30 * kHundredth},
        {"at most what the load leaves free", 30, true, 80, 20 * kHundredth},
        {"at least the minimum", 30, true, 99, 100 * MiB},
        {"a stored percentage out of range at its limit", 200, true, 0, 95 * kHundredth},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MEMORYSTATUS memory;
        memory.dwMemoryLoad = c.load;
        memory.dwTotalPhys = 4096 * MiB;
        const CleanRequest request = requestClean({123, c.storedPercent, c.autoSize, 100}, memory);
        EXPECT_EQ(request.size, c.size);
        // Only a size of its own choosing shrinks, and never below the minimum.
        EXPECT_EQ(request.fitDownTo, c.autoSize ? 100 * MiB : 0);
    }
}

}  // namespace
}  // namespace kelvo
