#pragma once

#include <string>

// Text between the program's UTF-8 and the system's wide characters. No toolkit: the console
// companion uses these too.

namespace kelvo {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);
// A Windows path with the separators the rest of the program uses.
std::string forwardSlashes(std::string path);
// The running program's full path as the system has it (beyond MAX_PATH too); empty on failure.
std::wstring programPath();

}  // namespace kelvo
