// Saves the settings file over and over, turning "Memory" between 30 and 70, until it is
// killed. Prints "ready" once the first save is done.
#include <cstdio>

#include "platform/FileSystem.h"
#include "profile/ProfileFile.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::string path = argv[1];
    auto fs = kelvo::createSystemFileSystem();
    bool announced = false;
    for (;;) {
        const kelvo::Profile now = kelvo::readProfileFile(*fs, path);
        const int next = now.readInt("DEFAULT", "Memory", 0) == 30 ? 70 : 30;
        if (kelvo::saveProfileFile(*fs, path, [next](kelvo::Profile& p) {
                p.writeInt("DEFAULT", "Memory", next);
            }) != kelvo::SaveResult::Saved)
            return 1;
        if (!announced) {
            std::puts("ready");
            std::fflush(stdout);
            announced = true;
        }
    }
}
