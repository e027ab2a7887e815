// A desktop's fly display: where the fly windows are made, and the few things the application
// shell asks of the desktop around its own windows. Platform-free, so that the shell speaks to
// every display alike: native windows travel as numbers, native events as a type's name and a
// pointer, and a display wakes the shell's loop through a file descriptor.
//
// Errors: the first fly window may throw Failure (a screen without per-pixel alpha); nothing
// else is reported: a window that is gone answers 0 or does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clFly/DoubleClick.h"
#include "clFly/FlyTimers.h"
#include "clFly/FlyWindow.h"
#include "clFly/StackingRules.h"

namespace quillop {

// What a display tells the shell.
class FlyDisplayEvents {
  public:
    virtual ~FlyDisplayEvents() = default;
    // The desktop's own scale hint (ScaleHintDpi) changed.
    virtual void OnScaleHintChanged() = 0;
};

// What the shell hands a display as it is made.
struct FlyDisplaySetup {
    // The toolkit's connection to the display server (xcb_connection_t* on X11).
    void* Connection = nullptr;
    DoubleClickRules DoubleClick;
    // The flies' timers run on it; it outlives the display.
    TimerWake* Wake = nullptr;
    FlyDisplayEvents* Events = nullptr;
    // Whether the display server is nested in a Wayland session (XWayland).
    bool Nested = false;
    // Whether the desktop session tells which windows the user raised (SetRaisedWindows).
    bool RaisedWindowsKnown = false;
};

class FlyDisplay {
  public:
    virtual ~FlyDisplay() = default;

    // Makes a fly window; the first one may throw Failure.
    virtual std::unique_ptr<FlyWindow> CreateWindow(FlyEvents& events, const std::string& name,
                                                    const Rect& bounds) = 0;
    // The flies' scale (one of kFlyScales): each fly takes it up at its next step.
    virtual void SetScale(double scale) = 0;
    // The work area when the display knows it better than the toolkit; nothing otherwise.
    virtual std::optional<Rect> WorkArea() const { return std::nullopt; }
    // The primary screen where the display places the flies itself: its corner (where the
    // walker measures from) and its size; nothing when the toolkit's account stands.
    virtual std::optional<Rect> ScreenBounds() const { return std::nullopt; }
    // The windows the user raised, where the compositor draws every fly above every window.
    virtual void SetRaisedWindows(std::vector<RaisedWindow> windows) = 0;
    // A descriptor that becomes readable when the display has something for Flush; -1 if none.
    virtual int WakeDescriptor() const = 0;
    // Sends what waits for the display server; called before the loop sleeps.
    virtual void Flush() = 0;
    // Handles an event of the toolkit's connection; true when nobody else needs it.
    virtual bool HandleNativeEvent(std::string_view type, const void* event) = 0;

    // The window that has the focus (0 when none), and giving the focus back to it.
    virtual std::uint64_t ActiveWindow() const = 0;
    virtual void Activate(std::uint64_t window) const = 0;
    // Names one of the shell's windows for other programs (instance) and the desktop (class).
    virtual void NameWindow(std::uint64_t window, std::string_view instance,
                            std::string_view className) const = 0;
    // Asks for a dialog's frame (no buttons, no taskbar entry) before each show.
    virtual void PrepareDialog(std::uint64_t window) const = 0;
    // Whether a tray of the display's own (XEmbed) takes icons.
    virtual bool HasOwnTray() const = 0;
    // The dots per inch the desktop asks for (X resources' Xft.dpi); 0 when it names none.
    virtual double ScaleHintDpi() const = 0;
};

}  // namespace quillop
