#include <gtest/gtest.h>

#include "app/clean/CleanRequest.h"

namespace kelvo {
namespace {

constexpr int64_t MiB = 1048576;

TEST(CleanRequest, TheSizeAndTheFloorItMayShrinkTo) {
    const struct {
        const char* what;
        int32_t storedPercent;
        bool autoSize;
        uint32_t load;
        int64_t totalMiB;
        int64_t size;  // in hundredths of the physical memory, or bytes where `percentOf` is false
        bool percentOf;
    } cases[] = {
        {"a plain size as it stands, whatever the load", 0, false, 99, 4096, 123, false},
        {"the stored share", 30, true, 40, 4096, 30, true},
        {"at most what the load leaves free", 30, true, 80, 4096, 20, true},
        {"at least the minimum", 30, true, 99, 4096, 100 * MiB, false},
        {"a stored percentage under the range is 5", -5, true, 10, 4096, 5, true},
        {"and over it 95", 200, true, 0, 4096, 95, true},
        {"far past 2 GiB, still positive", 60, true, 10, 65536, 60, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MEMORYSTATUS memory;
        memory.dwMemoryLoad = c.load;
        memory.dwTotalPhys = static_cast<uint64_t>(c.totalMiB * MiB);
        const CleanRequest request = requestClean({123, c.storedPercent, c.autoSize, 100}, memory);
        EXPECT_EQ(request.size, c.percentOf ? c.size * (c.totalMiB * MiB / 100) : c.size);
        EXPECT_EQ(request.fitDownTo, c.autoSize ? 100 * MiB : 0)
            << "only a size of its own choosing shrinks, and never below the minimum";
    }
}

}  // namespace
}  // namespace kelvo
