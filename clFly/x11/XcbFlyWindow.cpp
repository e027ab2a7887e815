#include "clFly/x11/XcbFlyWindow.h"

#include "clFly/ExternalNames.h"
#include "clFly/FlyTimers.h"
#include "clFly/x11/XcbAtoms.h"

#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

namespace quillop {

namespace {

// Without a compositor, up to this many shown flies are cut to all their solid pixels, legs and
// all; more are cut to their bodies.
constexpr int kWholeCutLimit = 10;

// No exposures: the server repaints an uncovered fly itself from its background, the sprite.
constexpr std::uint32_t kFlyEventMask = XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_BUTTON_PRESS;

const char* const kAtomNames[] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "_NET_WM_STATE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_PID",
};

}  // namespace

// One fly's X window: 32-bit ARGB and override-redirect, so no window manager frames, focuses,
// lists or stacks it.
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

  private:
    void OnTimerExpiry() override;
    void SendStep() override;
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
    bool mapped_ = false;
    bool inputEnabled_ = true;
    bool topMost_ = false;
    // When the fly was last put above the other windows, and whether one raised since covers it.
    std::int64_t loweredAtMs_ = 0;
    bool covered_ = false;
    // The cut the window was given (XcbSprites::CutOf), 0 while it is not cut.
    std::uint32_t cut_ = 0;
    // The picture shown on the server, and the one the fly wants shown.
    const XcbSprite* shown_ = nullptr;
    const XcbSprite* wantedSprite_ = nullptr;
};

void XcbFlyWindow::OnTimerExpiry() {
    // The fly may destroy this window inside; nothing here touches it afterwards.
    events_.OnTimer();
}

XcbFlyWindow::XcbFlyWindow(XcbFlyDisplay& display, FlyTimers& timers, FlyEvents& events,
                           const std::string& name, const Rect& bounds)
    : display_(display),
      timers_(timers),
      events_(events),
      connection_(display.connection_),
      window_(xcb_generate_id(connection_)),
      bounds_(bounds),
      wanted_(bounds) {
    XcbSprites& sprites = display.sprites_;
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, 1, kFlyEventMask, sprites.Colormap()};
    xcb_create_window(connection_, 32, window_, sprites.Screen()->root,
                      static_cast<std::int16_t>(bounds.Left), static_cast<std::int16_t>(bounds.Top),
                      static_cast<std::uint16_t>(std::max(bounds.Width, 1)),
                      static_cast<std::uint16_t>(std::max(bounds.Height, 1)), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, sprites.Visual(),
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    const xcb_atom_t* atoms = display.atoms_;
    auto property = [&](xcb_atom_t name, xcb_atom_t type, int format, std::size_t count,
                        const void* data) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, name, type,
                            static_cast<std::uint8_t>(format), static_cast<std::uint32_t>(count),
                            data);
    };
    property(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, name.size(), name.data());
    property(atoms[XcbFlyDisplay::kNetWmName], atoms[XcbFlyDisplay::kUtf8String], 8, name.size(),
             name.data());
    const std::string wmClass = std::string(kFlyX11Instance) + '\0' + kX11Class + '\0';
    property(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.size(), wmClass.data());
    // WM_HINTS: the input field is set and false, so the window never takes the focus.
    const std::uint32_t wmHints[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    property(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, wmHints);
    property(atoms[XcbFlyDisplay::kNetWmWindowType], XCB_ATOM_ATOM, 32, 1,
             &atoms[XcbFlyDisplay::kNetWmWindowTypeUtility]);
    property(atoms[XcbFlyDisplay::kWmProtocols], XCB_ATOM_ATOM, 32, 1,
             &atoms[XcbFlyDisplay::kWmDeleteWindow]);
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    property(atoms[XcbFlyDisplay::kNetWmPid], XCB_ATOM_CARDINAL, 32, 1, &pid);
    WriteStateProperty();
    display.windows_[window_] = this;
}

XcbFlyWindow::~XcbFlyWindow() {
    StopTimer();
    display_.pacer_.Unmark(*this);
    if (mapped_) {
        --display_.shownCount_;
    }
    display_.windows_.erase(window_);
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
}

void XcbFlyWindow::StartTimer(int intervalMs) {
    StopTimer();
    timerId_ = timers_.Start(*this, intervalMs);
}

void XcbFlyWindow::StopTimer() {
    if (timerId_ != 0) {
        timers_.Stop(timerId_);
        timerId_ = 0;
    }
}

