#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "profile/Profile.h"

namespace kelvo {

class FileSystem;

// A settings file is a few hundred bytes; anything past this is not one, and is neither parsed
// nor overwritten.
inline constexpr size_t kMaxProfileBytes = 1 << 20;

// Reads the file as a profile. Missing, unreadable, oversized or untrusted files (FileTrust.h)
// read as an empty profile, so every key takes its default.
Profile readProfileFile(FileSystem& fs, const std::string& path);

enum class SaveResult {
    Saved,
    Unchanged,   // the edits changed nothing; the file was not touched
    ReadFailed,  // the old file exists but could not be read: overwriting it would lose it
    TooLarge,    // the old file is larger than kMaxProfileBytes: not a settings file, left alone
    WouldBeTooLarge,  // the new text would pass kMaxProfileBytes, and the next read refuse it
    Untrusted,        // the trust rule refuses the file (trustFile says why); left alone
    ReadOnly,         // the user took away their own write permission; left alone
    CreateFailed,     // no temporary file (read-only folder, no space for an entry)
    WriteFailed,      // a write, the sync or the close failed (a full disk, an I/O error)
    RenameFailed,
    FolderSyncFailed,  // the new file is in place, but the folder entry may not be on disk yet
};

// Reads the file, applies `edit`, and replaces the file atomically with the result: a temporary
// file in the same folder gets every byte and the old file's access (permissions and group), is
// synced and renamed over the old one, then the folder is synced. Whatever fails before the
// rename leaves the old file byte for byte as it was, and no temporary file behind. The user's
// own links are written through: the file they lead to is replaced, the link stays.
SaveResult saveProfileFile(FileSystem& fs, const std::string& path,
                           const std::function<void(Profile&)>& edit);

// The same replacement for given bytes, under the same trust rule.
SaveResult replaceFileAtomically(FileSystem& fs, const std::string& path, const std::string& bytes);

// Removes temporary files that a save interrupted by a crash left beside the file `path` leads
// to. Only one
// instance runs, so no save can be in progress when it starts.
void removeLeftoverTempFiles(FileSystem& fs, const std::string& path);

// True for the name of a temporary file of a save of `fileName`.
bool isTempFileName(const std::string& name, const std::string& fileName);

}  // namespace kelvo
