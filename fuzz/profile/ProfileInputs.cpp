#include "fuzz/profile/ProfileInputs.h"

#include <map>
#include <string>

#include "platform/fake/MemoryFileSystem.h"
#include "profile/FileTrust.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"

namespace kelvo::fuzz {
namespace {

void check(bool promise) {
    if (!promise)
        __builtin_trap();
}

// How the same bytes are put on the disk for the trust rule's open paths.
enum class Layout { OwnLink, PlantedLink, Pipe, ReadOnly, WritableByAll, SharedFolder, Grouped };
constexpr int kLayouts = 7;

void putAs(MemoryFileSystem& fs, Layout layout, const std::string& path, const std::string& bytes) {
    const std::string target = "/home/user/dotfiles/kelvo.ini";
    switch (layout) {
        case Layout::OwnLink:
        case Layout::PlantedLink:
            fs.put(target, bytes, 0600);
            fs.putLink(path, target, layout == Layout::OwnLink);
            break;
        case Layout::Pipe:
            fs.putPipe(path);
            break;
        case Layout::ReadOnly:
            fs.put(path, bytes, 0444);
            break;
        case Layout::WritableByAll:
            fs.put(path, bytes, 0666);
            break;
        case Layout::SharedFolder:
            fs.put(path, bytes, 0644);
            fs.folders["/home/user/.config/kelvo"] = {true, 02775};
            break;
        case Layout::Grouped:
            fs.put(path, bytes, 0640);
            fs.files[path]->group = "family";
            break;
    }
}

// A refused or untouchable file keeps every entry as it was; a save that happens keeps links as
// links and the old access, and writes nothing the reader would refuse.
void runLayout(const uint8_t* data, size_t size) {
    const std::string path = "/home/user/.config/kelvo/kelvo.ini";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    const auto layout = static_cast<Layout>(hash % kLayouts);
    MemoryFileSystem fs;
    putAs(fs, layout, path, bytes);
    std::map<std::string, MemoryFileSystem::Entry> was;
    for (const auto& [name, entry] : fs.files)
        was[name] = *entry;
    auto unchanged = [&] {
        if (fs.files.size() != was.size())
            return false;
        for (const auto& [name, entry] : fs.files) {
            auto it = was.find(name);
            if (it == was.end() || it->second.bytes != entry->bytes ||
                it->second.kind != entry->kind || it->second.mode != entry->mode)
                return false;
        }
        return true;
    };

    const bool trusted = trustFile(fs, path).usable();
    const Profile read = readProfileFile(fs, path);
    check(trusted || read.text().empty());
    const SaveResult saved =
        saveProfileFile(fs, path, [](Profile& p) { p.writeInt("SYSTEM", "XPos", 123456789); });
    removeLeftoverTempFiles(fs, path);
    if (saved != SaveResult::Saved) {
        check(unchanged());
        check(layout != Layout::PlantedLink || saved == SaveResult::Untrusted);
        check(layout != Layout::Pipe || saved == SaveResult::ReadFailed);
        return;
    }
    check(layout == Layout::OwnLink || layout == Layout::Grouped);
    const std::string written = layout == Layout::OwnLink ? "/home/user/dotfiles/kelvo.ini" : path;
    check(fs.entry(path)->kind ==
          (layout == Layout::OwnLink ? FileStatus::Kind::Link : FileStatus::Kind::Regular));
    check(fs.contents(written).size() <= kMaxProfileBytes);
    check(readProfileFile(fs, path).readInt("SYSTEM", "XPos", 0) == 123456789);
    check(fs.entry(written)->mode == was[written].mode &&
          fs.entry(written)->group == was[written].group);
    check(fs.files.size() == was.size());
}

}  // namespace

// Every key is read and limited as a load does; then every key is saved with another value and
// must read back as written, and saving the same values again must leave the file alone.
void runProfile(const uint8_t* data, size_t size) {
    runLayout(data, size);
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
