// The flies' work area on the Wayland display: the primary overlay, or on Plasma the part of it
// that KWin's work area on XWayland's root leaves.
#include <algorithm>
#include <cmath>

#include "clFly/wayland/WaylandFlies.h"

namespace quillop {

std::optional<Rect> WaylandFlies::WorkArea() const {
    return workArea_;
}

std::optional<Rect> WaylandFlies::ScreenBounds() const {
    const WaylandOverlay* primary = Primary();
    if (primary == nullptr) {
        return std::nullopt;
    }
    const Size size = primary->Canvas().Extent();
    return Rect{0, 0, size.Width, size.Height};
}

Rect WaylandFlies::LogicalWorkArea(const WaylandOverlay& overlay) const {
    const Size size = overlay.LogicalSize();
    const std::optional<Rect> area =
        plasmaWorkArea_ != nullptr ? plasmaWorkArea_->Area() : std::nullopt;
    if (!area || !overlay.CoversOutput()) {
        return {0, 0, size.Width, size.Height};
    }
    // XWayland's root spans the outputs' logical pixels, or their device pixels where X
    // programs scale themselves.
    int span = 0;
    for (const auto& each : overlays_) {
        if (each->Configured()) {
            span = std::max(span, each->Position().Left + each->LogicalSize().Width);
        }
    }
    const double factor = span > 0 ? double(plasmaWorkArea_->Root().Width) / span : 1;
    return WorkAreaOnOutput(*area, factor, overlay.Position(), size);
}

Rect WaylandFlies::DeviceWorkArea(const WaylandOverlay& overlay) const {
    const Rect area = LogicalWorkArea(overlay);
    const double scale = overlay.Scale();
    const auto device = [scale](int logical) {
        return static_cast<int>(std::lround(logical * scale));
    };
    return {device(area.Left), device(area.Top), device(area.Left + area.Width) - device(area.Left),
            device(area.Top + area.Height) - device(area.Top)};
}

void WaylandFlies::UpdateWorkArea() {
    workAreaStale_ = false;
    const std::optional<Rect> area =
        placedOn_ != nullptr ? std::optional<Rect>(DeviceWorkArea(*placedOn_)) : std::nullopt;
    if (area != workArea_) {
        workArea_ = area;
        inputChanged_ = inputUrgent_ = true;
    }
    if (placedOn_ != nullptr) {
        // A fly that overhangs the work area is cut at its edge, where the panels begin.
        const Size size = placedOn_->Canvas().Extent();
        placedOn_->Canvas().SetClip(*area == Rect{0, 0, size.Width, size.Height} ? std::nullopt
                                                                                 : area);
    }
}

}  // namespace quillop
