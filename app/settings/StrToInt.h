#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kelvo {

// Text typed into a number field, converted strictly: optional leading blanks, an optional sign,
// then decimal digits, or hexadecimal ones after "$" or "0x", and nothing else; within the signed
// 32-bit range. Empty text, full-width digits and trailing characters do not convert.
std::optional<int32_t> StrToInt(const QString& text);

// The error shown when `text` does not convert.
QString notAnIntegerMessage(const QString& text);

}  // namespace kelvo
