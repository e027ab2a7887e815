#include "clFly/wayland/WaylandOverlay.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace quillop {

namespace {

constexpr char kNamespace[] = "quillop";

}  // namespace

const zwlr_layer_surface_v1_listener WaylandOverlay::kLayerListener = {
    .configure =
        [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
           std::uint32_t height) {
            static_cast<WaylandOverlay*>(data)->OnConfigure(serial, width, height);
        },
    .closed =
        [](void* data, zwlr_layer_surface_v1*) {
            // The compositor took the overlay away (its output is going): nothing is drawn.
            auto* self = static_cast<WaylandOverlay*>(data);
            self->DestroyLayerSurface();
            self->logicalWidth_ = self->logicalHeight_ = 0;
            self->ApplySize();
        },
};

const wl_output_listener WaylandOverlay::kOutputListener = {
    .geometry =
        [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
           std::int32_t, const char*, const char*, std::int32_t) {
            static_cast<WaylandOverlay*>(data)->position_ = {x, y};
        },
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t) {
            if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
                static_cast<WaylandOverlay*>(data)->mode_ = {width, height};
            }
        },
    .done = [](void* data, wl_output*) { static_cast<WaylandOverlay*>(data)->ApplySize(); },
    .scale = [](void* data, wl_output*,
                std::int32_t factor) { static_cast<WaylandOverlay*>(data)->outputScale_ = factor; },
    .name = [](void* data, wl_output*,
               const char* name) { static_cast<WaylandOverlay*>(data)->outputName_ = name; },
    .description = [](void*, wl_output*, const char*) {},
};

const wp_fractional_scale_v1_listener WaylandOverlay::kFractionalListener = {
    .preferred_scale =
        [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
            auto* self = static_cast<WaylandOverlay*>(data);
            self->scale120_ = scale;
            self->ApplySize();
        },
};

const wl_callback_listener WaylandOverlay::kFrameListener = {
    .done =
        [](void* data, wl_callback* callback, std::uint32_t) {
            auto* self = static_cast<WaylandOverlay*>(data);
            wl_callback_destroy(callback);
            self->frame_ = nullptr;
        },
};

WaylandOverlay::WaylandOverlay(const WaylandGlobals& globals, wl_output* output, std::uint32_t name,
                               bool top, std::function<void()> changed)
    : globals_(globals), output_(output), name_(name), top_(top), changed_(std::move(changed)) {
    wl_output_add_listener(output_, &kOutputListener, this);
    surface_ = wl_compositor_create_surface(globals.Compositor);
    // NOTE: with a fractional scale the buffer has the output's device pixels and the viewport
    // shows it at the logical size; without one the buffer takes the output's whole-number
    // scale, so that a fly is drawn crisp either way.
    if (globals.FractionalScale != nullptr && globals.Viewporter != nullptr) {
        fractional_ =
            wp_fractional_scale_manager_v1_get_fractional_scale(globals.FractionalScale, surface_);
        wp_fractional_scale_v1_add_listener(fractional_, &kFractionalListener, this);
        viewport_ = wp_viewporter_get_viewport(globals.Viewporter, surface_);
    }
    CreateLayerSurface();
}

WaylandOverlay::~WaylandOverlay() {
    if (frame_ != nullptr) {
        wl_callback_destroy(frame_);
    }
    DestroyLayerSurface();
    buffers_.clear();
    if (viewport_ != nullptr) {
        wp_viewport_destroy(viewport_);
    }
    if (fractional_ != nullptr) {
        wp_fractional_scale_v1_destroy(fractional_);
    }
    wl_surface_destroy(surface_);
    if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(output_);
    } else {
        wl_output_destroy(output_);
    }
}

void WaylandOverlay::CreateLayerSurface() {
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        globals_.LayerShell, surface_, output_,
        top_ ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, kNamespace);
    zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // Zero: the overlay keeps out of the panels' exclusive zones and reserves none of its own.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, 0);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, 0);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    // No input until the flies' pixels are known.
    inputChanged_ = true;
    wl_region* none = wl_compositor_create_region(globals_.Compositor);
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
    wl_surface_commit(surface_);
}

void WaylandOverlay::DestroyLayerSurface() {
    if (layer_ != nullptr) {
        zwlr_layer_surface_v1_destroy(layer_);
        layer_ = nullptr;
        // A new layer surface needs the wl_surface without a buffer.
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
    }
}

