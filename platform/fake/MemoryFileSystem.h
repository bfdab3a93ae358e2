#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace kelvo {

// Files held in memory, with faults a test switches on: a disk that fills after a number of
// bytes, a failing sync, rename or folder sync, a read-only disk, an unreadable file. Beside
// regular files it holds symbolic links and pipes, files of other users and folders that others
// may change.
class MemoryFileSystem : public FileSystem {
  public:
    struct Entry {
        std::string bytes;
        uint32_t mode = 0644;
        FileStatus::Kind kind = FileStatus::Kind::Regular;  // Regular, Link or Other (a pipe)
        std::string target;                                 // a link's
        bool ownedByUser = true;
        std::string group = "user";
    };
    std::map<std::string, std::shared_ptr<Entry>> files;
    // Folders with an owner or mode of their own. Any other folder that holds an entry is the
    // user's, mode 0755.
    struct Folder {
        bool ownedByUser = true;
        uint32_t mode = 0755;
    };
    std::map<std::string, Folder> folders;

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
    void putLink(const std::string& path, const std::string& target, bool ownedByUser = true);
    void putPipe(const std::string& path);
    // The entry at `path` itself, a link not followed; null when there is none.
    std::shared_ptr<Entry> entry(const std::string& path) const;

    FileRead readFile(const std::string& path, size_t limit) override;
    std::unique_ptr<WritableFile> createNew(const std::string& path) override;
    std::optional<uint32_t> permissions(const std::string& path) override;
    FileStatus status(const std::string& path) override;
    std::string linkTarget(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool syncDirectory(const std::string& dir) override;
    std::vector<std::string> listDirectory(const std::string& dir) override;
    bool makeDirectories(const std::string& dir) override { return !dir.empty() && !readOnly; }

  private:
    // The entry `path` leads to through its links; null when there is none.
    std::shared_ptr<Entry> followed(const std::string& path) const;
};

}  // namespace kelvo
