#pragma once

#include <string_view>

#include "platform/Platform.h"

namespace kelvo {

// Writes UTF-8 text to standard output or error: to a console as its characters, whatever the
// console's code page; to a file or a pipe as the bytes, with Windows line ends. No toolkit: the
// console companion uses it too.
void writeStandardText(StandardStream stream, std::string_view utf8);

}  // namespace kelvo
