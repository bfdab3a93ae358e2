#include "profile/Profile.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "platform/FileSystem.h"

namespace kelvo {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// One line of the text: [begin, end) without its line ending.
struct Line {
    size_t begin;
    size_t end;
};

enum class LineKind { Other, Section, Key };

struct Parsed {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name
    size_t valueBegin = 0;  // key lines: offset of the value's first character after '=' blanks
};

Parsed parseLine(std::string_view text, Line line) {
    std::string_view s = text.substr(line.begin, line.end - line.begin);
    Parsed p;
    std::string_view t = trim(s);
    if (t.empty() || t.front() == ';')
        return p;
    if (t.front() == '[') {
        size_t close = t.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            p.kind = LineKind::Section;
            p.name = trim(t.substr(1, close - 1));
            return p;
        }
    }
    size_t eq = s.find('=');
    if (eq == std::string_view::npos)
        return p;
    std::string_view key = trim(s.substr(0, eq));
    if (key.empty())
        return p;
    p.kind = LineKind::Key;
    p.name = key;
    size_t v = eq + 1;
    while (v < s.size() && (s[v] == ' ' || s[v] == '\t'))
        ++v;
    p.valueBegin = line.begin + v;
    return p;
}

// Where a key is, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine{0, 0};
    size_t valueBegin = 0;
    size_t insertAt = 0;  // after the section's last key, or its header
};

// Editors may start a UTF-8 file with a byte-order mark. It belongs to no line, so that the first
// section's header is still one; edits keep it where it is.
size_t byteOrderMarkLength(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

// Lines end at '\n'; a '\r' before it belongs to the line ending.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    size_t pos = byteOrderMarkLength(text);
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        if (end > pos && text[end - 1] == '\r')
            --end;
        if (!visit(Line{pos, end}, next))
            return;
        pos = next;
    }
}

Location locate(std::string_view text, std::string_view section, std::string_view key) {
    Location loc;
    bool inSection = false;
    forEachLine(text, [&](Line line, size_t next) {
        Parsed p = parseLine(text, line);
        if (p.kind == LineKind::Section) {
            if (inSection)
                return false;  // only the first section of the name counts
            if (sameName(p.name, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.insertAt = next;
            }
        } else if (inSection && p.kind == LineKind::Key) {
            if (sameName(p.name, key)) {
                loc.keyFound = true;
                loc.keyLine = line;
                loc.valueBegin = p.valueBegin;
                return false;
            }
            loc.insertAt = next;
        }
        return true;
    });
    return loc;
}

// A text keeps the line ending it has; a text without one gets the system's.
std::string_view lineEndingOf(std::string_view text) {
    size_t nl = text.find('\n');
    if (nl == std::string_view::npos)
        return kNativeLineEnding;
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

int32_t parseProfileInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t magnitude = 0;
    constexpr int64_t cap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(cap, magnitude * 10 + (text[i] - '0'));
    int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int32_t>::max())
        v = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

std::optional<std::string> Profile::value(std::string_view section, std::string_view key) const {
    Location loc = locate(text_, section, key);
    if (!loc.keyFound)
        return std::nullopt;
    std::string_view v =
        trim(std::string_view(text_).substr(loc.valueBegin, loc.keyLine.end - loc.valueBegin));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

int32_t Profile::readInt(std::string_view section, std::string_view key, int32_t fallback) const {
    std::optional<std::string> v = value(section, key);
    if (!v || v->empty())
        return fallback;
    return parseProfileInt(*v);
}

void Profile::write(std::string_view section, std::string_view key, std::string_view value) {
    Location loc = locate(text_, section, key);
    if (loc.keyFound) {
        text_.replace(loc.valueBegin, loc.keyLine.end - loc.valueBegin, value);
        return;
    }
    const std::string eol(lineEndingOf(text_));
    std::string line = std::string(key) + "=" + std::string(value) + eol;
    if (loc.sectionFound) {
        if (loc.insertAt == text_.size()) {
            endLastLine(eol);
            text_ += line;
        } else {
            text_.insert(loc.insertAt, line);
        }
        return;
    }
    endLastLine(eol);
    text_ += "[" + std::string(section) + "]" + eol + line;
}

// The text's last line may lack its line ending, or have only the '\r' of one.
void Profile::endLastLine(const std::string& eol) {
    if (text_.size() == byteOrderMarkLength(text_) || text_.back() == '\n')
        return;
    text_ += text_.back() == '\r' ? std::string("\n") : eol;
}

void Profile::writeInt(std::string_view section, std::string_view key, int32_t value) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    write(section, key, std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

}  // namespace kelvo
