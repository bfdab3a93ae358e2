#include "app/IniPath.h"

#include "platform/Platform.h"

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

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

std::string IniPath(Platform& platform) {
    std::string exe = platform.executablePath();
    const std::string folder = folderOf(exe);
    const bool besideExe =
        !exe.empty() && !isInstalledLayout(folder) && platform.isDirectoryWritable(folder);
    return iniPathFor(exe, besideExe, platform.userConfigDir());
}

}  // namespace kelvo
