#pragma once

#include <string_view>

#include "platform/Platform.h"

namespace kelvo {

// Writes UTF-8 text to standard output or error: to a console as its characters, whatever the
// console's code page; to a file or a pipe in the console's output code page (the ANSI code page
// without a console), with Windows line ends. No toolkit: the console companion uses it too.
void writeStandardText(StandardStream stream, std::string_view utf8);

}  // namespace kelvo
