// The native Wayland fly display: its own connection to the compositor, one overlay per output
// (WaylandOverlay), and each fly window a subsurface of the primary output's overlay, which
// shows one of the pictures shared by every fly and takes pointer input on its visible pixels.
//
// Errors: a compositor that cannot be reached, or offers no layer shell, throws Failure when
// the display is made.
#pragma once

#include <wayland-client.h>
#include <wayland-cursor.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clFly/DoubleClick.h"
#include "clFly/FlyDisplay.h"
#include "clFly/FlyTimers.h"
#include "clFly/wayland/WaylandOverlay.h"
#include "clFly/wayland/WaylandPictures.h"
#include "clFly/wayland/XWaylandWorkArea.h"

namespace quillop {

class WaylandFlyWindow;

class WaylandFlies final : public FlyDisplay {
  public:
    // Connects to $WAYLAND_DISPLAY and waits for the overlays' first sizes; throws Failure.
    explicit WaylandFlies(const FlyDisplaySetup& setup);
    ~WaylandFlies() override;
    WaylandFlies(const WaylandFlies&) = delete;
    WaylandFlies& operator=(const WaylandFlies&) = delete;

    std::unique_ptr<FlyWindow> CreateWindow(FlyEvents& events, const std::string& name,
                                            const Rect& bounds) override;
    // The flies take the scale of their output instead of the toolkit's.
    void SetScale(double) override {}
    std::optional<Rect> WorkArea() const override;
    std::optional<Rect> ScreenBounds() const override;
    void SetRaisedWindows(std::vector<RaisedWindow>) override {}
    int WakeDescriptor() const override { return wl_display_get_fd(display_); }
    // Takes the compositor's events, draws a frame on each overlay that is ready for one and
    // sends what waits; never blocks.
    void Flush() override;
    bool HandleNativeEvent(std::string_view, const void*) override { return false; }
    std::uint64_t ActiveWindow() const override { return 0; }
    void Activate(std::uint64_t) const override {}
    void NameWindow(std::uint64_t, std::string_view, std::string_view) const override {}
    void PrepareDialog(std::uint64_t) const override {}
    bool HasOwnTray() const override { return false; }
    double ScaleHintDpi() const override { return 0; }

  private:
    friend class WaylandFlyWindow;

    // What the pointer did to a fly, handed on once the compositor's events are read.
    struct FlyInput {
        std::uint32_t Fly;
        bool DoubleClick;
    };

    static const wl_registry_listener kRegistryListener;
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;

    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                  std::uint32_t version);
    void OnGlobalRemove(std::uint32_t name);
    // Makes the overlay of an output bound now.
    void AddOverlay(wl_output* output, std::uint32_t name);
    // The overlay the flies walk on: the first output's; null before it has a size.
    WaylandOverlay* Primary() const;
    // Puts every fly on the primary overlay again (a new primary, or a new size or scale).
    void PlaceAll();
    // Notes that a fly's place, picture or input changed, to be sent with the next frame.
    void Place(WaylandFlyWindow& window);
    // The work area on the primary overlay, in its logical pixels.
    Rect LogicalWorkArea() const;
    // Reads the compositor's events without waiting, and handles them.
    void Dispatch();
    // Shows the arrow over a fly, which would otherwise show no pointer at all.
    void SetCursor(std::uint32_t serial);
    // The pointer at (x, y) in the logical pixels of a surface.
    void PointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void Button(std::uint32_t time, std::uint32_t button, std::uint32_t state);
    // The fly shown by a surface; 0 for none.
    std::uint32_t FlyOf(wl_surface* surface) const;
    // Hands the flies what the pointer did to them.
    void DeliverInput();
    // Whether the flies are above the windows.
    void SetLayer(bool top);

    FlyDisplaySetup setup_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    WaylandGlobals globals_;
    std::vector<std::pair<std::uint32_t, wl_output*>> unboundOutputs_;
    std::vector<std::unique_ptr<WaylandOverlay>> overlays_;
    WaylandOverlay* placedOn_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_cursor_theme* cursorTheme_ = nullptr;
    wl_surface* cursorSurface_ = nullptr;
    // The surface under the pointer, and where in device pixels of the primary overlay.
    wl_surface* pointerSurface_ = nullptr;
    int pointerX_ = 0;
    int pointerY_ = 0;
    std::vector<FlyInput> input_;
    bool dispatching_ = false;
    DoubleClick doubleClick_;
    std::unique_ptr<FlyTimers> timers_;
    std::map<std::uint32_t, WaylandFlyWindow*> windows_;
    std::uint32_t lastId_ = 0;
    bool top_ = true;
    // Whether some fly has changes that wait for the next frame.
    bool changed_ = false;
    std::unique_ptr<WaylandPictures> pictures_;
    // Plasma's work area, which its layer shell does not keep (null elsewhere).
    std::unique_ptr<XWaylandWorkArea> plasmaWorkArea_;
};

// A fly window: a subsurface of the primary overlay, which shows the fly's picture where it
// stands once the overlay commits.
class WaylandFlyWindow final : public FlyWindow, private TimerTarget {
  public:
    WaylandFlyWindow(WaylandFlies& display, FlyEvents& events, const Rect& bounds);
    ~WaylandFlyWindow() override;

    void StartTimer(int intervalMs) override;
    void StopTimer() override;
    PresentResult Present(Point at, const CachedSprite* sprite) override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override { return visible_; }
    void SetInputEnabled(bool enabled) override;
    void SetTopMost(bool topMost) override { display_.SetLayer(topMost); }
    double Scale() const override;

  private:
    friend class WaylandFlies;

    void OnTimerExpiry() override { events_.OnTimer(); }
    // Sends what changed to the subsurface on the overlay, cut to `clip` (logical pixels).
    void Apply(const WaylandOverlay& overlay, const Rect& clip);
    // Shows the part `crop` of a picture (logical pixels).
    void ShowPicture(const WaylandOverlay& overlay, const WaylandPictures::Picture& picture,
                     const Rect& crop);
    // Shows nothing until the next picture.
    void Unmap();
    // Takes the subsurface away from its overlay; the fly is shown again from scratch.
    void Detach();

    WaylandFlies& display_;
    FlyEvents& events_;
    std::uint32_t id_;
    std::int64_t timerId_ = 0;
    Point at_;
    const CachedSprite* sprite_ = nullptr;
    bool visible_ = false;
    bool inputEnabled_ = true;
    // The fly's surface, and what the compositor was last sent of it.
    wl_surface* surface_ = nullptr;
    wl_subsurface* subsurface_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    const WaylandPictures::Picture* shown_ = nullptr;
    bool shownInput_ = false;
    Rect crop_;
    std::optional<Point> place_;
    bool changed_ = true;
};

}  // namespace quillop
