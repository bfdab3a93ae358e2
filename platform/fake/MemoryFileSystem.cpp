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
    bool copyAccess(const std::string& like) override {
        const std::shared_ptr<MemoryFileSystem::Entry> old = fs_.entry(like);
        if (!old)
            return false;
        entry_->mode = old->mode & 0777;
        entry_->group = old->group;
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

bool isUnder(const std::string& path, const std::string& dir) {
    return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
           (dir == "/" || path[dir.size()] == '/');
}

}  // namespace

std::shared_ptr<MemoryFileSystem::Entry> MemoryFileSystem::entry(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? nullptr : it->second;
}

std::shared_ptr<MemoryFileSystem::Entry> MemoryFileSystem::followed(const std::string& path) const {
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::shared_ptr<Entry> e = entry(at);
        if (!e || e->kind != FileStatus::Kind::Link)
            return e;
        at = e->target.starts_with('/') ? e->target : folderOf(at) + "/" + e->target;
    }
    return nullptr;
}

void MemoryFileSystem::putLink(const std::string& path, const std::string& target,
                               bool ownedByUser) {
    auto e = std::make_shared<Entry>();
    e->kind = FileStatus::Kind::Link;
    e->target = target;
    e->ownedByUser = ownedByUser;
    e->mode = 0777;
    files[path] = std::move(e);
}

void MemoryFileSystem::putPipe(const std::string& path) {
    auto e = std::make_shared<Entry>();
    e->kind = FileStatus::Kind::Other;
    files[path] = std::move(e);
}

FileStatus MemoryFileSystem::status(const std::string& path) {
    FileStatus st;
    uint32_t mode = 0755;
    if (std::shared_ptr<Entry> e = entry(path)) {
        st.kind = e->kind;
        st.trustedOwner = e->ownedByUser;
        mode = e->mode;
    } else if (auto f = folders.find(path); f != folders.end()) {
        st.kind = FileStatus::Kind::Directory;
        st.trustedOwner = f->second.ownedByUser;
        mode = f->second.mode;
    } else {
        st.kind = FileStatus::Kind::Missing;
        for (const auto& [name, e] : files)
            if (isUnder(name, path))
                st.kind = FileStatus::Kind::Directory;
    }
    if (st.kind != FileStatus::Kind::Link) {
        st.writableByOthers = (mode & 022) != 0;
        st.readOnly = (mode & 0200) == 0;
    }
    return st;
}

std::string MemoryFileSystem::linkTarget(const std::string& path) {
    std::shared_ptr<Entry> e = entry(path);
    return e && e->kind == FileStatus::Kind::Link ? e->target : std::string();
}

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
    const std::shared_ptr<Entry> e = followed(path);
    if (!e) {
        result.status = FileRead::Status::Missing;
    } else if (failRead || e->kind != FileStatus::Kind::Regular) {
        result.status = FileRead::Status::Failed;
    } else if (e->bytes.size() > limit) {
        result.status = FileRead::Status::TooLarge;
    } else {
        result.status = FileRead::Status::Ok;
        result.bytes = e->bytes;
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
    const std::shared_ptr<Entry> e = followed(path);
    if (!e)
        return std::nullopt;
    return e->mode;
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
