#include "platform/Meminfo.h"

#include <algorithm>
#include <limits>

namespace kelvo {
namespace {

// Reads "<digits> kB" after the colon; empty when there are no digits or the value overflows.
std::optional<uint64_t> parseKilobytes(std::string_view rest) {
    size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t'))
        ++i;
    if (i == rest.size() || rest[i] < '0' || rest[i] > '9')
        return std::nullopt;
    uint64_t value = 0;
    constexpr uint64_t kMaxKb = std::numeric_limits<uint64_t>::max() / 1024;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        uint64_t digit = static_cast<uint64_t>(rest[i] - '0');
        if (value > (kMaxKb - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value * 1024;
}

}  // namespace

Meminfo parseMeminfo(std::string_view text) {
    Meminfo info;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        // Every key read here starts with M or S; most of the file's lines are passed over
        // without looking for their colon.
        if (line.empty() || (line[0] != 'M' && line[0] != 'S'))
            continue;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view key = line.substr(0, colon);
        std::optional<uint64_t>* field = nullptr;
        if (key == "MemTotal")
            field = &info.memTotal;
        else if (key == "MemFree")
            field = &info.memFree;
        else if (key == "MemAvailable")
            field = &info.memAvailable;
        else if (key == "SwapTotal")
            field = &info.swapTotal;
        else if (key == "SwapFree")
            field = &info.swapFree;
        if (field)
            *field = parseKilobytes(line.substr(colon + 1));
    }
    return info;
}

MEMORYSTATUS memoryStatusFromMeminfo(const Meminfo& info) {
    MEMORYSTATUS ms;
    ms.dwTotalPhys = info.memTotal.value_or(0);
    ms.dwAvailPhys = std::min(info.memAvailable.value_or(info.memFree.value_or(0)), ms.dwTotalPhys);
    ms.dwTotalPageFile = info.swapTotal.value_or(0);
    ms.dwAvailPageFile = std::min(info.swapFree.value_or(0), ms.dwTotalPageFile);
    // Figures near 2^64 (no kernel reports such) must not wrap the sums into small ones.
    auto sum = [](uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; };
    ms.dwTotalVirtual = sum(ms.dwTotalPhys, ms.dwTotalPageFile);
    ms.dwAvailVirtual = sum(ms.dwAvailPhys, ms.dwAvailPageFile);
    if (ms.dwTotalPhys > 0) {
        uint64_t used = ms.dwTotalPhys - ms.dwAvailPhys;
        // Rounded to the nearest percent; computed so that large totals cannot overflow.
        ms.dwMemoryLoad = static_cast<uint32_t>((used * 200 / ms.dwTotalPhys + 1) / 2);
    }
    return ms;
}

}  // namespace kelvo
