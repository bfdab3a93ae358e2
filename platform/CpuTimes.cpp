#include "platform/CpuTimes.h"

#include "platform/ParseNumbers.h"

namespace kelvo {

std::optional<uint64_t> parseProcStatIdleTicks(std::string_view text) {
    // "cpu  user nice system idle iowait irq softirq steal guest guest_nice": the sum over all
    // processors comes first. Kernels before 2.6 stop after idle and have no iowait.
    if (text.substr(0, 4) != "cpu ")
        return std::nullopt;
    const std::string_view line = text.substr(0, text.find('\n'));
    size_t pos = 4;
    uint64_t fields[5] = {};
    int read = 0;
    for (; read < 5; ++read) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos == line.size())
            break;
        std::optional<uint64_t> v = readDecimal(line, pos);
        if (!v)
            return std::nullopt;
        fields[read] = *v;
    }
    if (read < 4)
        return std::nullopt;
    const uint64_t idle = fields[3];
    const uint64_t iowait = fields[4];
    return idle > UINT64_MAX - iowait ? std::nullopt : std::optional<uint64_t>(idle + iowait);
}

std::optional<uint32_t> parseCpuList(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    constexpr uint64_t kMaxCpus = 1u << 20;
    uint64_t count = 0;
    size_t pos = 0;
    while (true) {
        std::optional<uint64_t> first = readDecimal(text, pos);
        if (!first || *first >= kMaxCpus)
            return std::nullopt;
        uint64_t last = *first;
        if (pos < text.size() && text[pos] == '-') {
            ++pos;
            std::optional<uint64_t> end = readDecimal(text, pos);
            if (!end || *end < *first || *end >= kMaxCpus)
                return std::nullopt;
            last = *end;
        }
        count += last - *first + 1;
        if (count > kMaxCpus)
            return std::nullopt;
        if (pos == text.size())
            return static_cast<uint32_t>(count);
        if (text[pos] != ',')
            return std::nullopt;
        ++pos;
    }
}

}  // namespace kelvo
