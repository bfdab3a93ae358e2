#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The text of an initialization file ("[Section]" headers, "Key=Value" lines), read and edited
// the way the classic profile functions do it:
// - Section and key names are matched without regard to ASCII case, blanks around them ignored.
//   Only the first section of a name counts, and in it only the first line of a key.
// - A section header is a line whose first non-blank character is '['; its name runs to the
//   last ']' of the line. Lines before the first header belong to no section.
// - A key line holds an '='; the key is the text before the first '=', the value the text
//   after it. Lines beginning with ';' are comments; lines without '=' are not keys.
// - A value loses its surrounding blanks, and then one pair of matching quotes around it.
// Editing keeps every other byte of the text as it was.
class Profile {
  public:
    Profile() = default;
    explicit Profile(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }

    // The key's value, or nothing when the section or the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The key's value as an integer (parseProfileInt), or `fallback` when the key is missing or
    // its value is empty.
    int32_t readInt(std::string_view section, std::string_view key, int32_t fallback) const;

    // Sets the key's value: in place on the key's line when it exists (the text up to the blanks
    // after '=' kept), else as a new line after the last key of the section, else in a new
    // section at the end of the text. New lines take the line ending the text already uses.
    void write(std::string_view section, std::string_view key, std::string_view value);
    void writeInt(std::string_view section, std::string_view key, int32_t value);

  private:
    void endLastLine(const std::string& eol);

    std::string text_;
};

// The integer rule of a profile value: leading blanks are skipped, then an optional '+' or '-',
// then decimal digits up to the first other character; whatever follows is ignored. No digits
// gives 0 ("abc", "-", "0x10" reads 0). Values beyond the 32-bit range are held at its ends.
int32_t parseProfileInt(std::string_view text);

}  // namespace kelvo
