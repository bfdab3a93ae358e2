#include "platform/MemorySafety.h"

#include <algorithm>

#include "platform/ParseNumbers.h"

namespace kelvo {
namespace {

std::string_view nextLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    return line;
}

std::string_view nextField(std::string_view& line) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    const size_t end = line.find(' ', start);
    std::string_view field = line.substr(start, end - start);
    line = end == std::string_view::npos ? std::string_view{} : line.substr(end);
    return field;
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as \ooo.
std::string decodeOctalEscapes(std::string_view s) {
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && octal(s[i + 1]) && octal(s[i + 2]) &&
            octal(s[i + 3])) {
            out +=
                static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += s[i];
    }
    return out;
}

bool hasOption(std::string_view options, std::string_view wanted) {
    while (!options.empty()) {
        const size_t comma = options.find(',');
        if (options.substr(0, comma) == wanted)
            return true;
        options = comma == std::string_view::npos ? std::string_view{} : options.substr(comma + 1);
    }
    return false;
}

}  // namespace

std::optional<uint64_t> parsePressureFullTotal(std::string_view text) {
    while (!text.empty()) {
        std::string_view line = nextLine(text);
        if (nextField(line) != "full")
            continue;
        for (std::string_view f = nextField(line); !f.empty(); f = nextField(line)) {
            if (f.substr(0, 6) != "total=")
                continue;
            size_t pos = 6;
            std::optional<uint64_t> v = readDecimal(f, pos);
            return pos == f.size() ? v : std::nullopt;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<uint64_t> parseCgroupBytes(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    if (text == "max")
        return UINT64_MAX;
    size_t pos = 0;
    std::optional<uint64_t> v = readDecimal(text, pos);
    return pos == text.size() ? v : std::nullopt;
}

OwnCgroups parseProcSelfCgroup(std::string_view text) {
    OwnCgroups own;
    while (!text.empty()) {
        std::string_view line = nextLine(text);
        // "<id>:<controllers>:<path>"; the path itself may hold colons.
        const size_t a = line.find(':');
        const size_t b = a == std::string_view::npos ? a : line.find(':', a + 1);
        if (b == std::string_view::npos)
            continue;
        const std::string_view controllers = line.substr(a + 1, b - a - 1);
        const std::string_view path = line.substr(b + 1);
        if (path.empty() || path.front() != '/')
            continue;
        if (line.substr(0, a) == "0" && controllers.empty())
            own.v2 = std::string(path);
        else if (hasOption(controllers, "memory"))
            own.v1Memory = std::string(path);
    }
    return own;
}

CgroupMounts parseMountinfo(std::string_view text) {
    CgroupMounts mounts;
    while (!text.empty()) {
        std::string_view line = nextLine(text);
        // id parent major:minor root mount-point options [optional…] - type source super-options
        std::string_view fields[5];
        for (std::string_view& f : fields)
            f = nextField(line);
        if (fields[4].empty())
            continue;
        const size_t dash = line.find(" - ");
        if (dash == std::string_view::npos)
            continue;
        std::string_view tail = line.substr(dash + 3);
        const std::string_view type = nextField(tail);
        nextField(tail);  // source
        const std::string_view superOptions = nextField(tail);
        CgroupMount mount{decodeOctalEscapes(fields[3]), decodeOctalEscapes(fields[4])};
        if (type == "cgroup2" && !mounts.v2)
            mounts.v2 = mount;
        else if (type == "cgroup" && hasOption(superOptions, "memory") && !mounts.v1Memory)
            mounts.v1Memory = mount;
    }
    return mounts;
}

std::vector<std::string> cgroupFolders(const CgroupMount& mount, const std::string& path) {
    // A path outside the namespace's view ("/../x") cannot be reached from the mount.
    if (path.empty() || path.front() != '/' || path.find("/..") != std::string::npos)
        return {};
    std::string relative = path;
    const std::string root = mount.root == "/" ? std::string() : mount.root;
    if (!root.empty()) {
        if (relative == root)
            relative = "/";
        else if (relative.compare(0, root.size() + 1, root + "/") == 0)
            relative = relative.substr(root.size());
    }
    std::vector<std::string> folders;
    // Each level up drops one path component, down to the mount point itself.
    constexpr size_t kMaxLevels = 32;
    while (folders.size() < kMaxLevels) {
        while (relative.size() > 1 && relative.back() == '/')
            relative.pop_back();
        folders.push_back(relative == "/" ? mount.mountPoint : mount.mountPoint + relative);
        if (relative == "/")
            break;
        const size_t slash = relative.rfind('/');
        relative = slash == 0 ? "/" : relative.substr(0, slash);
    }
    return folders;
}

std::optional<uint64_t> parseCgroupReclaimable(std::string_view text) {
    std::optional<uint64_t> local[2], total[2];
    // A line without its newline was cut off by the reader's buffer: its number may be too.
    while (text.find('\n') != std::string_view::npos) {
        std::string_view line = nextLine(text);
        const std::string_view key = nextField(line);
        const std::string_view value = nextField(line);
        std::optional<uint64_t>* slot = key == "inactive_file"         ? &local[0]
                                        : key == "active_file"         ? &local[1]
                                        : key == "total_inactive_file" ? &total[0]
                                        : key == "total_active_file"   ? &total[1]
                                                                       : nullptr;
        if (!slot)
            continue;
        size_t pos = 0;
        const std::optional<uint64_t> v = readDecimal(value, pos);
        if (v && pos == value.size())
            *slot = v;
    }
    const auto sum = [](const std::optional<uint64_t>(&pair)[2]) -> std::optional<uint64_t> {
        if (!pair[0] && !pair[1])
            return std::nullopt;
        const uint64_t a = pair[0].value_or(0), b = pair[1].value_or(0);
        return a > UINT64_MAX - b ? UINT64_MAX : a + b;
    };
    const std::optional<uint64_t> hierarchical = sum(total);
    return hierarchical ? hierarchical : sum(local);
}

std::optional<uint64_t> cgroupSwapRoom(const std::vector<CgroupLevel>& levels) {
    std::optional<uint64_t> least;
    for (const CgroupLevel& level : levels) {
        if (!level.swapLimit || *level.swapLimit >= kCgroupNoLimit)
            continue;
        const uint64_t usage = level.swapUsage.value_or(*level.swapLimit);
        const uint64_t room = *level.swapLimit > usage ? *level.swapLimit - usage : 0;
        least = least ? std::min(*least, room) : room;
    }
    return least;
}

std::optional<uint64_t> cgroupHeadroom(const std::vector<CgroupLevel>& levels) {
    std::optional<uint64_t> least;
    for (const CgroupLevel& level : levels) {
        if (!level.limit || *level.limit >= kCgroupNoLimit)
            continue;
        // A limit without a readable usage leaves no known room.
        uint64_t usage = level.usage.value_or(*level.limit);
        usage -= std::min(usage, level.reclaimable.value_or(0));
        const uint64_t room = *level.limit > usage ? *level.limit - usage : 0;
        least = least ? std::min(*least, room) : room;
    }
    return least;
}

MemorySafetySample safetySampleFromMemoryStatus(const MEMORYSTATUS& status) {
    MemorySafetySample s;
    if (status.dwTotalPhys == 0)
        return s;  // no figures at all: every clean is refused
    Meminfo& m = s.meminfo;
    m.memTotal = status.dwTotalPhys;
    m.memAvailable = status.dwAvailPhys;
    m.memFree = status.dwAvailPhys;
    m.swapTotal = status.dwTotalPageFile;
    m.swapFree = status.dwAvailPageFile;
    s.commitRoom = status.dwAvailVirtual;
    return s;
}

}  // namespace kelvo
