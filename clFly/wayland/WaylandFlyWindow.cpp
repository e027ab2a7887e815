// The fly windows of the Wayland display: subsurfaces of the primary overlay.
#include <wayland-client.h>

#include <algorithm>

#include "clFly/FlyScale.h"
#include "clFly/PictureRegions.h"
#include "clFly/wayland/WaylandFlies.h"

namespace quillop {

WaylandFlyWindow::WaylandFlyWindow(WaylandFlies& display, FlyEvents& events, const Rect& bounds)
    : display_(display), events_(events), id_(++display.lastId_), at_{bounds.Left, bounds.Top} {
    surface_ = wl_compositor_create_surface(display_.globals_.Compositor);
    if (display_.globals_.Viewporter != nullptr) {
        viewport_ = wp_viewporter_get_viewport(display_.globals_.Viewporter, surface_);
    }
    display_.windows_[id_] = this;
    display_.Place(*this);
}

WaylandFlyWindow::~WaylandFlyWindow() {
    StopTimer();
    Detach();
    if (viewport_ != nullptr) {
        wp_viewport_destroy(viewport_);
    }
    wl_surface_destroy(surface_);
    display_.windows_.erase(id_);
    if (display_.placedOn_ != nullptr) {
        display_.placedOn_->WantCommit();
    }
}

void WaylandFlyWindow::Detach() {
    if (subsurface_ != nullptr) {
        wl_subsurface_destroy(subsurface_);
        subsurface_ = nullptr;
    }
    shown_ = nullptr;
    place_.reset();
    // The surface keeps no buffer, so that it may be a subsurface again.
    wl_surface_attach(surface_, nullptr, 0, 0);
    wl_surface_commit(surface_);
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
    // The compositor blends every picture, so there is no transparency to be refused.
    at_ = at;
    if (sprite != nullptr) {
        sprite_ = sprite;
    }
    display_.Place(*this);
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
    display_.Place(*this);
}

void WaylandFlyWindow::Apply(const WaylandOverlay& overlay, const Rect& clip) {
    changed_ = false;
    if (subsurface_ == nullptr) {
        // Synchronized, as a new subsurface is: it changes only when the overlay commits.
        subsurface_ = wl_subcompositor_get_subsurface(display_.globals_.Subcompositor, surface_,
                                                      overlay.Surface());
    }
    if (!visible_ || sprite_ == nullptr) {
        Unmap();
        return;
    }
    const WaylandPictures::Picture& picture = display_.pictures_->Get(*sprite_, overlay);
    Point place = LogicalPlace(at_, overlay.Scale());
    place.Left += picture.Offset.Left;
    place.Top += picture.Offset.Top;
    Rect crop{0, 0, picture.Logical.Width, picture.Logical.Height};
    if (viewport_ != nullptr) {
        // A fly that overhangs the work area is cut at its edge, where the panels begin.
        const int right = std::min(place.Left + crop.Width, clip.Left + clip.Width);
        const int bottom = std::min(place.Top + crop.Height, clip.Top + clip.Height);
        crop.Left = std::max(0, clip.Left - place.Left);
        crop.Top = std::max(0, clip.Top - place.Top);
        crop.Width = right - place.Left - crop.Left;
        crop.Height = bottom - place.Top - crop.Top;
    }
    if (crop.Width <= 0 || crop.Height <= 0) {
        Unmap();
        return;
    }
    if (&picture != shown_ || inputEnabled_ != shownInput_ || crop != crop_) {
        ShowPicture(overlay, picture, crop);
    }
    const Point at{place.Left + crop.Left, place.Top + crop.Top};
    if (at != place_) {
        wl_subsurface_set_position(subsurface_, at.Left, at.Top);
        place_ = at;
    }
}

void WaylandFlyWindow::ShowPicture(const WaylandOverlay& overlay,
                                   const WaylandPictures::Picture& picture, const Rect& crop) {
    const Size buffer = picture.Buffer->Extent();
    if (&picture != shown_) {
        wl_surface_attach(surface_, picture.Buffer->Buffer(), 0, 0);
        wl_surface_damage_buffer(surface_, 0, 0, buffer.Width, buffer.Height);
    }
    wl_surface_set_buffer_scale(surface_, overlay.Fractional() ? 1 : overlay.BufferScale());
    if (viewport_ != nullptr) {
        // The source is in the buffer's pixels after its buffer scale.
        const double fx = overlay.Fractional() ? double(buffer.Width) / picture.Logical.Width : 1;
        const double fy = overlay.Fractional() ? double(buffer.Height) / picture.Logical.Height : 1;
        wp_viewport_set_source(
            viewport_, wl_fixed_from_double(crop.Left * fx), wl_fixed_from_double(crop.Top * fy),
            wl_fixed_from_double(crop.Width * fx), wl_fixed_from_double(crop.Height * fy));
        wp_viewport_set_destination(viewport_, crop.Width, crop.Height);
    }
    const bool whole = crop == Rect{0, 0, picture.Logical.Width, picture.Logical.Height};
    if (!inputEnabled_) {
        wl_surface_set_input_region(surface_, display_.pictures_->NoInput());
    } else if (whole) {
        wl_surface_set_input_region(surface_, picture.Input);
    } else {
        wl_region* input = display_.pictures_->CroppedInput(picture, crop);
        wl_surface_set_input_region(surface_, input);
        wl_region_destroy(input);
    }
    wl_surface_commit(surface_);
    shown_ = &picture;
    shownInput_ = inputEnabled_;
    crop_ = crop;
}

void WaylandFlyWindow::Unmap() {
    if (shown_ != nullptr) {
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
        shown_ = nullptr;
    }
}

double WaylandFlyWindow::Scale() const {
    const WaylandOverlay* primary = display_.placedOn_;
    return FlyScaleFor(primary != nullptr ? primary->Scale() : 1.0);
}

}  // namespace quillop
