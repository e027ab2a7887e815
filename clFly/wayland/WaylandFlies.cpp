#include "clFly/wayland/WaylandFlies.h"

#include <linux/input-event-codes.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clFly/Failure.h"

namespace quillop {

namespace {

// The side of the squares, in logical pixels, in which a fly takes pointer input, and how
// often the input of walking flies follows them.
constexpr int kInputSquare = 4;
constexpr std::chrono::milliseconds kInputInterval{100};
// The most rectangles of the input region sent at once.
constexpr std::size_t kMaxInputRects = 1500;

// How many round trips the compositor may take to size the first overlay.
constexpr int kConfigureTrips = 5;

// Binds a global at the version this code knows, or the compositor's own if lower.
template <class T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t known) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, known)));
}

}  // namespace

const wl_registry_listener WaylandFlies::kRegistryListener = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            static_cast<WaylandFlies*>(data)->OnGlobal(registry, name, interface, version);
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t name) {
            static_cast<WaylandFlies*>(data)->OnGlobalRemove(name);
        },
};

const wl_seat_listener WaylandFlies::kSeatListener = {
    .capabilities =
        [](void* data, wl_seat* seat, std::uint32_t capabilities) {
            auto* self = static_cast<WaylandFlies*>(data);
            const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
            if (pointer && self->pointer_ == nullptr) {
                self->pointer_ = wl_seat_get_pointer(seat);
                wl_pointer_add_listener(self->pointer_, &kPointerListener, self);
            } else if (!pointer && self->pointer_ != nullptr) {
                wl_pointer_release(self->pointer_);
                self->pointer_ = nullptr;
                self->pointerSurface_ = nullptr;
            }
        },
    .name = [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener WaylandFlies::kPointerListener = {
    .enter =
        [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
           wl_fixed_t y) {
            auto* self = static_cast<WaylandFlies*>(data);
            self->SetCursor(serial);
            self->PointerAt(surface, x, y);
        },
    .leave = [](void* data, wl_pointer*, std::uint32_t,
                wl_surface*) { static_cast<WaylandFlies*>(data)->pointerSurface_ = nullptr; },
    .motion =
        [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            auto* self = static_cast<WaylandFlies*>(data);
            self->PointerAt(self->pointerSurface_, x, y);
        },
    .button =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t time, std::uint32_t button,
           std::uint32_t state) { static_cast<WaylandFlies*>(data)->Button(time, button, state); },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = nullptr,
};

WaylandFlies::WaylandFlies(const FlyDisplaySetup& setup)
    : setup_(setup),
      doubleClick_(setup.DoubleClick),
      timers_(std::make_unique<FlyTimers>(*setup.Wake)) {
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) {
        throw Failure("No Wayland compositor answers for the flies");
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // NOTE: KWin lays the overlay over Plasma's panels, which are no layer surfaces; the room
    // they leave is read where KWin keeps it for X programs.
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktops != nullptr &&
        (":" + std::string(desktops) + ":").find(":KDE:") != std::string::npos) {
        plasmaWorkArea_ = std::make_unique<XWaylandWorkArea>();
    }
    wl_display_roundtrip(display_);
    if (globals_.Compositor == nullptr || globals_.Shm == nullptr ||
        globals_.LayerShell == nullptr) {
        throw Failure("The Wayland compositor offers no layer shell for the flies");
    }
    for (const auto& [name, output] : unboundOutputs_) {
        AddOverlay(output, name);
    }
    unboundOutputs_.clear();
    for (int trip = 0; trip < kConfigureTrips && Primary() == nullptr; ++trip) {
        wl_display_roundtrip(display_);
    }
    if (Primary() == nullptr) {
        throw Failure("The Wayland compositor gave the flies no place on a screen");
    }
    PlaceAll();
}

