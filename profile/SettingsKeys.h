#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "profile/Profile.h"

namespace kelvo {

// One key of the settings file: where it lives and what a missing key reads as.
struct SettingKey {
    std::string_view section;
    std::string_view name;
    int32_t fallback;
};

namespace keys {
inline constexpr SettingKey XPos{"SYSTEM", "XPos", 0};
inline constexpr SettingKey YPos{"SYSTEM", "YPos", 0};
inline constexpr SettingKey Small{"SYSTEM", "Small", 0};
inline constexpr SettingKey StayOnTop{"DEFAULT", "StayOnTop", 0};
inline constexpr SettingKey DontCatch{"DEFAULT", "DontCatch", 0};
inline constexpr SettingKey ShowCpuUsePer{"DEFAULT", "ShowCpuUsePer", 0};
inline constexpr SettingKey StopCpuUsePer{"DEFAULT", "StopCpuUsePer", 0};
inline constexpr SettingKey TaskBarHide{"DEFAULT", "TaskBarHide", 0};
inline constexpr SettingKey Memory{"DEFAULT", "Memory", 50};
inline constexpr SettingKey AutoMemClear{"DEFAULT", "AutoMemClear", 0};
inline constexpr SettingKey AutoMemMin{"DEFAULT", "AutoMemMin", 0};
inline constexpr SettingKey AutoMemUsed{"DEFAULT", "AutoMemUsed", 0};
inline constexpr SettingKey AutoMemSize{"DEFAULT", "AutoMemSize", 0};
inline constexpr SettingKey AutoExeSize{"DEFAULT", "AutoExeSize", 0};
inline constexpr SettingKey AutoMemUsePer{"DEFAULT", "AutoMemUsePer", 0};
inline constexpr SettingKey Not100Per{"DEFAULT", "Not100Per", 0};
inline constexpr SettingKey Hint{"DEFAULT", "Hint", 0};

// Every key in the order a full save writes them; a new file gets its sections and keys so.
inline constexpr std::array kSaveOrder{
    XPos,          YPos,        Small,         StayOnTop,    DontCatch,  ShowCpuUsePer,
    StopCpuUsePer, TaskBarHide, Memory,        AutoMemClear, AutoMemMin, AutoMemUsed,
    AutoMemSize,   AutoExeSize, AutoMemUsePer, Not100Per,    Hint};
}  // namespace keys

// A key's value, or its fallback when it is missing.
inline int32_t readSetting(const Profile& profile, const SettingKey& key) {
    return profile.readInt(key.section, key.name, key.fallback);
}
inline void writeSetting(Profile& profile, const SettingKey& key, int32_t value) {
    profile.writeInt(key.section, key.name, value);
}

// Limits applied when the settings are loaded.
namespace limits {
// The clean-size track bar's range, in percent of physical memory.
inline constexpr int kMemoryMin = 5;
inline constexpr int kMemoryMax = 95;
// The up-downs' lowest position, and their highest whatever the memory: a signed 16-bit value.
inline constexpr int kUpDownMin = 1;
inline constexpr int kUpDownCeiling = 32767;

// A window coordinate read from the file: below 0 or beyond the screen's extent minus 2 is 0.
int32_t windowCoordinate(int32_t stored, int32_t screenExtent);
// The up-downs' maximum: a quarter of the physical memory in megabytes, within 1..32767.
int upDownMaximum(uint64_t totalPhysBytes);
// The load-drop up-down's maximum: a drop in percentage points can be no more than 100.
inline constexpr int kLoadDropMax = 100;
// The clean size's percentage as every reader takes it: the track bar's range. A hand-edited 0,
// negative or non-numeric value would otherwise ask for no memory at all.
inline int32_t memoryPercent(int32_t stored) {
    return stored < kMemoryMin ? kMemoryMin : stored > kMemoryMax ? kMemoryMax : stored;
}
// Bytes one clean takes: `percent` times the physical memory divided by 100. Held at the 64-bit
// range where a hand-edited percentage would overflow it.
int64_t cleanSize(int32_t percent, uint64_t totalPhysBytes);
}  // namespace limits

}  // namespace kelvo
