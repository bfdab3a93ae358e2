#include <unistd.h>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {

bool LinuxPlatform::standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace kelvo
