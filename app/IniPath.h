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

// The same, asking the platform for the three inputs.
std::string IniPath(Platform& platform);

}  // namespace kelvo
