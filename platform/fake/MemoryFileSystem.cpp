#include "platform/fake/MemoryFileSystem.h"

namespace kelvo {
namespace {

class MemoryFile : public WritableFile {
  public:
    MemoryFile(MemoryFileSystem& fs, std::shared_ptr<MemoryFileSystem::Entry> entry)
        : fs_(fs), entry_(std::move(entry)) {}

    bool writeAll(std::string_view data) override {
        if (fs_.bytesLeft >= 0 && static_cast<int64_t>(data.size()) > fs_.bytesLeft) {
            // A full disk takes what fits, then refuses the rest.
            entry_->bytes.append(data.substr(0, static_cast<size_t>(fs_.bytesLeft)));
            fs_.bytesLeft = 0;
            return false;
        }
        entry_->bytes.append(data);
        if (fs_.bytesLeft >= 0)
            fs_.bytesLeft -= static_cast<int64_t>(data.size());
        return true;
    }
    bool setPermissions(uint32_t mode) override {
        entry_->mode = mode & 07777;
        return true;
    }
    bool sync() override {
        ++fs_.fileSyncs;
        return !fs_.failSync;
    }
    bool close() override { return !fs_.failClose; }

  private:
    MemoryFileSystem& fs_;
    std::shared_ptr<MemoryFileSystem::Entry> entry_;
};

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

std::string MemoryFileSystem::contents(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? std::string() : it->second->bytes;
}

void MemoryFileSystem::put(const std::string& path, std::string bytes, uint32_t mode) {
    auto entry = std::make_shared<Entry>();
    entry->bytes = std::move(bytes);
    entry->mode = mode;
    files[path] = std::move(entry);
}

FileRead MemoryFileSystem::readFile(const std::string& path, size_t limit) {
    FileRead result;
    auto it = files.find(path);
    if (it == files.end()) {
        result.status = FileRead::Status::Missing;
    } else if (failRead) {
        result.status = FileRead::Status::Failed;
    } else if (it->second->bytes.size() > limit) {
        result.status = FileRead::Status::TooLarge;
    } else {
        result.status = FileRead::Status::Ok;
        result.bytes = it->second->bytes;
    }
    return result;
}

std::unique_ptr<WritableFile> MemoryFileSystem::createNew(const std::string& path) {
    if (readOnly || files.count(path))
        return nullptr;
    auto entry = std::make_shared<Entry>();
    files[path] = entry;
    return std::make_unique<MemoryFile>(*this, entry);
}

std::optional<uint32_t> MemoryFileSystem::permissions(const std::string& path) {
    auto it = files.find(path);
    if (it == files.end())
        return std::nullopt;
    return it->second->mode;
}

bool MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (readOnly || failRename || it == files.end())
        return false;
    ++renames;
    auto entry = it->second;
    files.erase(it);
    files[to] = std::move(entry);
    return true;
}

bool MemoryFileSystem::remove(const std::string& path) {
    return !readOnly && files.erase(path) > 0;
}

bool MemoryFileSystem::syncDirectory(const std::string&) {
    ++directorySyncs;
    return !failDirectorySync;
}

std::vector<std::string> MemoryFileSystem::listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& [path, entry] : files)
        if (folderOf(path) == dir)
            names.push_back(path.substr(dir == "/" ? 1 : dir.size() + 1));
    return names;
}

}  // namespace kelvo
