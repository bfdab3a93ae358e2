#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace kelvo {

// Files held in memory, with faults a test switches on: a disk that fills after a number of
// bytes, a failing sync, rename or folder sync, a read-only disk, an unreadable file.
class MemoryFileSystem : public FileSystem {
  public:
    struct Entry {
        std::string bytes;
        uint32_t mode = 0644;
    };
    std::map<std::string, std::shared_ptr<Entry>> files;

    int64_t bytesLeft = -1;  // bytes the disk still takes; -1: no limit
    bool readOnly = false;
    bool failSync = false;
    bool failRename = false;
    bool failDirectorySync = false;
    bool failClose = false;
    bool failRead = false;

    int renames = 0;
    int fileSyncs = 0;
    int directorySyncs = 0;

    // The file's bytes, or empty when it does not exist.
    std::string contents(const std::string& path) const;
    bool exists(const std::string& path) const { return files.count(path) > 0; }
    void put(const std::string& path, std::string bytes, uint32_t mode = 0644);

    FileRead readFile(const std::string& path, size_t limit) override;
    std::unique_ptr<WritableFile> createNew(const std::string& path) override;
    std::optional<uint32_t> permissions(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool syncDirectory(const std::string& dir) override;
    std::vector<std::string> listDirectory(const std::string& dir) override;
    bool makeDirectories(const std::string& dir) override { return !dir.empty() && !readOnly; }
};

}  // namespace kelvo
