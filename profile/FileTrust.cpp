#include "profile/FileTrust.h"

#include "platform/FileSystem.h"

namespace kelvo {
namespace {

// Chains longer than this are refused, as the system refuses link loops.
constexpr int kMaxLinkHops = 8;

struct Followed {
    std::string path;
    FileStatus status;
    std::string refusal;
};

// Follows the links at `path` for as long as the user owns them.
Followed follow(FileSystem& fs, const std::string& path) {
    Followed f{path, fs.status(path), {}};
    for (int hop = 0; f.status.kind == FileStatus::Kind::Link; ++hop) {
        const std::string link = f.path;
        if (!f.status.trustedOwner) {
            f.refusal = link + " is a symbolic link that another user owns";
            return f;
        }
        const std::string target = fs.linkTarget(link);
        if (hop == kMaxLinkHops || target.empty()) {
            f.refusal = link + " is a symbolic link that leads nowhere usable";
            return f;
        }
        // Absolute on either system: "/..." or a drive's "X:/...".
        const bool absolute =
            target.front() == '/' || (target.size() > 2 && target[1] == ':' && target[2] == '/');
        f.path = absolute ? target : folderOfPath(link) + "/" + target;
        f.status = fs.status(f.path);
    }
    return f;
}

}  // namespace

std::string folderOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isPrivateFolder(FileSystem& fs, const std::string& dir) {
    const Followed f = follow(fs, dir);
    if (!f.refusal.empty())
        return false;
    return f.status.kind != FileStatus::Kind::Directory ||
           (f.status.trustedOwner && !f.status.writableByOthers);
}

FileTrust trustFile(FileSystem& fs, const std::string& path) {
    const Followed f = follow(fs, path);
    if (!f.refusal.empty())
        return {path, f.refusal};
    if (f.status.kind == FileStatus::Kind::Regular &&
        (!f.status.trustedOwner || f.status.writableByOthers))
        return {path, f.path + " can be changed by another user"};
    const std::string folder = folderOfPath(f.path);
    if (!isPrivateFolder(fs, folder))
        return {path, "its folder " + folder + " can be changed by other users"};
    return {f.path, {}};
}

}  // namespace kelvo
