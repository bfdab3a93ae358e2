// Stands in for the program where a test needs a real executable file: finds its settings file
// as the program does at start, reads XPos and saves XPos + 1. With --wait it waits for a line on
// standard input before saving, and then also tells where a platform made now finds the file.
#include <cstdio>
#include <iostream>
#include <string>

#include "app/settings/IniPath.h"
#include "platform/Platform.h"
#include "profile/ProfileFile.h"

int main(int argc, char** argv) {
    const bool wait = argc > 1 && std::string(argv[1]) == "--wait";
    auto platform = kelvo::createSystemPlatform();
    const kelvo::IniLocation at = kelvo::IniPath(*platform);
    if (!at.notice.empty())
        std::fprintf(stderr, "%s\n", at.notice.c_str());
    kelvo::FileSystem& fs = platform->fileSystem();
    const int x = kelvo::readProfileFile(fs, at.path).readInt("SYSTEM", "XPos", 0);
    std::printf("path=%s\nXPos=%d\n", at.path.c_str(), x);
    std::fflush(stdout);
    if (wait) {
        std::string line;
        std::getline(std::cin, line);
        std::printf("later=%s\n", kelvo::IniPath(*kelvo::createSystemPlatform()).path.c_str());
    }
    const kelvo::SaveResult saved = kelvo::saveProfileFile(
        fs, at.path, [x](kelvo::Profile& p) { p.writeInt("SYSTEM", "XPos", x + 1); });
    std::printf("saved=%d\n", static_cast<int>(saved));
    return 0;
}
