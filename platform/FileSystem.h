#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The line ending of the text files the system's own tools write.
#ifdef _WIN32
inline constexpr std::string_view kNativeLineEnding = "\r\n";
#else
inline constexpr std::string_view kNativeLineEnding = "\n";
#endif

// The outcome of reading a whole file.
struct FileRead {
    enum class Status {
        Ok,        // `bytes` holds the file
        Missing,   // no such file
        TooLarge,  // larger than the limit asked for; nothing read
        Failed,    // it exists but could not be read
    };
    Status status = Status::Missing;
    std::string bytes;
};

// A new file open for writing. Destroying it closes it without syncing.
class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Writes every byte or reports failure; a short write (a full disk) is a failure.
    virtual bool writeAll(std::string_view data) = 0;
    // Sets the permission bits (the low 12 bits of a Unix mode).
    virtual bool setPermissions(uint32_t mode) = 0;
    // Flushes the file's data and metadata to the disk.
    virtual bool sync() = 0;
    // Closes the file; false when the system reports a late write error.
    virtual bool close() = 0;
};

// The file operations the settings file needs. Calls never throw; each reports failure in its
// result and leaves the system's error state unexamined.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Reads a whole regular file of at most `limit` bytes.
    virtual FileRead readFile(const std::string& path, size_t limit) = 0;
    // Creates `path`, which must not exist yet. Null when it exists or cannot be created.
    virtual std::unique_ptr<WritableFile> createNew(const std::string& path) = 0;
    // Permission bits of an existing file; empty when it does not exist.
    virtual std::optional<uint32_t> permissions(const std::string& path) = 0;
    // Replaces `to` by `from` in one step: a reader sees the old file or the new, never a mix.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Makes the folder's entries (a rename into it) durable.
    virtual bool syncDirectory(const std::string& dir) = 0;
    // Names of the entries of `dir`, without "." and ".."; empty when it cannot be read.
    virtual std::vector<std::string> listDirectory(const std::string& dir) = 0;
    // Creates `dir` and its missing parents.
    virtual bool makeDirectories(const std::string& dir) = 0;
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> createSystemFileSystem();

}  // namespace kelvo
