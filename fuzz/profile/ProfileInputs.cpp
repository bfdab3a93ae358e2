#include "fuzz/profile/ProfileInputs.h"

#include <string>

#include "platform/fake/MemoryFileSystem.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"

namespace kelvo::fuzz {
namespace {

void check(bool promise) {
    if (!promise)
        __builtin_trap();
}

}  // namespace

// Every key is read and limited as a load does; then every key is saved with another value and
// must read back as written, and saving the same values again must leave the file alone.
void runProfile(const uint8_t* data, size_t size) {
    const std::string path = "/home/user/.config/kelvo/kelvo.ini";
    MemoryFileSystem fs;
    fs.put(path, std::string(reinterpret_cast<const char*>(data), size));

    const Profile profile = readProfileFile(fs, path);
    int32_t values[keys::kSaveOrder.size()];
    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        values[i] = readSetting(profile, keys::kSaveOrder[i]);
    const uint64_t totalPhys =
        (uint64_t{static_cast<uint32_t>(values[2])} << 20) ^ (uint64_t{1} << 36);
    (void)limits::windowCoordinate(values[0], values[1]);
    (void)limits::upDownMaximum(totalPhys);
    (void)limits::cleanSize(values[8], totalPhys);

    auto writeAll = [&](Profile& p) {
        for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
            writeSetting(p, keys::kSaveOrder[i], values[i] ^ static_cast<int32_t>(i));
    };
    const SaveResult saved = saveProfileFile(fs, path, writeAll);
    if (size > kMaxProfileBytes) {
        check(saved == SaveResult::TooLarge && fs.contents(path).size() == size);
        return;
    }
    check(saved == SaveResult::Saved || saved == SaveResult::Unchanged);
    const Profile back = readProfileFile(fs, path);
    for (size_t i = 0; i < keys::kSaveOrder.size(); ++i)
        check(readSetting(back, keys::kSaveOrder[i]) == (values[i] ^ static_cast<int32_t>(i)));
    const std::string bytes = fs.contents(path);
    check(saveProfileFile(fs, path, writeAll) == SaveResult::Unchanged);
    check(fs.contents(path) == bytes);
}

}  // namespace kelvo::fuzz