WaylandFlies::~WaylandFlies() {
    overlays_.clear();
    for (const auto& [name, output] : unboundOutputs_) {
        wl_output_destroy(output);
    }
    if (pointer_ != nullptr) {
        wl_pointer_release(pointer_);
    }
    if (cursorSurface_ != nullptr) {
        wl_surface_destroy(cursorSurface_);
    }
    if (cursorTheme_ != nullptr) {
        wl_cursor_theme_destroy(cursorTheme_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    if (globals_.FractionalScale != nullptr) {
        wp_fractional_scale_manager_v1_destroy(globals_.FractionalScale);
    }
    if (globals_.Viewporter != nullptr) {
        wp_viewporter_destroy(globals_.Viewporter);
    }
    if (globals_.LayerShell != nullptr) {
        zwlr_layer_shell_v1_destroy(globals_.LayerShell);
    }
    if (globals_.Shm != nullptr) {
        wl_shm_destroy(globals_.Shm);
    }
    if (globals_.Compositor != nullptr) {
        wl_compositor_destroy(globals_.Compositor);
    }
    if (registry_ != nullptr) {
        wl_registry_destroy(registry_);
    }
    wl_display_disconnect(display_);
}

void WaylandFlies::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version) {
    const std::string_view what = interface;
    if (what == wl_compositor_interface.name) {
        globals_.Compositor =
            Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (what == wl_shm_interface.name) {
        globals_.Shm = Bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (what == zwlr_layer_shell_v1_interface.name) {
        globals_.LayerShellVersion =
            std::min<std::uint32_t>(version, zwlr_layer_shell_v1_interface.version);
        globals_.LayerShell =
            Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version,
                                      zwlr_layer_shell_v1_interface.version);
    } else if (what == wp_viewporter_interface.name) {
        globals_.Viewporter =
            Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (what == wp_fractional_scale_manager_v1_interface.name) {
        globals_.FractionalScale = Bind<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (what == wl_seat_interface.name && seat_ == nullptr) {
        seat_ = Bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
        seatName_ = name;
        wl_seat_add_listener(seat_, &kSeatListener, this);
    } else if (what == wl_output_interface.name) {
        auto* output = Bind<wl_output>(registry, name, wl_output_interface, version, 4);
        // Outputs told before the layer shell get their overlays once every global is known.
        if (globals_.LayerShell != nullptr && globals_.Compositor != nullptr &&
            globals_.Shm != nullptr) {
            AddOverlay(output, name);
        } else {
            unboundOutputs_.emplace_back(name, output);
        }
    }
}

void WaylandFlies::OnGlobalRemove(std::uint32_t name) {
    const auto found =
        std::find_if(overlays_.begin(), overlays_.end(),
                     [name](const auto& overlay) { return overlay->Name() == name; });
    if (found != overlays_.end()) {
        if (placedOn_ == found->get()) {
            placedOn_ = nullptr;
        }
        overlays_.erase(found);
        PlaceAll();
    }
}

void WaylandFlies::AddOverlay(wl_output* output, std::uint32_t name) {
    overlays_.push_back(std::make_unique<WaylandOverlay>(globals_, output, name, top_, [this] {
        // A new size or scale: the work area and the flies' input region are measured anew.
        inputChanged_ = inputUrgent_ = true;
        workAreaStale_ = true;
    }));
}

WaylandOverlay* WaylandFlies::Primary() const {
    for (const auto& overlay : overlays_) {
        if (overlay->Configured()) {
            return overlay.get();
        }
    }
    return nullptr;
}

void WaylandFlies::PlaceAll() {
    WaylandOverlay* primary = Primary();
    if (primary == placedOn_) {
        return;
    }
    if (placedOn_ != nullptr) {
        for (const auto& [id, window] : windows_) {
            placedOn_->Canvas().Set(id, {}, nullptr);
        }
    }
    placedOn_ = primary;
    UpdateWorkArea();
    for (const auto& [id, window] : windows_) {
        Place(*window);
    }
}

void WaylandFlies::Place(const WaylandFlyWindow& window, bool step) {
    if (placedOn_ == nullptr) {
        return;
    }
    const bool shown = window.IsVisible() && window.Picture() != nullptr;
    placedOn_->Canvas().Set(window.Id(), window.At(), shown ? &window.Picture()->Picture : nullptr);
    inputChanged_ = true;
    inputUrgent_ = inputUrgent_ || !step;
}

std::vector<Rect> WaylandFlies::InputRegion(const WaylandOverlay& overlay) {
    const double scale = overlay.Scale();
    const Rect clip = workArea_.value_or(Rect{});
    // The squares of every fly within the work area, and the rectangle around each fly's.
    std::vector<Rect> region;
    std::vector<Rect> bounds;
    for (const auto& [id, window] : windows_) {
        const CachedSprite* sprite = window->Picture();
        if (!window->IsVisible() || !window->InputEnabled() || sprite == nullptr) {
            continue;
        }
        // Squares of a few pixels: a quarter of the rectangles of the visible pixels themselves
        // (see Flush for their cost), and a click beside a fly still reaches the window below.
        auto [found, made] = pictureInput_.try_emplace(sprite->Id);
        if (made) {
            found->second = VisibleRects(
                sprite->Picture, std::max(1, static_cast<int>(std::lround(kInputSquare * scale))));
        }
        if (found->second.empty()) {
            continue;
        }
        const std::size_t first = region.size();
        const Point at = window->At();
        for (const Rect& rect : found->second) {
            const Rect shown = Intersection(
                {at.Left + rect.Left, at.Top + rect.Top, rect.Width, rect.Height}, clip);
            if (shown.Width > 0 && shown.Height > 0) {
                region.push_back(LogicalCover(shown, scale));
            }
        }
        if (region.size() == first) {
            continue;
        }
        bounds.push_back(region.back());
        for (std::size_t i = first; i < region.size(); ++i) {
            bounds.back() = Bounding(bounds.back(), region[i]);
        }
    }
    // NOTE: libwayland drops the connection when a burst of requests finds the socket full:
    // 500 flies' squares (about 4,500 rectangles, 100 kB) did. So many flies take their input
    // on the rectangle around their visible pixels.
    return region.size() <= kMaxInputRects ? region : bounds;
}

void WaylandFlies::Dispatch() {
    if (dispatching_ || wl_display_get_error(display_) != 0) {
        return;
    }
    dispatching_ = true;
    while (wl_display_prepare_read(display_) != 0) {
        wl_display_dispatch_pending(display_);
    }
    wl_display_flush(display_);
    pollfd descriptor{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&descriptor, 1, 0) > 0) {
        wl_display_read_events(display_);
    } else {
        wl_display_cancel_read(display_);
    }
    wl_display_dispatch_pending(display_);
    dispatching_ = false;
    DeliverInput();
}

void WaylandFlies::Flush() {
    Dispatch();
    if (wl_display_get_error(display_) != 0) {
        return;
    }
    PlaceAll();
    if (plasmaWorkArea_ != nullptr && plasmaWorkArea_->Update()) {
        workAreaStale_ = true;
    }
    if (workAreaStale_) {
        UpdateWorkArea();
    }
    try {
        for (const auto& overlay : overlays_) {
            // NOTE: the compositor merges a new input region rectangle by rectangle, at a cost
            // that grows with the square of their number: with 99 flies, a region at every
            // frame took sway (pixman) more time than drawing them. A walking fly's input
            // follows it ten times a second; one that stands still under the pointer has it
            // where it stands, and a fly shown or hidden changes it at the next frame.
            const auto now = std::chrono::steady_clock::now();
            if (overlay.get() == placedOn_ && inputChanged_ && overlay->ReadyForFrame() &&
                (inputUrgent_ || now - inputSent_ >= kInputInterval)) {
                overlay->SetInputRegion(InputRegion(*overlay));
                inputChanged_ = inputUrgent_ = false;
                inputSent_ = now;
            }
            if (overlay->WantsFrame()) {
                overlay->Commit();
            }
        }
    } catch (const Failure& failure) {
        // The frame waits for the next flush; the flies walk on.
        std::fprintf(stderr, "%s\n", failure.what());
    }
    wl_display_flush(display_);
}

void WaylandFlies::SetCursor(std::uint32_t serial) {
    constexpr int kCursorSize = 24;
    if (cursorTheme_ == nullptr) {
        cursorTheme_ = wl_cursor_theme_load(nullptr, kCursorSize, globals_.Shm);
        cursorSurface_ = wl_compositor_create_surface(globals_.Compositor);
    }
    wl_cursor* cursor =
        cursorTheme_ != nullptr ? wl_cursor_theme_get_cursor(cursorTheme_, "left_ptr") : nullptr;
    if (cursor == nullptr || cursor->image_count == 0) {
        return;
    }
    wl_cursor_image* image = cursor->images[0];
    wl_surface_attach(cursorSurface_, wl_cursor_image_get_buffer(image), 0, 0);
    wl_surface_damage_buffer(cursorSurface_, 0, 0, static_cast<std::int32_t>(image->width),
                             static_cast<std::int32_t>(image->height));
    wl_surface_commit(cursorSurface_);
    wl_pointer_set_cursor(pointer_, serial, cursorSurface_,
                          static_cast<std::int32_t>(image->hotspot_x),
                          static_cast<std::int32_t>(image->hotspot_y));
}

void WaylandFlies::PointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    pointerSurface_ = surface;
    if (placedOn_ == nullptr || surface != placedOn_->Surface()) {
        return;
    }
    const double scale = placedOn_->Scale();
    pointerX_ = static_cast<int>(wl_fixed_to_double(x) * scale);
    pointerY_ = static_cast<int>(wl_fixed_to_double(y) * scale);
    if (const std::uint32_t fly = placedOn_->Canvas().ItemAt(pointerX_, pointerY_)) {
        input_.push_back({fly, false});
    }
}

void WaylandFlies::Button(std::uint32_t time, std::uint32_t button, std::uint32_t state) {
    if (button != BTN_LEFT || state != WL_POINTER_BUTTON_STATE_PRESSED || placedOn_ == nullptr ||
        pointerSurface_ != placedOn_->Surface()) {
        return;
    }
    const std::uint32_t fly = placedOn_->Canvas().ItemAt(pointerX_, pointerY_);
    if (fly != 0 && doubleClick_.Press(fly, time, pointerX_, pointerY_)) {
        input_.push_back({fly, true});
    }
}

void WaylandFlies::DeliverInput() {
    std::vector<FlyInput> input;
    input.swap(input_);
    for (const FlyInput& each : input) {
        // A fly may be destroyed inside its handler; the next one is looked up afresh.
        const auto found = windows_.find(each.Fly);
        if (found == windows_.end() || !found->second->InputEnabled()) {
            continue;
        }
        if (each.DoubleClick) {
            found->second->Events().OnDoubleClick();
        } else {
            found->second->Events().OnMouseMove();
        }
    }
}

void WaylandFlies::SetLayer(bool top) {
    if (top == top_) {
        return;
    }
    top_ = top;
    for (const auto& overlay : overlays_) {
        overlay->SetLayer(top);
    }
}

std::unique_ptr<FlyWindow> WaylandFlies::CreateWindow(FlyEvents& events, const std::string&,
                                                      const Rect& bounds) {
    return std::make_unique<WaylandFlyWindow>(*this, events, bounds);
}

}  // namespace quillop
