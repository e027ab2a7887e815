// Which presses of the left button make double clicks: on the fly windows, and on a tray icon
// whose tray reports every click as one activation.
#pragma once

#include <cstdint>

namespace quillop {

// How far apart two presses of the left button may be to make a double click.
struct DoubleClickRules {
    int IntervalMs = 400;
    int Distance = 5;
};

// Pairs presses of the left button: the second press of a pair on the same window, soon enough
// and near enough, completes a double click; a third press starts a new pair. The clock is any
// that counts milliseconds and wraps at 2^32.
class DoubleClick {
  public:
    explicit DoubleClick(DoubleClickRules rules) : rules_(rules) {}

    // Takes a press on a window (an id other than 0) at a time in milliseconds and a
    // place on the screen; true when it completes a double click.
    bool Press(std::uint32_t window, std::uint32_t timeMs, int x, int y);

  private:
    DoubleClickRules rules_;
    std::uint32_t lastWindow_ = 0;
    std::uint32_t lastTimeMs_ = 0;
    int lastX_ = 0;
    int lastY_ = 0;
};

}  // namespace quillop
