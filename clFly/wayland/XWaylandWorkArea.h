// The work area the window manager keeps on XWayland's root window (_NET_WORKAREA). NOTE:
// KWin 5.27 lays layer surfaces over Plasma's panels, which are no layer surfaces; this is
// where it tells the panels' room, to X programs.
#pragma once

#include <xcb/xcb.h>

#include <optional>

#include "clFly/FlyWindow.h"

namespace quillop {

class XWaylandWorkArea {
  public:
    // Connects to $DISPLAY and watches its root window; there is no work area without one.
    XWaylandWorkArea();
    ~XWaylandWorkArea();
    XWaylandWorkArea(const XWaylandWorkArea&) = delete;
    XWaylandWorkArea& operator=(const XWaylandWorkArea&) = delete;

    // Reads what changed without waiting; true when the work area did.
    bool Update();
    // The current desktop's work area, in the root window's pixels.
    std::optional<Rect> Area() const { return area_; }
    // The root window's size.
    Size Root() const { return root_; }

  private:
    // Reads the work area anew.
    void Read();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t rootWindow_ = 0;
    xcb_atom_t workArea_ = 0;
    xcb_atom_t currentDesktop_ = 0;
    std::optional<Rect> area_;
    Size root_;
};

}  // namespace quillop
