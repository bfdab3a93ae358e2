#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvo {

// Reads the decimal digits at `pos` and moves past them; empty when there are none or the value
// does not fit 64 bits.
inline std::optional<uint64_t> readDecimal(std::string_view text, size_t& pos) {
    const size_t start = pos;
    uint64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const uint64_t digit = static_cast<uint64_t>(text[pos] - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (pos == start)
        return std::nullopt;
    return value;
}

}  // namespace kelvo
