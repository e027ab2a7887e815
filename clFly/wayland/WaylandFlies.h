// The native Wayland fly display: its own connection to the compositor, one overlay per output
// (WaylandOverlay), and the fly windows as records drawn into the primary output's overlay.
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
#include <unordered_map>
#include <vector>

#include "clFly/DoubleClick.h"
#include "clFly/FlyDisplay.h"
#include "clFly/FlyTimers.h"
#include "clFly/wayland/WaylandOverlay.h"
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
    // The work area on an overlay, in its logical pixels.
    Rect LogicalWorkArea(const WaylandOverlay& overlay) const;
    // The work area on an overlay, in its device pixels.
    Rect DeviceWorkArea(const WaylandOverlay& overlay) const;
    // Measures the work area on the primary overlay anew and cuts the flies at its edge.
    void UpdateWorkArea();
    // Puts every fly into the primary overlay again (a new primary, or a new size).
    void PlaceAll();
    // Puts a fly's picture where it stands now, or takes it away; `step` for a fly that only
    // walked on, whose input may follow it a little later.
    void Place(const WaylandFlyWindow& window, bool step = false);
    // An overlay's input region: the visible pixels of the flies that take input, within the
    // work area.
    std::vector<Rect> InputRegion(const WaylandOverlay& overlay);
    // Reads the compositor's events without waiting, and handles them.
    void Dispatch();
    // Shows the arrow over the overlay, which would otherwise show no pointer at all.
    void SetCursor(std::uint32_t serial);
    // The pointer at (x, y) in the logical pixels of a surface.
    void PointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void Button(std::uint32_t time, std::uint32_t button, std::uint32_t state);
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
    std::uint32_t seatName_ = 0;
    wl_pointer* pointer_ = nullptr;
    wl_cursor_theme* cursorTheme_ = nullptr;
    wl_surface* cursorSurface_ = nullptr;
    // The surface under the pointer, and where on it in device pixels.
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
    // Whether the input region is to change, and whether at once (a fly shown, hidden or
    // stopped taking input) rather than at the next turn; when it was last sent.
    bool inputChanged_ = true;
    bool inputUrgent_ = true;
    std::chrono::steady_clock::time_point inputSent_;
    // The rectangles of each picture's visible pixels, by the picture's cache id.
    std::unordered_map<int, std::vector<Rect>> pictureInput_;
    // Plasma's work area, which its layer shell does not keep (null elsewhere).
    std::unique_ptr<XWaylandWorkArea> plasmaWorkArea_;
    // The work area on the primary overlay in device pixels, and whether it is to be measured
    // again (an overlay's new size or scale, or Plasma's new work area).
    std::optional<Rect> workArea_;
    bool workAreaStale_ = true;
};

// A fly window: a record of where the fly stands and which picture it shows, drawn into the
// primary overlay with the others.
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

    std::uint32_t Id() const { return id_; }
    FlyEvents& Events() { return events_; }
    bool InputEnabled() const { return inputEnabled_; }
    Point At() const { return at_; }
    const CachedSprite* Picture() const { return sprite_; }

  private:
    void OnTimerExpiry() override { events_.OnTimer(); }

    WaylandFlies& display_;
    FlyEvents& events_;
    std::uint32_t id_;
    std::int64_t timerId_ = 0;
    Point at_;
    const CachedSprite* sprite_ = nullptr;
    bool visible_ = false;
    bool inputEnabled_ = true;
};

}  // namespace quillop
