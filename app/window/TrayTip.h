#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kelvo {

// The tray tip for the free physical memory. Each write makes a StatusNotifierItem host read
// every property of the icon again, so the tip is written only when its text changes, and at
// most once a second: a change within the second waits for a later sample.
class TrayTipPacer {
  public:
    static constexpr int64_t kIntervalNs = 1'000'000'000;

    // The text to write at `nowNs`, or nothing.
    std::optional<QString> update(uint64_t availPhysBytes, int64_t nowNs);

  private:
    std::optional<uint64_t> shownTenths_;
    std::optional<int64_t> writtenNs_;
};

}  // namespace kelvo
