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

// Whether the tray menu is open. The program's own menu says when it opens and closes. A
// StatusNotifierItem host draws the exported menu itself: it asks for it as it opens it, but
// some hosts (Xfce's) never say that it closed. While such a menu is open, each tick looks
// whether a pop-up menu is on the screen: once the host's menu has been seen and is gone, the
// menu has closed. One never seen (a host on another display server) counts as open until the
// host says it closed, or for at most kUnseenLimitNs.
class TrayMenuState {
  public:
    static constexpr int64_t kUnseenLimitNs = 30'000'000'000;

    void opened(int64_t nowNs);
    // Closed by the menu itself, by its host, or by a choice from it.
    void closed() { open_ = false; }
    // A tick while the menu is open and the program did not draw it.
    void hostMenuShown(bool popupOnScreen, int64_t nowNs);
    bool isOpen() const { return open_; }

  private:
    bool open_ = false;
    bool seen_ = false;
    int64_t openedNs_ = 0;
};

}  // namespace kelvo
