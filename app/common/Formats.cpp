#include "app/common/Formats.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelvo {
namespace {

// Splits off a literal "%" or "% " at the end of the format.
std::string splitTrailingPercent(const char* format, std::string& tail) {
    std::string f(format);
    for (const char* ending : {"% ", "%"}) {
        std::string e(ending);
        // "%%" at the end is an ordinary escaped percent, not a literal tail.
        if (f.size() >= e.size() && f.compare(f.size() - e.size(), e.size(), e) == 0 &&
            !(f.size() > e.size() && f[f.size() - e.size() - 1] == '%')) {
            tail = e;
            f.resize(f.size() - e.size());
            break;
        }
    }
    return f;
}

// The C library writes the decimal point of the process's locale, which the toolkit takes from
// the environment ("23497,4" under a German one). Our figures always use a full stop, so the
// locale's point is put back in the number's own characters only, never in the format's text.
void useFullStop(std::string& number) {
    const char* point = std::localeconv()->decimal_point;
    const std::string localPoint = point && *point ? point : ".";
    if (localPoint == ".")
        return;
    const size_t at = number.find(localPoint);
    if (at != std::string::npos)
        number.replace(at, localPoint.size(), ".");
}

// The format as literal text before and after its one conversion, and the conversion itself.
struct Pieces {
    std::string before;
    std::string conversion;
    std::string after;
};

Pieces splitConversion(const std::string& format) {
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < format.size() &&
               std::string_view("diouxXfFeEgGaAcsp").find(format[end]) == std::string_view::npos)
            ++end;
        end = std::min(end + 1, format.size());
        return {format.substr(0, i), format.substr(i, end - i), format.substr(end)};
    }
    return {format, {}, {}};
}

// Literal text of a format: "%%" stands for one percent sign.
std::string literal(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    return out;
}

template <typename T>
QString format(const char* format, T value) {
    std::string tail;
    const Pieces p = splitConversion(splitTrailingPercent(format, tail));
    std::string number;
    if (!p.conversion.empty()) {
        char buf[128];
        const int n = std::snprintf(buf, sizeof buf, p.conversion.c_str(), value);
        if (n < 0)
            return {};
        number.assign(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
        useFullStop(number);
    }
    return QString::fromStdString(literal(p.before) + number + literal(p.after) + tail);
}

}  // namespace

QString formatInt(const char* f, int value) {
    return format(f, value);
}
QString formatDouble(const char* f, double value) {
    return format(f, value);
}

}  // namespace kelvo
