#include "app/Formats.h"

#include <cstdio>
#include <string>

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

template <typename T>
QString format(const char* format, T value) {
    std::string tail;
    std::string head = splitTrailingPercent(format, tail);
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, head.c_str(), value);
    if (n < 0)
        return {};
    return QString::fromUtf8(buf, std::min<int>(n, sizeof buf - 1)) + QString::fromUtf8(tail);
}

}  // namespace

QString formatInt(const char* f, int value) {
    return format(f, value);
}
QString formatDouble(const char* f, double value) {
    return format(f, value);
}

}  // namespace kelvo
