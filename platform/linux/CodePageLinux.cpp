#include "platform/CodePage.h"

namespace kelvo {

// The toolkit's converters (ICU) know the code pages here.
bool systemKnowsCodePage(int) {
    return false;
}

std::optional<std::u16string> decodeWithSystem(int, std::string_view) {
    return std::nullopt;
}

}  // namespace kelvo
