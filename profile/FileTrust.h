#pragma once

#include <string>

namespace kelvo {

class FileSystem;

// Whether a file Kelvo reads and replaces (the settings file, the autostart entry) can be used,
// and which file that is. The rule:
// - A symbolic link that the user (or the administrator) owns is followed, and a save replaces
//   the file it leads to, so the link stays a link. A link another user owns is refused: it
//   could lead to any file the user may read, and a save would copy that file out.
// - The file itself must be the user's and not writable by anyone else; so must its folder,
//   where anyone else could otherwise swap the file for a link between two saves. A folder that
//   does not exist yet is made private to the user at the first save.
// - What is not a regular file is never waited on: the file system's reads refuse it unopened.
struct FileTrust {
    std::string path;     // the file to read and replace: the path itself, or where its links lead
    std::string refusal;  // empty when it can be used; else why not, for a warning
    bool usable() const { return refusal.empty(); }
};

FileTrust trustFile(FileSystem& fs, const std::string& path);

// False when `dir` is a folder (or a link to one) whose entries someone besides the user and the
// administrator can change. A folder yet to be made passes, and so does what is no folder:
// nothing can be created in it anyway.
bool isPrivateFolder(FileSystem& fs, const std::string& dir);

// The folder part of a path ("." for a bare name, "/" for the root).
std::string folderOfPath(const std::string& path);

}  // namespace kelvo
