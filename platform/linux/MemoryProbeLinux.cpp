#include <fstream>
#include <sstream>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {
namespace {

std::string readSmallFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// One control group's limit, usage and memory.stat files, kept open.
struct CgroupFiles {
    std::unique_ptr<ProcFile> limit;
    std::unique_ptr<ProcFile> usage;
    std::unique_ptr<ProcFile> stat;
    std::unique_ptr<ProcFile> swapLimit;
    std::unique_ptr<ProcFile> swapUsage;
};

struct GroupFileNames {
    const char* limit;
    const char* usage;
    const char* swapLimit;
    const char* swapUsage;
};
constexpr GroupFileNames kV1{"/memory.limit_in_bytes", "/memory.usage_in_bytes",
                             "/memory.memsw.limit_in_bytes", "/memory.memsw.usage_in_bytes"};
constexpr GroupFileNames kV2{"/memory.max", "/memory.current", "/memory.swap.max",
                             "/memory.swap.current"};

class LinuxMemoryProbe : public MemoryProbe {
  public:
    explicit LinuxMemoryProbe(LinuxPlatform& platform)
        : platform_(platform), meminfo_("/proc/meminfo"), pressure_("/proc/pressure/memory") {
        // /proc/meminfo shows the whole machine; the program's group may allow far less.
        const OwnCgroups own = parseProcSelfCgroup(readSmallFile("/proc/self/cgroup"));
        const CgroupMounts mounts = parseMountinfo(readSmallFile("/proc/self/mountinfo"));
        if (own.v1Memory && mounts.v1Memory)
            openLevels(cgroupFolders(*mounts.v1Memory, *own.v1Memory), kV1);
        if (own.v2 && mounts.v2)
            openLevels(cgroupFolders(*mounts.v2, *own.v2), kV2);
    }

    MemorySafetySample sample() override {
        MemorySafetySample s;
        s.meminfo = parseMeminfo(meminfo_.read());
        s.pressureFullUs = parsePressureFullTotal(pressure_.read());
        // Most programs sit in groups without a limit: then one read per level tells all, and
        // the costly memory.stat (cgroup v1 walks every group below to build it) is left alone.
        bool anyLimit = false;
        for (size_t i = 0; i < groups_.size(); ++i) {
            levels_[i] = {parseCgroupBytes(groups_[i].limit->read()), {}, {}, {}, {}};
            anyLimit = anyLimit || isLimit(levels_[i].limit);
        }
        if (anyLimit) {
            for (size_t i = 0; i < groups_.size(); ++i) {
                CgroupFiles& g = groups_[i];
                CgroupLevel& l = levels_[i];
                if (isLimit(l.limit)) {
                    l.usage = parseCgroupBytes(g.usage->read());
                    l.reclaimable = parseCgroupReclaimable(g.stat->read());
                }
                l.swapLimit = parseCgroupBytes(g.swapLimit->read());
                if (isLimit(l.swapLimit))
                    l.swapUsage = parseCgroupBytes(g.swapUsage->read());
            }
            s.cgroupHeadroom = cgroupHeadroom(levels_);
            s.cgroupSwapRoom = cgroupSwapRoom(levels_);
        }
        s.takenNs = platform_.monotonicNs();
        return s;
    }

  private:
    static bool isLimit(const std::optional<uint64_t>& v) { return v && *v < kCgroupNoLimit; }

    void openLevels(const std::vector<std::string>& folders, const GroupFileNames& names) {
        for (const std::string& folder : folders) {
            auto open = [&folder](const char* name) {
                return std::make_unique<ProcFile>((folder + name).c_str());
            };
            // Without swap accounting the swap files are missing: the group limits no swap.
            CgroupFiles files{open(names.limit), open(names.usage), open("/memory.stat"),
                              open(names.swapLimit), open(names.swapUsage)};
            // The root group has no limit file; a level without one limits nothing.
            if (files.limit->isOpen())
                groups_.push_back(std::move(files));
        }
        levels_.resize(groups_.size());
    }

    LinuxPlatform& platform_;
    ProcFile meminfo_;
    ProcFile pressure_;
    std::vector<CgroupFiles> groups_;
    std::vector<CgroupLevel> levels_;  // one per group, reused by every sample
};

}  // namespace

std::unique_ptr<MemoryProbe> LinuxPlatform::openMemoryProbe() {
    return std::make_unique<LinuxMemoryProbe>(*this);
}

}  // namespace kelvo
