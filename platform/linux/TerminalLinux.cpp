#include <unistd.h>

#include <cstdio>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {

bool LinuxPlatform::standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

// Flushed at once: a progress bar must show as it is drawn, and the streams' order holds.
void LinuxPlatform::writeText(StandardStream stream, std::string_view utf8) {
    FILE* to = stream == StandardStream::Output ? stdout : stderr;
    std::fwrite(utf8.data(), 1, utf8.size(), to);
    std::fflush(to);
}

}  // namespace kelvo
