#include <gtest/gtest.h>

#include <vector>

#include "platform/NtRecords.h"

namespace kelvo {
namespace {

void put64(std::vector<uint8_t>& record, size_t offset, int64_t value) {
    for (size_t i = 0; i < 8; ++i)
        record[offset + i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

struct Records {
    std::vector<uint8_t> basic, timeOfDay, performance;
};

Records filled(const NtRecordLayout& layout, uint8_t processors, int64_t systemTime,
               int64_t idleTime) {
    Records r{std::vector<uint8_t>(layout.basicSize, 0xEE),
              std::vector<uint8_t>(layout.timeOfDaySize, 0xEE),
              std::vector<uint8_t>(layout.performanceSize, 0xEE)};
    r.basic[layout.processorsOffset] = processors;
    put64(r.timeOfDay, layout.systemTimeOffset, systemTime);
    put64(r.performance, layout.idleTimeOffset, idleTime);
    return r;
}

TEST(NtRecords, EachLayoutReadsItsOwnFields) {
    // A high part above 2^32 and a low part with its top bit set: the split must not sign-extend.
    const int64_t systemTime = (int64_t{0x01DB} << 32) | 0x80000001;
    const int64_t idleTime = (int64_t{7} << 32) | 0xFFFFFFFF;
    for (const NtRecordLayout& layout : {kNtRecords32, kNtRecords64}) {
        const Records r = filled(layout, 12, systemTime, idleTime);
        const auto t = cpuTimesFromNtRecords(layout, r.basic, r.timeOfDay, r.performance);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->processors, 12u);
        EXPECT_EQ(t->systemTime, systemTime);
        EXPECT_EQ(t->idleTime, idleTime);
    }
}

TEST(NtRecords, ShortRecordsGiveNoSample) {
    const Records r = filled(kNtRecords64, 4, 100, 50);
    const std::span<const uint8_t> basic(r.basic), time(r.timeOfDay), perf(r.performance);
    EXPECT_FALSE(cpuTimesFromNtRecords(kNtRecords64, basic.first(44), time, perf));
    EXPECT_FALSE(cpuTimesFromNtRecords(kNtRecords64, basic, time.first(15), perf));
    EXPECT_FALSE(cpuTimesFromNtRecords(kNtRecords64, basic, time, perf.first(7)));
    EXPECT_FALSE(cpuTimesFromNtRecords(kNtRecords64, {}, {}, {}));
}

}  // namespace
}  // namespace kelvo
