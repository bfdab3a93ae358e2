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
};

class LinuxMemoryProbe : public MemoryProbe {
  public:
    explicit LinuxMemoryProbe(LinuxPlatform& platform)
        : platform_(platform), meminfo_("/proc/meminfo"), pressure_("/proc/pressure/memory") {
        // /proc/meminfo shows the whole machine; the program's group may allow far less.
        const OwnCgroups own = parseProcSelfCgroup(readSmallFile("/proc/self/cgroup"));
        const CgroupMounts mounts = parseMountinfo(readSmallFile("/proc/self/mountinfo"));
        if (own.v1Memory && mounts.v1Memory)
            openLevels(cgroupFolders(*mounts.v1Memory, *own.v1Memory), "/memory.limit_in_bytes",
                       "/memory.usage_in_bytes");
        if (own.v2 && mounts.v2)
            openLevels(cgroupFolders(*mounts.v2, *own.v2), "/memory.max", "/memory.current");
    }

    MemorySafetySample sample() override {
        MemorySafetySample s;
        s.meminfo = parseMeminfo(meminfo_.read());
        s.pressureFullUs = parsePressureFullTotal(pressure_.read());
        if (!groups_.empty()) {
            std::vector<CgroupLevel> levels;
            levels.reserve(groups_.size());
            for (CgroupFiles& g : groups_)
                levels.push_back({parseCgroupBytes(g.limit->read()),
                                  parseCgroupBytes(g.usage->read()),
                                  parseCgroupReclaimable(g.stat->read())});
            s.cgroupHeadroom = cgroupHeadroom(levels);
        }
        s.takenNs = platform_.monotonicNs();
        return s;
    }

  private:
    void openLevels(const std::vector<std::string>& folders, const char* limit, const char* usage) {
        for (const std::string& folder : folders) {
            CgroupFiles files{std::make_unique<ProcFile>((folder + limit).c_str()),
                              std::make_unique<ProcFile>((folder + usage).c_str()),
                              std::make_unique<ProcFile>((folder + "/memory.stat").c_str())};
            // The root group has no limit file; a level without one limits nothing.
            if (files.limit->isOpen())
                groups_.push_back(std::move(files));
        }
    }

    LinuxPlatform& platform_;
    ProcFile meminfo_;
    ProcFile pressure_;
    std::vector<CgroupFiles> groups_;
};

}  // namespace

std::unique_ptr<MemoryProbe> LinuxPlatform::openMemoryProbe() {
    return std::make_unique<LinuxMemoryProbe>(*this);
}

}  // namespace kelvo