PresentResult XcbFlyWindow::Present(Point at, const CachedSprite* cached) {
    // NOTE: the window was made with an alpha channel, so there is no transparency to be
    // refused, and the shared pictures are copied at full opacity as they are.
    const XcbSprite* sprite = cached != nullptr ? &display_.sprites_.Get(*cached) : wantedSprite_;
    Rect wanted{at.Left, at.Top, wanted_.Width, wanted_.Height};
    if (sprite != nullptr) {
        wanted = {at.Left + sprite->Left, at.Top + sprite->Top, sprite->Width, sprite->Height};
    }
    // The step waits with the display, which sends each fly's newest at the server's pace.
    if (sprite != wantedSprite_ || wanted != wanted_) {
        const bool moved = wanted != wanted_;
        wanted_ = wanted;
        wantedSprite_ = sprite;
        display_.pacer_.Mark(*this);
        if (moved) {
            UpdateCover();
        }
    }
    return {};
}

void XcbFlyWindow::SendStep() {
    // One request for the whole move.
    std::uint16_t mask = 0;
    std::uint32_t values[4];
    int count = 0;
    auto change = [&](int Rect::*field, std::uint16_t bit) {
        if (wanted_.*field != bounds_.*field) {
            mask |= bit;
            values[count++] = static_cast<std::uint32_t>(wanted_.*field);
        }
    };
    change(&Rect::Left, XCB_CONFIG_WINDOW_X);
    change(&Rect::Top, XCB_CONFIG_WINDOW_Y);
    change(&Rect::Width, XCB_CONFIG_WINDOW_WIDTH);
    change(&Rect::Height, XCB_CONFIG_WINDOW_HEIGHT);
    if (mask != 0) {
        xcb_configure_window(connection_, window_, mask, values);
        bounds_ = wanted_;
    }
    if (wantedSprite_ != nullptr && wantedSprite_ != shown_) {
        ShowPicture(*wantedSprite_);
    }
}

void XcbFlyWindow::WriteStateProperty() {
    const xcb_atom_t* atoms = display_.atoms_;
    xcb_atom_t state[3] = {atoms[XcbFlyDisplay::kNetWmStateSkipTaskbar],
                           atoms[XcbFlyDisplay::kNetWmStateSkipPager],
                           atoms[XcbFlyDisplay::kNetWmStateAbove]};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_,
                        atoms[XcbFlyDisplay::kNetWmState], XCB_ATOM_ATOM, 32, topMost_ ? 3 : 2,
                        state);
}

void XcbFlyWindow::Show() {
    if (mapped_) {
        return;
    }
    mapped_ = true;
    ++display_.shownCount_;
    covered_ = false;
    // A fly shows where and as it was last put, never where it stood before.
    display_.pacer_.SendNow(*this);
    UpdateCover();
    if (!covered_) {
        xcb_map_window(connection_, window_);
    }
    display_.stacking_.MarkChanged();
    xcb_flush(connection_);
}

void XcbFlyWindow::Hide() {
    if (!mapped_) {
        return;
    }
    mapped_ = false;
    --display_.shownCount_;
    covered_ = false;
    xcb_unmap_window(connection_, window_);
    xcb_flush(connection_);
}

void XcbFlyWindow::SetTopMost(bool topMost) {
    if (topMost != topMost_) {
        topMost_ = topMost;
        WriteStateProperty();
    }
    if (!topMost) {
        loweredAtMs_ = SteadyClockMs();
    }
    UpdateCover();
    if (!mapped_) {
        return;
    }
    // Raised within its group: a top-most fly to the top now, one that is not top-most to the
    // top of the managed windows at the next flush.
    if (topMost) {
        const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_STACK_MODE, above);
        display_.stacking_.MarkChanged();
        xcb_flush(connection_);
    } else {
        display_.stacking_.Lower(window_);
    }
}

void XcbFlyWindow::UpdateCover() {
    const bool covered =
        mapped_ && !topMost_ && IsCoveredFly(wanted_, loweredAtMs_, display_.raised_);
    if (covered == covered_) {
        return;
    }
    covered_ = covered;
    if (covered) {
        xcb_unmap_window(connection_, window_);
    } else {
        xcb_map_window(connection_, window_);
    }
    xcb_flush(connection_);
}

void XcbFlyWindow::ShowPicture(const XcbSprite& sprite) {
    shown_ = &sprite;
    // The sprite becomes the window's background, which the server paints wherever the window
    // is uncovered, and is painted now over the whole window.
    const std::uint32_t background[] = {sprite.Picture};
    xcb_change_window_attributes(connection_, window_, XCB_CW_BACK_PIXMAP, background);
    display_.sprites_.SetInputShape(window_, sprite);
    if (!display_.sprites_.Compositing() || cut_ != 0) {
        ApplyBoundingShape();
    }
    xcb_clear_area(connection_, 0, window_, 0, 0, 0, 0);
}

