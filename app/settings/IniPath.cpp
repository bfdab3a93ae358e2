#include "app/settings/IniPath.h"

#include "platform/Platform.h"
#include "profile/FileTrust.h"

namespace kelvo {
namespace {

bool endsWithExe(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return tail == ".exe";
}

// An installed program lives in a ".../bin" folder; even where that folder is writable (root),
// settings beside it would be shared by every user and lost with the next package upgrade.
bool isInstalledLayout(const std::string& exeFolder) {
    return exeFolder == "/bin" ||
           (exeFolder.size() >= 4 && exeFolder.compare(exeFolder.size() - 4, 4, "/bin") == 0);
}

}  // namespace

std::string iniPathFor(const std::string& exePath, bool exeDirWritable,
                       const std::string& configDir) {
    if (exePath.empty() || !exeDirWritable)
        return configDir + "/kelvo/kelvo.ini";
    // A path too short to hold a name and an ending gets ".ini" added like any other name
    // without ".exe": settings must never be written over the program file itself.
    if (exePath.size() > 4 && endsWithExe(exePath))
        return exePath.substr(0, exePath.size() - 3) + "ini";
    return exePath + ".ini";
}

IniLocation IniPath(Platform& platform) {
    const std::string exe = platform.executablePath();
    const std::string folder = folderOfPath(exe);
    const std::string perUser = iniPathFor({}, false, platform.userConfigDir());
    FileSystem& fs = platform.fileSystem();
    IniLocation where{perUser, {}};
    if (!exe.empty() && !isInstalledLayout(folder) && platform.isDirectoryWritable(folder)) {
        const std::string beside = iniPathFor(exe, true, platform.userConfigDir());
        // Where anyone else may change the folder, a file there could be theirs or be swapped
        // for one; it is passed over, and named if there is one.
        const FileTrust trust = isPrivateFolder(fs, folder)
                                    ? trustFile(fs, beside)
                                    : FileTrust{beside, "other users can change its folder"};
        if (trust.usable())
            return {beside, {}};
        if (fs.status(beside).kind != FileStatus::Kind::Missing)
            where.notice = "kelvo: " + beside + " is not used: " + trust.refusal +
                           "; the settings are kept in " + perUser;
    }
    if (const FileTrust trust = trustFile(fs, perUser); !trust.usable())
        where.notice += (where.notice.empty() ? "" : "\n") + std::string("kelvo: ") + perUser +
                        " is not used: " + trust.refusal + "; the settings will not be saved";
    return where;
}

}  // namespace kelvo
