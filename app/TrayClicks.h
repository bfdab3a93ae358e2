#pragma once

#include <cstdint>
#include <optional>

namespace kelvo {

// Pairs the tray's single activations into double clicks. A StatusNotifierItem host reports
// every click of the icon as one activation and never a double click.
class TrayClickPairing {
  public:
    // A single activation at `nowNs`: true when it completes a pair, within `intervalMs` of
    // the one before. The one after a completed pair starts a new pair.
    bool secondOfPair(int64_t nowNs, int intervalMs);
    // A double click reported as such.
    void reset() { first_.reset(); }

  private:
    std::optional<int64_t> first_;
};

}  // namespace kelvo