void XcbFlyWindow::ApplyBoundingShape() {
    std::uint32_t cut = 0;
    if (!display_.sprites_.Compositing() && shown_ != nullptr) {
        // A few flies keep their legs; many are cut to their bodies, whose shape does not
        // change while they walk (the server's repainting grows with flies times shapes).
        cut = display_.sprites_.CutOf(*shown_, display_.shownCount_ <= kWholeCutLimit);
    }
    if (cut != cut_) {
        display_.sprites_.SetBoundingShape(window_, cut);
        cut_ = cut;
    }
}

// NOTE: Xwayland 22 does not pass a window's input shape on to the compositor, and sway and
// KWin send the pointer to whatever surface covers it: the transparent pixels of a fly window
// would swallow the clicks meant for the native window below. So on XWayland a fly window
// covers only a box around its pictures' visible pixels, of one size for all of them.
XcbFlyDisplay::XcbFlyDisplay(xcb_connection_t* connection, int screenNumber, DoubleClickRules rules,
                             TimerWake& wake, bool xwayland)
    : connection_(connection),
      sprites_(connection, screenNumber, xwayland),
      doubleClick_(rules),
      timers_(std::make_unique<FlyTimers>(wake)),
      stacking_(connection, sprites_.Screen()->root),
      pacer_(connection, *timers_) {
    static_assert(std::size(kAtomNames) == kAtomCount);
    InternAtoms(connection, kAtomNames, atoms_);
}

XcbFlyDisplay::~XcbFlyDisplay() = default;

std::unique_ptr<FlyWindow> XcbFlyDisplay::CreateWindow(FlyEvents& events, const std::string& name,
                                                       const Rect& bounds) {
    return std::make_unique<XcbFlyWindow>(*this, *timers_, events, name, bounds);
}

void XcbFlyDisplay::SetRaisedWindows(std::vector<RaisedWindow> windows) {
    raised_ = std::move(windows);
    for (const auto& [id, window] : windows_) {
        window->UpdateCover();
    }
}

void XcbFlyDisplay::Flush() {
    pacer_.Send();
    stacking_.Update([this](xcb_window_t id) { return RoleOf(id); });
}

FlyStacking::Role XcbFlyDisplay::RoleOf(xcb_window_t id) const {
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return FlyStacking::Role::Other;
    }
    const XcbFlyWindow& window = *found->second;
    if (!window.IsVisible()) {
        return FlyStacking::Role::HiddenFly;
    }
    return window.IsTopMost() ? FlyStacking::Role::TopMostFly : FlyStacking::Role::LowerFly;
}

void XcbFlyDisplay::ApplyCompositing() {
    for (auto& [id, window] : windows_) {
        window->ApplyBoundingShape();
    }
    xcb_flush(connection_);
}

bool XcbFlyDisplay::Dispatch(const xcb_generic_event_t* event) {
    if (sprites_.HandleEvent(event)) {
        ApplyCompositing();
        return true;
    }
    // The fly window an event is for; events of other windows are left to Qt.
    const std::uint8_t type = event->response_type & 0x7F;
    const auto* motion = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
    const auto* press = reinterpret_cast<const xcb_button_press_event_t*>(event);
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    xcb_window_t id = 0;
    switch (type) {
        case XCB_MOTION_NOTIFY:
            id = motion->event;
            break;
        case XCB_BUTTON_PRESS:
            id = press->event;
            break;
        case XCB_CLIENT_MESSAGE:
            id = message->window;
            break;
        default:
            return false;
    }
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return false;
    }
    // A fly disabled while a message box is open takes no input; the fly may be destroyed
    // inside its handler, so nothing here touches it afterwards.
    FlyEvents& events = found->second->Events();
    if (!found->second->InputEnabled()) {
        return true;
    }
    if (type == XCB_MOTION_NOTIFY) {
        events.OnMouseMove();
    } else if (type == XCB_BUTTON_PRESS) {
        if (press->detail == 1 &&
            doubleClick_.Press(press->event, press->time, press->root_x, press->root_y)) {
            events.OnDoubleClick();
        }
    } else if (message->type == atoms_[kWmProtocols] &&
               message->data.data32[0] == atoms_[kWmDeleteWindow]) {
        events.OnCloseRequest();
    }
    return true;
}

}  // namespace quillop
