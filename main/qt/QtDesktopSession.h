// What the desktop session adds to Qt's account of the screens. On XWayland a sway session
// tells the work area (sway writes none on XWayland's root window) and the windows the user
// raised over its socket; elsewhere Qt's own account stands.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "clFly/FlyWindow.h"
#include "clFly/StackingRules.h"

namespace quillop {

class SwaySession;

class DesktopSession final {
  public:
    // `raisedChanged` is called whenever RaisedWindows() changed.
    explicit DesktopSession(std::function<void()> raisedChanged);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Whether the X server is XWayland.
    bool Nested() const { return nested_; }
    // Whether the session tells which windows the user raised.
    bool RaisedWindowsKnown() const;
    const std::vector<RaisedWindow>& RaisedWindows() const;
    // The primary screen's size, work area and corner, in device pixels; the work area is
    // measured from the screen's corner.
    Size ScreenSize() const;
    Rect WorkArea() const;
    Point ScreenOrigin() const;

  private:
    bool nested_ = false;
    std::unique_ptr<SwaySession> sway_;
};

}  // namespace quillop
