#include "profile/ProfileFile.h"

#include <random>

#include "platform/FileSystem.h"
#include "profile/FileTrust.h"

namespace kelvo {
namespace {

constexpr char kTempMarker[] = ".tmp-";

struct SplitPath {
    std::string folder;
    std::string name;
};

SplitPath splitPath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string randomSuffix() {
    static std::mt19937_64 rng{std::random_device{}()};
    static constexpr char digits[] = "0123456789abcdef";
    std::string s(12, '0');
    uint64_t r = rng();
    for (char& c : s) {
        c = digits[r & 15];
        r >>= 4;
    }
    return s;
}

}  // namespace

Profile readProfileFile(FileSystem& fs, const std::string& path) {
    const FileTrust trust = trustFile(fs, path);
    if (!trust.usable())
        return Profile();
    FileRead r = fs.readFile(trust.path, kMaxProfileBytes);
    if (r.status != FileRead::Status::Ok)
        return Profile();
    return Profile(std::move(r.bytes));
}

bool isTempFileName(const std::string& name, const std::string& fileName) {
    const std::string prefix = fileName + kTempMarker;
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
}

SaveResult replaceFileAtomically(FileSystem& fs, const std::string& path,
                                 const std::string& bytes) {
    fs.makeDirectories(splitPath(path).folder);
    // Checked again once the folder exists: another user may have made it first.
    const FileTrust trust = trustFile(fs, path);
    if (!trust.usable())
        return SaveResult::Untrusted;
    const std::string& target = trust.path;
    const SplitPath where = splitPath(target);
    const FileStatus old = fs.status(target);
    if (old.kind == FileStatus::Kind::Regular && old.readOnly)
        return SaveResult::ReadOnly;

    std::string temp;
    std::unique_ptr<WritableFile> file;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temp = joinPath(where.folder, where.name + kTempMarker + randomSuffix());
        file = fs.createNew(temp);
    }
    if (!file)
        return SaveResult::CreateFailed;

    // A new file keeps the access the user's defaults gave it; a replaced one keeps its own.
    const bool replacing = old.kind == FileStatus::Kind::Regular;
    bool written =
        file->writeAll(bytes) && (!replacing || file->copyAccess(target)) && file->sync();
    written = file->close() && written;
    file.reset();
    if (!written) {
        fs.remove(temp);
        return SaveResult::WriteFailed;
    }
    if (!fs.rename(temp, target)) {
        fs.remove(temp);
        return SaveResult::RenameFailed;
    }
    return fs.syncDirectory(where.folder) ? SaveResult::Saved : SaveResult::FolderSyncFailed;
}

SaveResult saveProfileFile(FileSystem& fs, const std::string& path,
                           const std::function<void(Profile&)>& edit) {
    const FileTrust trust = trustFile(fs, path);
    if (!trust.usable())
        return SaveResult::Untrusted;
    FileRead old = fs.readFile(trust.path, kMaxProfileBytes);
    if (old.status == FileRead::Status::TooLarge)
        return SaveResult::TooLarge;
    if (old.status != FileRead::Status::Ok && old.status != FileRead::Status::Missing)
        return SaveResult::ReadFailed;
    Profile profile(old.bytes);
    edit(profile);
    if (old.status == FileRead::Status::Ok && profile.text() == old.bytes)
        return SaveResult::Unchanged;
    if (profile.text().size() > kMaxProfileBytes)
        return SaveResult::WouldBeTooLarge;
    return replaceFileAtomically(fs, trust.path, profile.text());
}

void removeLeftoverTempFiles(FileSystem& fs, const std::string& path) {
    const FileTrust trust = trustFile(fs, path);
    if (!trust.usable())
        return;
    const SplitPath where = splitPath(trust.path);
    for (const std::string& name : fs.listDirectory(where.folder))
        if (isTempFileName(name, where.name))
            fs.remove(joinPath(where.folder, name));
}

}  // namespace kelvo
