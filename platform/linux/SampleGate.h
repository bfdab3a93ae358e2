#pragma once

#include <cstdint>
#include <optional>

namespace kelvo {

// The page counters sysinfo() gives: any page taken or given back moves one of them.
struct PageCounters {
    uint64_t free = 0;
    uint64_t buffers = 0;
    uint64_t shared = 0;
    uint64_t freeSwap = 0;
    uint64_t totalSwap = 0;
    bool operator==(const PageCounters&) const = default;
};

// Whether a tick needs a new full memory sample. The kernel writes out all of /proc/meminfo for
// every read (tens of microseconds on a virtual machine, most of an idle tick); sysinfo() costs
// about one. While its counters stand still the last full sample is reused, but never for longer
// than kMaxAgeNs, so a change they cannot see (pages moving between the caches and programs in
// equal numbers) shows within a second.
class SampleGate {
  public:
    static constexpr int64_t kMaxAgeNs = 1'000'000'000;

    bool needsFullSample(const std::optional<PageCounters>& counters, int64_t nowNs) const {
        return !taken_ || !counters || !last_ || *counters != *last_ || nowNs < takenNs_ ||
               nowNs - takenNs_ >= kMaxAgeNs;
    }
    void fullSampleTaken(const std::optional<PageCounters>& counters, int64_t nowNs) {
        taken_ = true;
        last_ = counters;
        takenNs_ = nowNs;
    }
    // A failed read is never reused.
    void forget() { taken_ = false; }

  private:
    bool taken_ = false;
    std::optional<PageCounters> last_;
    int64_t takenNs_ = 0;
};

}  // namespace kelvo
