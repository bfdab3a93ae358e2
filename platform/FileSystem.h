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

// What a path names, a final symbolic link not followed. The settings' trust rule
// (profile/FileTrust.h) is built on these few facts, so each system answers them its own way.
struct FileStatus {
    enum class Kind {
        Missing,
        Regular,
        Directory,
        Link,   // a symbolic link
        Other,  // a pipe, device or socket, or a path that cannot be examined
    };
    Kind kind = Kind::Missing;
    // The running user or the system's administrator owns it: no one else can change it or,
    // for a link, where it leads.
    bool trustedOwner = true;
    // Someone besides its owner may change it; for a folder, replace its entries. A group that
    // holds only the user (Debian's private group of each user) does not count.
    bool writableByOthers = false;
    // Its owner has taken away their own right to write it (no owner-write bit; the read-only
    // attribute on Windows).
    bool readOnly = false;
};

// A new file open for writing. Destroying it closes it without syncing.
class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Writes every byte or reports failure; a short write (a full disk) is a failure.
    virtual bool writeAll(std::string_view data) = 0;
    // Gives the file the access of the existing file at `like`, which it is about to replace:
    // the same permission bits and group. Where that group cannot be given, its members get no
    // access, so the replacement never opens up to more people than the old file did.
    virtual bool copyAccess(const std::string& like) = 0;
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

    // Reads a whole regular file of at most `limit` bytes, following links. Never blocks on
    // what is not a regular file: a pipe or a device reads as Failed without waiting for a writer.
    virtual FileRead readFile(const std::string& path, size_t limit) = 0;
    // Creates `path`, which must not exist yet (not even as a link), with the access a new file
    // of the user gets and in the user's own group, never the group of a shared folder. Null when
    // it exists or cannot be created.
    virtual std::unique_ptr<WritableFile> createNew(const std::string& path) = 0;
    // Permission bits of an existing file; empty when it does not exist.
    virtual std::optional<uint32_t> permissions(const std::string& path) = 0;
    virtual FileStatus status(const std::string& path) = 0;
    // What the symbolic link at `path` holds (a path, relative to the link's folder unless it
    // starts with '/'); empty when `path` is no link.
    virtual std::string linkTarget(const std::string& path) = 0;
    // Replaces `to` by `from` in one step: a reader sees the old file or the new, never a mix.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Makes the folder's entries (a rename into it) durable.
    virtual bool syncDirectory(const std::string& dir) = 0;
    // Names of the entries of `dir`, without "." and ".."; empty when it cannot be read.
    virtual std::vector<std::string> listDirectory(const std::string& dir) = 0;
    // Creates `dir` and its missing parents, each private to the user.
    virtual bool makeDirectories(const std::string& dir) = 0;
};

// The file system of the machine the program runs on.
std::unique_ptr<FileSystem> createSystemFileSystem();

}  // namespace kelvo
