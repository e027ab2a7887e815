// Fly windows as plain X windows on the application's own XCB connection.
//
// Errors: a screen without per-pixel alpha throws Failure when the display is made; after
// that a step has nothing to refuse, as the windows are made with an alpha channel.
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "clFly/DoubleClick.h"
#include "clFly/FlyWindow.h"
#include "clFly/StackingRules.h"
#include "clFly/x11/FlyStacking.h"
#include "clFly/x11/XcbPacer.h"
#include "clFly/x11/XcbSprites.h"

namespace quillop {

class XcbFlyWindow;
class FlyTimers;
class TimerWake;

// The fly windows of one X screen: creates them and hands them their events. They bypass the
// window manager, which would otherwise have to answer every step of every fly.
class XcbFlyDisplay {
  public:
    // Throws Failure when the screen cannot show windows with per-pixel alpha. The flies'
    // timers run on the wake-up, which must outlive the display. On XWayland (`xwayland`)
    // each fly window covers only a box around the visible pixels of its pictures.
    XcbFlyDisplay(xcb_connection_t* connection, int screenNumber, DoubleClickRules rules,
                  TimerWake& wake, bool xwayland);
    ~XcbFlyDisplay();
    XcbFlyDisplay(const XcbFlyDisplay&) = delete;
    XcbFlyDisplay& operator=(const XcbFlyDisplay&) = delete;

    std::unique_ptr<FlyWindow> CreateWindow(FlyEvents& events, const std::string& name,
                                            const Rect& bounds);
    // Handles an event of the connection; true when it belonged to a fly window and nobody
    // else needs it. The fly may be destroyed inside.
    bool Dispatch(const xcb_generic_event_t* event);
    // Sends the flies' newest places and pictures once the server has handled those sent
    // before, and puts the top-most flies back on top if another window came above them;
    // called before the event loop sleeps.
    void Flush();
    // The socket of the connection that watches the other windows' stacking; Flush takes
    // what it brings. -1 when nothing is watched.
    int StackingWatch() const { return stacking_.FileDescriptor(); }
    // The flies' scale (one of kFlyScales): each fly takes it up at its next step.
    void SetScale(double scale) { scale_ = scale; }
    // The other programs' windows, where the compositor draws the flies above them all
    // whatever their stacking: a fly that is not top-most hides while a window raised since
    // it was lowered overlaps it.
    void SetRaisedWindows(std::vector<RaisedWindow> windows);

  private:
    friend class XcbFlyWindow;

    enum AtomName {
        kWmProtocols,
        kWmDeleteWindow,
        kNetWmName,
        kUtf8String,
        kNetWmState,
        kNetWmStateSkipTaskbar,
        kNetWmStateSkipPager,
        kNetWmStateAbove,
        kNetWmWindowType,
        kNetWmWindowTypeUtility,
        kNetWmPid,
        kAtomCount
    };

    // Gives every fly the bounding shape that suits the compositing state.
    void ApplyCompositing();
    // What a child of the root window is to the flies.
    FlyStacking::Role RoleOf(xcb_window_t window) const;

    xcb_connection_t* connection_;
    XcbSprites sprites_;
    DoubleClick doubleClick_;
    std::unique_ptr<FlyTimers> timers_;
    FlyStacking stacking_;
    xcb_atom_t atoms_[kAtomCount] = {};
    std::unordered_map<xcb_window_t, XcbFlyWindow*> windows_;
    XcbPacer pacer_;
    std::vector<RaisedWindow> raised_;
    // The fly windows that are mapped.
    int shownCount_ = 0;
    double scale_ = 1.0;
};

}  // namespace quillop
