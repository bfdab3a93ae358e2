#pragma once

#include <string_view>

namespace kelvo {

// A /proc file kept open and re-read with pread into a fixed buffer: no allocation and no
// path lookup per sample.
class ProcFile {
  public:
    explicit ProcFile(const char* path);
    ~ProcFile();
    ProcFile(const ProcFile&) = delete;
    ProcFile& operator=(const ProcFile&) = delete;

    // The file's current text (up to the buffer size); empty when it cannot be read.
    std::string_view read();
    // False when the file could not be opened (it does not exist on this system).
    bool isOpen() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
    char buffer_[8192];
};

}  // namespace kelvo
