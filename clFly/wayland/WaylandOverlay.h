// One output's overlay: a layer-shell surface over the output's usable area (the panels keep
// their exclusive zones), drawn from a FlyCanvas in device pixels, taking pointer input only
// where the flies' visible pixels are.
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
#include <vector>

#include "clFly/FlyCanvas.h"
#include "clFly/wayland/WaylandShm.h"

namespace quillop {

// The compositor's globals the overlays are made with; the optional ones are null when absent.
struct WaylandGlobals {
    wl_compositor* Compositor = nullptr;
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
    bool Configured() const { return canvas_.Extent().Width > 0; }
    // Where the output stands among the outputs, and the overlay's size, in logical pixels.
    Point Position() const { return position_; }
    Size LogicalSize() const { return {logicalWidth_, logicalHeight_}; }
    // Whether the compositor gave the overlay the whole output, panels and all.
    bool CoversOutput() const;
    // Device pixels per logical pixel.
    double Scale() const;
    FlyCanvas& Canvas() { return canvas_; }
    const FlyCanvas& Canvas() const { return canvas_; }
    // Puts the overlay above the windows or below them.
    void SetLayer(bool top);
    // Where the overlay takes pointer input from the next frame on, in logical pixels.
    void SetInputRegion(std::vector<Rect> logical);
    // Whether the compositor drew the frame before, so that another may be committed.
    bool ReadyForFrame() const;
    // Whether a frame is due: something changed and the compositor drew the frame before.
    bool WantsFrame() const;
    // Draws what changed into a free buffer and commits it, with a frame callback.
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
    // Sizes the canvas and the buffers for the logical size at the current scale.
    void ApplySize();

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
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wl_callback* frame_ = nullptr;
    // The output's whole-number scale, and the preferred scale in 120ths (0 until told).
    int outputScale_ = 1;
    std::uint32_t scale120_ = 0;
    // The logical size the compositor gave, and the scale the canvas was made for.
    int logicalWidth_ = 0;
    int logicalHeight_ = 0;
    double appliedScale_ = 0;
    FlyCanvas canvas_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    // What changed since the last commit, and whether a commit is due for other reasons.
    std::vector<Rect> frameDamage_;
    std::vector<Rect> input_;
    bool inputChanged_ = true;
    bool commitWanted_ = false;
};

}  // namespace quillop
