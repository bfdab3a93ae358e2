#include <windows.h>

#include <array>

#include "platform/NtRecords.h"
#include "platform/windows/WindowsPlatform.h"

namespace kelvo {

// The kernel fills the records in this process's own layout: the 64-bit one here.
std::optional<CpuTimes> WindowsPlatform::queryCpuTimes() {
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const HMODULE ntdll = GetModuleHandleA("ntdll");
    if (!ntdll)
        return std::nullopt;
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (!query)
        return std::nullopt;
    static_assert(sizeof(void*) == 8, "the record layout below is the 64-bit one");
    constexpr NtRecordLayout layout = kNtRecords64;
    // The basic record must have its exact size; the others may be longer than asked for.
    alignas(8) std::array<uint8_t, layout.basicSize> basic{};
    alignas(8) std::array<uint8_t, layout.timeOfDaySize> timeOfDay{};
    alignas(8) std::array<uint8_t, 1024> performance{};
    ULONG performanceLength = 0;
    if (query(0, basic.data(), basic.size(), nullptr) != 0 ||
        query(3, timeOfDay.data(), timeOfDay.size(), nullptr) != 0 ||
        query(2, performance.data(), performance.size(), &performanceLength) != 0)
        return std::nullopt;
    const size_t filled = std::min<size_t>(performanceLength, performance.size());
    return cpuTimesFromNtRecords(layout, basic, timeOfDay,
                                 std::span<const uint8_t>(performance.data(), filled));
}

}  // namespace kelvo
