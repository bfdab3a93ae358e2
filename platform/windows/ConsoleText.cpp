#include "platform/windows/ConsoleText.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/windows/WideText.h"

namespace kelvo {
namespace {

void writeBytes(HANDLE to, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(to, bytes.data() + done, chunk, &n, nullptr) || n == 0)
            return;
        done += n;
    }
}

void writeCharacters(HANDLE to, const std::wstring& text) {
    size_t done = 0;
    while (done < text.size()) {
        size_t chunk = std::min<size_t>(text.size() - done, 8192);
        // A pair of surrogates stays in one write.
        if (done + chunk < text.size() && IS_HIGH_SURROGATE(text[done + chunk - 1]))
            --chunk;
        DWORD n = 0;
        if (!WriteConsoleW(to, text.data() + done, static_cast<DWORD>(chunk), &n, nullptr) ||
            n == 0)
            return;
        done += n;
    }
}

}  // namespace

std::string textInCodePage(unsigned codePage, std::string_view utf8) {
    std::wstring text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (const wchar_t c : widen(std::string(utf8))) {
        if (c == L'\n')
            text += L'\r';
        text += c;
    }
    const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size <= 0 || WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size,
                                         nullptr, nullptr) != size)
        return narrow(text);
    return bytes;
}

void writeStandardText(StandardStream stream, std::string_view utf8) {
    const HANDLE to =
        GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (!to || to == INVALID_HANDLE_VALUE || utf8.empty())
        return;
    DWORD mode = 0;
    if (GetConsoleMode(to, &mode)) {
        writeCharacters(to, widen(std::string(utf8)));
        return;
    }
    // The bytes the system's own tools write into a file or a pipe.
    const UINT codePage = GetConsoleOutputCP();
    writeBytes(to, textInCodePage(codePage ? codePage : GetACP(), utf8));
}

}  // namespace kelvo
