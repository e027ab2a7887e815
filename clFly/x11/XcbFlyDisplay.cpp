// The fly windows of one X screen: their pictures, timers, pace and stacking, and their events.
#include "clFly/x11/XcbFlyWindow.h"

#include <iterator>
#include <utility>

#include "clFly/x11/XcbAtoms.h"

namespace quillop {

namespace {

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
    "_MOTIF_WM_HINTS",
};

}  // namespace

// NOTE: Xwayland 22 does not pass a window's input shape on to the compositor, and sway and
// KWin send the pointer to whatever surface covers it: the transparent pixels of a fly window
// would swallow the clicks meant for the native window below. So on XWayland a fly window
// covers only a box around its pictures' visible pixels, of one size for all of them.
XcbFlyDisplay::XcbFlyDisplay(xcb_connection_t* connection, int screenNumber, DoubleClickRules rules,
                             TimerWake& wake, bool xwayland, bool managedBelow)
    : connection_(connection),
      sprites_(connection, screenNumber, xwayland),
      doubleClick_(rules),
      timers_(std::make_unique<FlyTimers>(wake)),
      stacking_(connection, sprites_.Screen()->root, !xwayland),
      pacer_(connection, *timers_),
      managedBelow_(managedBelow) {
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

void XcbFlyDisplay::QueueHandover(XcbFlyWindow& window) {
    handovers_.push_back(&window);
    HandOverNext();
}

void XcbFlyDisplay::ForgetHandover(XcbFlyWindow& window) {
    std::erase(handovers_, &window);
    if (handing_ == &window) {
        handing_ = nullptr;
    }
}

void XcbFlyDisplay::HandOverNext() {
    // A window manager that did not map the fly within a second will not; flies taken back
    // from it are mapped as new flies are, a few milliseconds apart.
    constexpr std::int64_t kGiveUpMs = 1000;
    constexpr std::int64_t kSpacingMs = 20;
    const std::int64_t now = SteadyClockMs();
    if (handovers_.empty() || (handing_ != nullptr && now - handingSinceMs_ < kGiveUpMs) ||
        now - handingSinceMs_ < kSpacingMs) {
        return;
    }
    XcbFlyWindow* window = handovers_.front();
    handovers_.pop_front();
    handing_ = window->HandOver() ? window : nullptr;
    handingSinceMs_ = now;
}

void XcbFlyDisplay::Flush() {
    HandOverNext();
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
        case XCB_CONFIGURE_NOTIFY:
            id = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
            break;
        case XCB_MAP_NOTIFY:
            id = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
            break;
        default:
            return false;
    }
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return false;
    }
    if (type == XCB_CONFIGURE_NOTIFY) {
        found->second->OnConfigured();
        return true;
    }
    if (type == XCB_MAP_NOTIFY) {
        if (handing_ == found->second) {
            handing_ = nullptr;
            HandOverNext();
        }
        return true;
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
