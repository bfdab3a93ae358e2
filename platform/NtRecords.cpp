#include "platform/NtRecords.h"

namespace kelvo {
namespace {

// Little-endian: the low 32 bits unsigned, then the high 32 bits signed.
int64_t readInt64(std::span<const uint8_t> bytes, size_t offset) {
    uint64_t v = 0;
    for (size_t i = 0; i < 8; ++i)
        v |= uint64_t{bytes[offset + i]} << (8 * i);
    return static_cast<int64_t>(v);
}

}  // namespace

std::optional<CpuTimes> cpuTimesFromNtRecords(const NtRecordLayout& layout,
                                              std::span<const uint8_t> basic,
                                              std::span<const uint8_t> timeOfDay,
                                              std::span<const uint8_t> performance) {
    if (basic.size() < layout.basicSize || layout.processorsOffset >= basic.size() ||
        timeOfDay.size() < layout.systemTimeOffset + 8 ||
        performance.size() < layout.idleTimeOffset + 8)
        return std::nullopt;
    CpuTimes t;
    t.processors = basic[layout.processorsOffset];
    t.systemTime = readInt64(timeOfDay, layout.systemTimeOffset);
    t.idleTime = readInt64(performance, layout.idleTimeOffset);
    return t;
}

}  // namespace kelvo
