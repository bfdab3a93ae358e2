#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace kelvo::test {

// `text` with the line endings a new settings text gets on this system ("\r\n" on Windows).
inline std::string nativeLines(std::string_view text) {
    std::string out;
    for (const char c : text)
        out += c == '\n' ? std::string(kNativeLineEnding) : std::string(1, c);
    return out;
}

}  // namespace kelvo::test
