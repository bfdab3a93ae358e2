#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace kelvo {

// Writes UTF-8 text to standard output or error: to a console as its characters, whatever the
// console's code page; to a file or a pipe in the console's output code page (the ANSI code page
// without a console), with Windows line ends. No toolkit: the console companion uses it too.
void writeStandardText(StandardStream stream, std::string_view utf8);

// UTF-8 text as the bytes of a Windows code page, each line ending in CR LF; what the code page
// lacks becomes its default character. UTF-8 still for a code page the system cannot write.
std::string textInCodePage(unsigned codePage, std::string_view utf8);

}  // namespace kelvo
