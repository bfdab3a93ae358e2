// Arbitrary bytes as a settings file: every key is read and limited as a load does, then every
// key is saved and must read back as written, and saving the same values again must change
// nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profile/Profile.h"
#include "profile/SettingsKeys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    Profile profile(std::string(reinterpret_cast<const char*>(data), size));

    int32_t values[keys::kSaveOrder.size()];
    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        values[i] = readSetting(profile, keys::kSaveOrder[i]);
    const uint64_t totalPhys =
        (uint64_t{static_cast<uint32_t>(values[2])} << 20) ^ (uint64_t{1} << 36);
    (void)limits::windowCoordinate(values[0], values[1]);
    (void)limits::upDownMaximum(totalPhys);
    (void)limits::cleanSize(values[8], totalPhys);

    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        writeSetting(profile, keys::kSaveOrder[i], values[i] ^ static_cast<int32_t>(i));
    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        if (readSetting(profile, keys::kSaveOrder[i]) != (values[i] ^ static_cast<int32_t>(i)))
            __builtin_trap();

    const std::string saved = profile.text();
    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        writeSetting(profile, keys::kSaveOrder[i], values[i] ^ static_cast<int32_t>(i));
    if (profile.text() != saved)
        __builtin_trap();
    return 0;
}
