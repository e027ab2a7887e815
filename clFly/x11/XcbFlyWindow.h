// Fly windows as plain X windows on the application's own XCB connection.
//
// Errors: a screen without per-pixel alpha throws Failure when the display is made; after
// that a step has nothing to refuse, as the windows are made with an alpha channel.
#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "clFly/DoubleClick.h"
#include "clFly/FlyTimers.h"
#include "clFly/FlyWindow.h"
#include "clFly/StackingRules.h"
#include "clFly/x11/FlyStacking.h"
#include "clFly/x11/XcbPacer.h"
#include "clFly/x11/XcbSprites.h"

namespace quillop {

class XcbFlyWindow;

// The fly windows of one X screen: creates them and hands them their events. They bypass the
// window manager, which would otherwise have to answer every step of every fly.
class XcbFlyDisplay {
  public:
    // Throws Failure when the screen cannot show windows with per-pixel alpha. The flies'
    // timers run on the wake-up, which must outlive the display. On XWayland (`xwayland`)
    // each fly window covers only a box around the visible pixels of its pictures. With
    // `managedBelow`, for a compositor that draws the windows bypassing its window manager above
    // all others, a fly that is not top-most is a window the window manager stacks.
    XcbFlyDisplay(xcb_connection_t* connection, int screenNumber, DoubleClickRules rules,
                  TimerWake& wake, bool xwayland, bool managedBelow);
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
        kMotifWmHints,
        kAtomCount
    };

    // Gives every fly the bounding shape that suits the compositing state.
    void ApplyCompositing();
    // Hands a fly to the window manager, or takes it back, when the flies before it are done.
    void QueueHandover(XcbFlyWindow& window);
    // Forgets a fly that is going.
    void ForgetHandover(XcbFlyWindow& window);
    // Hands over the next fly once the window manager has mapped the one before, or given up.
    void HandOverNext();
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
    bool managedBelow_;
    // NOTE: a window manager takes a while over each window it manages: 99 flies handed to
    // GNOME Shell at once stopped every X client for up to half a minute. They go one at a
    // time: the flies waiting, the one the window manager is taking now, and when the last one
    // was handed over.
    std::deque<XcbFlyWindow*> handovers_;
    XcbFlyWindow* handing_ = nullptr;
    std::int64_t handingSinceMs_ = 0;
    // When a fly window was last mapped for a fly that was shown.
    std::int64_t shownAtMs_ = 0;
    std::vector<RaisedWindow> raised_;
    // The fly windows that are mapped.
    int shownCount_ = 0;
    double scale_ = 1.0;
};

// One fly's X window: 32-bit ARGB and override-redirect, so no window manager frames, focuses,
// lists or stacks it; or, while it is not top-most on a display that wants it so, a window the
// window manager stacks among the others, without a frame or the focus.
class XcbFlyWindow final : public FlyWindow, private TimerTarget, private PacedWindow {
  public:
    XcbFlyWindow(XcbFlyDisplay& display, FlyTimers& timers, FlyEvents& events,
                 const std::string& name, const Rect& bounds);
    ~XcbFlyWindow() override;

    void StartTimer(int intervalMs) override;
    void StopTimer() override;
    PresentResult Present(Point at, const CachedSprite* sprite) override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override { return mapped_; }
    bool IsTopMost() const { return topMost_; }
    void SetInputEnabled(bool enabled) override { inputEnabled_ = enabled; }
    void SetTopMost(bool topMost) override;
    double Scale() const override { return display_.scale_; }

    xcb_window_t Id() const { return window_; }
    FlyEvents& Events() { return events_; }
    bool InputEnabled() const { return inputEnabled_; }
    // Clips the window to the solid pixels when nothing composites, and not at all otherwise.
    void ApplyBoundingShape();
    // Hides the shown fly while a window raised since it was lowered covers it, and shows it
    // again when none does.
    void UpdateCover();
    // The window manager (or the server) has placed the window.
    void OnConfigured() { awaitingMove_ = false; }
    // Makes the window managed or override-redirect, as the display and its state want it;
    // true when the window manager is to map it.
    bool HandOver();

  private:
    void OnTimerExpiry() override;
    bool SendStep() override;
    // Shows the picture as the window's background, and cuts the window to it.
    void ShowPicture(const XcbSprite& sprite);
    // Writes the _NET_WM_STATE list, which tells compositors and tools what the fly is.
    void WriteStateProperty();

    XcbFlyDisplay& display_;
    FlyTimers& timers_;
    FlyEvents& events_;
    xcb_connection_t* connection_;
    xcb_window_t window_;
    std::int64_t timerId_ = 0;
    // Where the window stands on the server, and where the fly wants it.
    Rect bounds_;
    Rect wanted_;
    // Whether the fly is shown, and whether its window is still to be mapped for it.
    bool mapped_ = false;
    bool mapWanted_ = false;
    bool inputEnabled_ = true;
    bool topMost_ = false;
    // Whether the window manager manages the window, and whether a move it was asked for is
    // still to be answered (since when).
    bool managed_ = false;
    bool handoverQueued_ = false;
    bool awaitingMove_ = false;
    std::int64_t moveAskedAtMs_ = 0;
    // When the fly was last put above the other windows, and whether one raised since covers it.
    std::int64_t loweredAtMs_ = 0;
    bool covered_ = false;
    // The cut the window was given (XcbSprites::CutOf), 0 while it is not cut.
    std::uint32_t cut_ = 0;
    // The picture shown on the server, and the one the fly wants shown.
    const XcbSprite* shown_ = nullptr;
    const XcbSprite* wantedSprite_ = nullptr;
};

}  // namespace quillop