bool WaylandOverlay::CoversOutput() const {
    // The output's mode may be turned a quarter.
    const Size device = canvas_.Extent();
    const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    return (near(device.Width, mode_.Width) && near(device.Height, mode_.Height)) ||
           (near(device.Width, mode_.Height) && near(device.Height, mode_.Width));
}

double WaylandOverlay::Scale() const {
    return scale120_ != 0 ? scale120_ / 120.0 : outputScale_;
}

void WaylandOverlay::SetLayer(bool top) {
    if (top == top_) {
        return;
    }
    top_ = top;
    if (layer_ == nullptr) {
        return;
    }
    if (globals_.LayerShellVersion >= ZWLR_LAYER_SURFACE_V1_SET_LAYER_SINCE_VERSION) {
        zwlr_layer_surface_v1_set_layer(
            layer_, top ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM);
        commitWanted_ = true;
        return;
    }
    // NOTE: the first layer shell has no set_layer: the surface is made again on the other
    // layer, and configured anew.
    DestroyLayerSurface();
    logicalWidth_ = logicalHeight_ = 0;
    ApplySize();
    CreateLayerSurface();
}

void WaylandOverlay::OnConfigure(std::uint32_t serial, std::uint32_t width, std::uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer_, serial);
    logicalWidth_ = static_cast<int>(width);
    logicalHeight_ = static_cast<int>(height);
    appliedScale_ = 0;
    ApplySize();
    commitWanted_ = true;
}

void WaylandOverlay::ApplySize() {
    const double scale = Scale();
    const Size device{static_cast<int>(std::lround(logicalWidth_ * scale)),
                      static_cast<int>(std::lround(logicalHeight_ * scale))};
    const Size now = canvas_.Extent();
    if (scale == appliedScale_ && device.Width == now.Width && device.Height == now.Height) {
        return;
    }
    appliedScale_ = scale;
    canvas_.Resize(device);
    buffers_.clear();
    frameDamage_.assign(1, {0, 0, device.Width, device.Height});
    if (viewport_ != nullptr && scale120_ != 0) {
        wl_surface_set_buffer_scale(surface_, 1);
        if (logicalWidth_ > 0 && logicalHeight_ > 0) {
            wp_viewport_set_destination(viewport_, logicalWidth_, logicalHeight_);
        }
    } else {
        wl_surface_set_buffer_scale(surface_, outputScale_);
    }
    inputChanged_ = true;
    commitWanted_ = true;
    if (changed_) {
        changed_();
    }
}

void WaylandOverlay::SetInputRegion(std::vector<Rect> logical) {
    if (logical != input_) {
        input_ = std::move(logical);
        inputChanged_ = true;
    }
}

bool WaylandOverlay::ReadyForFrame() const {
    return layer_ != nullptr && Configured() && frame_ == nullptr;
}

bool WaylandOverlay::WantsFrame() const {
    return ReadyForFrame() &&
           (commitWanted_ || inputChanged_ || canvas_.Damaged() || !frameDamage_.empty());
}

void WaylandOverlay::Commit() {
    const std::vector<Rect> drawn = canvas_.Paint();
    frameDamage_.insert(frameDamage_.end(), drawn.begin(), drawn.end());
    ShmBuffer* buffer = nullptr;
    for (auto& each : buffers_) {
        each->AddStale(drawn);
        if (buffer == nullptr && !each->Busy()) {
            buffer = each.get();
        }
    }
    // A second buffer only while the compositor still reads the first; the next frame waits
    // for a buffer to come back rather than making a third.
    if (buffer == nullptr && buffers_.size() < 2) {
        buffers_.push_back(std::make_unique<ShmBuffer>(globals_.Shm, canvas_.Extent()));
        buffer = buffers_.back().get();
    }
    if (buffer == nullptr) {
        return;
    }
    buffer->CopyStale(canvas_);
    wl_surface_attach(surface_, buffer->Buffer(), 0, 0);
    for (const Rect& rect : frameDamage_) {
        wl_surface_damage_buffer(surface_, rect.Left, rect.Top, rect.Width, rect.Height);
    }
    frameDamage_.clear();
    if (inputChanged_) {
        wl_region* region = wl_compositor_create_region(globals_.Compositor);
        for (const Rect& rect : input_) {
            wl_region_add(region, rect.Left, rect.Top, rect.Width, rect.Height);
        }
        wl_surface_set_input_region(surface_, region);
        wl_region_destroy(region);
        inputChanged_ = false;
    }
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kFrameListener, this);
    wl_surface_commit(surface_);
    buffer->MarkBusy();
    commitWanted_ = false;
}

}  // namespace quillop
