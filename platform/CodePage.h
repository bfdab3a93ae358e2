#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The system's own conversion of 8-bit text in a Windows code page (932, 1252, ...) to UTF-16.
// Windows has one for every code page it lists; elsewhere there is none and the toolkit's
// converters serve, so both answer no.
bool systemKnowsCodePage(int codePage);
std::optional<std::u16string> decodeWithSystem(int codePage, std::string_view bytes);

}  // namespace kelvo
