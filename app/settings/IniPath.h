#pragma once

#include <string>

namespace kelvo {

class Platform;

// Where the settings file lives: beside the executable, named after it with "ini" in place of an
// "exe" ending, or with ".ini" added where the name has no ".exe" ending. Where the executable's
// folder cannot be written, or is a ".../bin" folder (an installed program), in
// <user config dir>/kelvo/kelvo.ini.
std::string iniPathFor(const std::string& exePath, bool exeDirWritable,
                       const std::string& configDir);

// The settings file, fixed once as the program starts.
struct IniLocation {
    std::string path;
    std::string notice;  // warning lines for standard error when a file was passed over
};

// The same, asking the platform for the three inputs; beside the executable only where the trust
// rule (profile/FileTrust.h) accepts its folder and the file there: else the per-user file.
IniLocation IniPath(Platform& platform);

}  // namespace kelvo
