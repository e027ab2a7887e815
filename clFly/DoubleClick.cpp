#include "clFly/DoubleClick.h"

#include <cstdlib>

namespace quillop {

bool DoubleClick::Press(std::uint32_t window, std::uint32_t timeMs, int x, int y) {
    // The server's clock is unsigned and wraps; the difference wraps with it.
    const bool second = window == lastWindow_ &&
                        timeMs - lastTimeMs_ <= static_cast<std::uint32_t>(rules_.IntervalMs) &&
                        std::abs(x - lastX_) <= rules_.Distance &&
                        std::abs(y - lastY_) <= rules_.Distance;
    // A third press starts a new pair rather than making a second double click.
    lastWindow_ = second ? 0 : window;
    lastTimeMs_ = timeMs;
    lastX_ = x;
    lastY_ = y;
    return second;
}

}  // namespace quillop
