// The fly windows of the Wayland display: records drawn into the primary overlay.
#include <wayland-client.h>

#include "clFly/FlyScale.h"
#include "clFly/wayland/WaylandFlies.h"

namespace quillop {

WaylandFlyWindow::WaylandFlyWindow(WaylandFlies& display, FlyEvents& events, const Rect& bounds)
    : display_(display), events_(events), id_(++display.lastId_), at_{bounds.Left, bounds.Top} {
    display_.windows_[id_] = this;
}

WaylandFlyWindow::~WaylandFlyWindow() {
    StopTimer();
    visible_ = false;
    display_.Place(*this);
    display_.windows_.erase(id_);
}

void WaylandFlyWindow::StartTimer(int intervalMs) {
    StopTimer();
    timerId_ = display_.timers_->Start(*this, intervalMs);
}

void WaylandFlyWindow::StopTimer() {
    if (timerId_ != 0) {
        display_.timers_->Stop(timerId_);
        timerId_ = 0;
    }
}

PresentResult WaylandFlyWindow::Present(Point at, const CachedSprite* sprite) {
    // The overlay blends every picture, so there is no transparency to be refused.
    at_ = at;
    if (sprite != nullptr) {
        sprite_ = sprite;
    }
    display_.Place(*this, true);
    return {};
}

void WaylandFlyWindow::Show() {
    visible_ = true;
    display_.Place(*this);
}

void WaylandFlyWindow::Hide() {
    visible_ = false;
    display_.Place(*this);
}

void WaylandFlyWindow::SetInputEnabled(bool enabled) {
    inputEnabled_ = enabled;
    display_.inputChanged_ = display_.inputUrgent_ = true;
}

double WaylandFlyWindow::Scale() const {
    const WaylandOverlay* primary = display_.placedOn_;
    return FlyScaleFor(primary != nullptr ? primary->Scale() : 1.0);
}

}  // namespace quillop
