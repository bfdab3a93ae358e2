#pragma once

#include "platform/FileSystem.h"

namespace kelvo {

// Files on Windows through the wide-character calls. Unix permission bits are mapped onto the
// read-only attribute, the only one Windows has for them.
class WindowsFileSystem : public FileSystem {
  public:
    FileRead readFile(const std::string& path, size_t limit) override;
    std::unique_ptr<WritableFile> createNew(const std::string& path) override;
    std::optional<uint32_t> permissions(const std::string& path) override;
    FileStatus status(const std::string& path) override;
    std::string linkTarget(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool syncDirectory(const std::string& dir) override;
    std::vector<std::string> listDirectory(const std::string& dir) override;
    bool makeDirectories(const std::string& dir) override;
};

// True for the reparse points that lead elsewhere: symbolic links and junctions.
bool isLinkReparseTag(uint32_t tag);

}  // namespace kelvo
