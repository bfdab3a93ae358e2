#include <windows.h>

#include <climits>

#include "platform/CodePage.h"

namespace kelvo {

bool systemKnowsCodePage(int codePage) {
    return codePage > 0 && codePage <= 0xFFFF && IsValidCodePage(UINT(codePage));
}

std::optional<std::u16string> decodeWithSystem(int codePage, std::string_view bytes) {
    if (!systemKnowsCodePage(codePage) || bytes.size() > size_t(INT_MAX))
        return std::nullopt;
    if (bytes.empty())
        return std::u16string();
    const int inLength = int(bytes.size());
    // Invalid bytes become the code page's default character, as the system's own text calls do.
    const int outLength =
        MultiByteToWideChar(UINT(codePage), 0, bytes.data(), inLength, nullptr, 0);
    if (outLength <= 0)
        return std::nullopt;
    std::u16string out(size_t(outLength), u'\0');
    if (MultiByteToWideChar(UINT(codePage), 0, bytes.data(), inLength,
                            reinterpret_cast<wchar_t*>(out.data()), outLength) != outLength)
        return std::nullopt;
    return out;
}

}  // namespace kelvo
