// One output's overlay: a layer-shell surface over the output's usable area (the panels keep
// their exclusive zones), which shows a single transparent pixel and takes no input itself.
// The flies are subsurfaces of the primary output's overlay; the overlay's size is their work
// area, its scale theirs, and its commit moves them all at once.
//
// Errors: a buffer that cannot be made throws Failure.
#pragma once

#include <fractional-scale-v1-client-protocol.h>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "clFly/wayland/WaylandShm.h"

namespace quillop {

// The compositor's globals the overlays are made with; the optional ones are null when absent.
struct WaylandGlobals {
    wl_compositor* Compositor = nullptr;
    wl_subcompositor* Subcompositor = nullptr;
    wl_shm* Shm = nullptr;
    zwlr_layer_shell_v1* LayerShell = nullptr;
    std::uint32_t LayerShellVersion = 0;
    wp_viewporter* Viewporter = nullptr;
    wp_fractional_scale_manager_v1* FractionalScale = nullptr;
};

class WaylandOverlay {
  public:
    // Takes the bound output (its registry name `name`) and asks for an overlay on it, above
    // the windows (`top`) or below them. `changed` is called when its size or scale changed.
    WaylandOverlay(const WaylandGlobals& globals, wl_output* output, std::uint32_t name, bool top,
                   std::function<void()> changed);
    ~WaylandOverlay();
    WaylandOverlay(const WaylandOverlay&) = delete;
    WaylandOverlay& operator=(const WaylandOverlay&) = delete;

    std::uint32_t Name() const { return name_; }
    // The output's name ("HEADLESS-1"), once the compositor told it.
    const std::string& OutputName() const { return outputName_; }
    wl_surface* Surface() const { return surface_; }
    // Whether the compositor gave the overlay its size.
    bool Configured() const { return layer_ != nullptr && logicalWidth_ > 0; }
    // Where the output stands among the outputs, in logical pixels.
    Point Position() const { return position_; }
    // Whether the compositor gave the overlay the whole output, panels and all.
    bool CoversOutput() const;
    // The size the compositor gave, in logical and in device pixels.
    Size LogicalSize() const { return {logicalWidth_, logicalHeight_}; }
    Size DeviceSize() const;
    // Device pixels per logical pixel.
    double Scale() const;
    // Whether the fly pictures take the scale from a viewport (a fractional scale) rather than
    // from the buffer scale.
    bool Fractional() const { return fractional_ != nullptr && scale120_ != 0; }
    // The whole-number buffer scale of the flies' pictures when not Fractional.
    int BufferScale() const { return outputScale_; }
    // Puts the overlay above the windows or below them.
    void SetLayer(bool top);
    // Asks for a commit at the next frame (the flies on it changed).
    void WantCommit() { commitWanted_ = true; }
    // Whether the compositor drew the frame before, so that another may be committed.
    bool ReadyForFrame() const { return Configured() && frame_ == nullptr; }
    // Whether a commit is wanted and the compositor is ready for it.
    bool WantsFrame() const { return ReadyForFrame() && commitWanted_; }
    // Commits the overlay, and with it the flies' places and pictures, with a frame callback.
    void Commit();

  private:
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const wl_output_listener kOutputListener;
    static const wp_fractional_scale_v1_listener kFractionalListener;
    static const wl_callback_listener kFrameListener;

    // Makes the layer surface and commits it without a buffer, so that the compositor sizes it.
    void CreateLayerSurface();
    void DestroyLayerSurface();
    void OnConfigure(std::uint32_t serial, std::uint32_t width, std::uint32_t height);
    // Tells the flies when the size or the scale is new.
    void Changed();

    const WaylandGlobals& globals_;
    wl_output* output_;
    std::uint32_t name_;
    std::string outputName_;
    Point position_;
    Size mode_;
    bool top_;
    std::function<void()> changed_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wl_callback* frame_ = nullptr;
    std::unique_ptr<ShmPicture> pixel_;
    // The output's whole-number scale, and the preferred scale in 120ths (0 until told).
    int outputScale_ = 1;
    std::uint32_t scale120_ = 0;
    // The logical size the compositor gave, and what the flies were last told.
    int logicalWidth_ = 0;
    int logicalHeight_ = 0;
    double toldScale_ = 0;
    Size toldSize_;
    bool commitWanted_ = false;
};

}  // namespace quillop
