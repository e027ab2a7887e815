// How the fly windows keep on top where the program stacks them itself: how often they may take
// the top back, and when they must.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "clFly/FlyWindow.h"

namespace quillop {

// How often the flies may take the top back. Two programs that both want to be on top would
// otherwise raise their windows over each other forever; past the limit the flies give way and
// try again once the oldest restack of the last second has aged out.
class RestackBudget {
  public:
    static constexpr int kMaxPerSecond = 5;

    // Whether a restack may run at `nowMs`; counts it when it may.
    bool Take(std::int64_t nowMs);
    // When the next restack may run; 0 while one may run now.
    std::int64_t FreeAt() const;

  private:
    std::deque<std::int64_t> recent_;
};

// What a window at the top of the screen's tree is to the flies.
enum class StackRole {
    Other,       // another program's window, or one of ours that is no fly
    TopMostFly,  // a shown fly that stays on top
    LowerFly,    // a shown fly that is not top-most
    HiddenFly,   // a fly that will not be seen again
};

// One window of the screen as the stacking sees it.
struct StackedWindow {
    std::uint32_t Id = 0;
    StackRole Role = StackRole::Other;
    // For another program's window: it would hide a fly beneath it (mapped, and stacked by the
    // window manager). Menus, tooltips and other windows that bypass the window manager keep
    // their place above the flies, as they did when a window manager stacked them.
    bool Covers = false;
};

// The top-most flies to raise, bottom to top, given the windows bottom to top: all of them
// when a covering window or a fly that is not top-most stands above the lowest of them, else
// none.
std::vector<std::uint32_t> FliesToRaise(std::span<const StackedWindow> bottomToTop);

// The window that flies that are not top-most are put just above, so that the next window the
// window manager raises covers them: the highest covering window; 0 when there is none.
std::uint32_t LowerFliesAnchor(std::span<const StackedWindow> bottomToTop);

// Milliseconds of the steady clock: when windows were raised and flies lowered.
inline std::int64_t SteadyClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Another program's window where the compositor draws every fly above every window (sway, with
// flies that bypass its window manager): where it stands and when it was last raised, in
// milliseconds of the steady clock; 0 when not since the program started.
struct RaisedWindow {
    Rect Area;
    std::int64_t RaisedAtMs = 0;
    bool operator==(const RaisedWindow&) const = default;
};

// Whether a fly that is not top-most, at `fly` and put above the other windows at
// `loweredAtMs`, is to be hidden there: a window raised since overlaps it, as it would cover the
// fly if the flies were stacked among the windows.
bool IsCoveredFly(const Rect& fly, std::int64_t loweredAtMs, std::span<const RaisedWindow> windows);

}  // namespace quillop
