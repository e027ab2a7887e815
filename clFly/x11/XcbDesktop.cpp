#include "clFly/x11/XcbDesktop.h"

#include <cstdlib>
#include <iterator>
#include <string>

#include "clFly/FlyScale.h"
#include "clFly/x11/XcbAtoms.h"
#include "clFly/x11/XcbReply.h"

namespace quillop {

namespace {

const char* const kAtomNames[] = {
    "_NET_ACTIVE_WINDOW",       "_MOTIF_WM_HINTS", "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_SUPPORTING_WM_CHECK", "_NET_WM_NAME",    "UTF8_STRING",
};

}  // namespace

double XftDpiOf(std::string_view resources) {
    double dpi = 0;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || line.substr(0, colon) != "Xft.dpi") {
            continue;
        }
        // The last definition counts, as in the resource database.
        const std::string value(line.substr(colon + 1));
        char* rest = nullptr;
        const double parsed = std::strtod(value.c_str(), &rest);
        dpi = rest != value.c_str() && parsed > 0 && parsed < 10000 ? parsed : 0;
    }
    return dpi;
}

bool CanReachX11Display() {
    int screen = 0;
    xcb_connection_t* probe = xcb_connect(nullptr, &screen);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return reachable;
}

XcbDesktop::XcbDesktop(xcb_connection_t* connection) : connection_(connection) {
    // The connection went to $DISPLAY, whose screen number is the one to use.
    char* host = nullptr;
    int displayNumber = 0;
    const bool parsed = xcb_parse_display(nullptr, &host, &displayNumber, &screenNumber_) != 0;
    const XcbReply<char> unusedHost(host);
    if (!parsed) {
        screenNumber_ = 0;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber_ && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
    static_assert(std::size(kAtomNames) == kCount);
    InternAtoms(connection_, kAtomNames, atoms_);
    traySelection_ = InternAtom(connection_, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber_));
}

std::string XcbDesktop::WindowManagerName() const {
    const XcbReply<xcb_get_property_reply_t> check(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atoms_[kNetSupportingWmCheck], XCB_ATOM_WINDOW, 0,
                         1),
        nullptr));
    if (check == nullptr || xcb_get_property_value_length(check.get()) != 4) {
        return {};
    }
    const xcb_window_t window =
        *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const XcbReply<xcb_get_property_reply_t> name(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, atoms_[kNetWmName], atoms_[kUtf8String], 0, 64),
        nullptr));
    if (name == nullptr) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(name.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(name.get()))};
}

bool XcbDesktop::HasSystemTray() const {
    if (traySelection_ == XCB_ATOM_NONE) {
        return false;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, traySelection_), nullptr));
    return owner != nullptr && owner->owner != XCB_WINDOW_NONE;
}

xcb_window_t XcbDesktop::ActiveWindow() const {
    const XcbReply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atoms_[kNetActiveWindow], XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (property != nullptr && xcb_get_property_value_length(property.get()) == 4) {
        const xcb_window_t active =
            *static_cast<const xcb_window_t*>(xcb_get_property_value(property.get()));
        if (active != 0) {
            return active;
        }
    }
    const XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    return focus != nullptr ? focus->focus : 0;
}

void XcbDesktop::Activate(xcb_window_t window) const {
    if (window == 0) {
        return;
    }
    // A window manager decides who gets the focus, so it is asked; without one, the focus
    // is set directly. A window that vanished meanwhile only earns an error, which is dropped.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atoms_[kNetActiveWindow];
    message.data.data32[0] = 2;  // from a pager-like tool, so it is not refused as stealing
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    const XcbReply<xcb_generic_error_t> dropped(xcb_request_check(
        connection_, xcb_set_input_focus_checked(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window,
                                                 XCB_CURRENT_TIME)));
}

void XcbDesktop::SetWindowClass(xcb_window_t window, std::string_view instance,
                                std::string_view className) const {
    const std::string wmClass = std::string(instance) + '\0' + std::string(className) + '\0';
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass.size()),
                        wmClass.data());
    xcb_flush(connection_);
}

void XcbDesktop::SetDialogFrameHints(xcb_window_t window) const {
    // NOTE: some window managers disregard the frame's functions for its buttons, so the
    // decorations are stated as well: functions and decorations given; move only; border and
    // title only. openbox draws its buttons all the same.
    const std::uint32_t motif[5] = {1 | 2, 4, 2 | 8, 0, 0};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atoms_[kMotifWmHints],
                        atoms_[kMotifWmHints], 32, 5, motif);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atoms_[kNetWmState],
                        XCB_ATOM_ATOM, 32, 1, &atoms_[kNetWmStateSkipTaskbar]);
    xcb_flush(connection_);
}

void XcbDesktop::Flush() const {
    xcb_flush(connection_);
}

double XcbDesktop::ResourceDpi() const {
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, root_, XCB_ATOM_RESOURCE_MANAGER,
                                                XCB_ATOM_STRING, 0, 1 << 16),
                               nullptr));
    if (reply == nullptr || reply->format != 8) {
        return 0;
    }
    const std::string_view resources(
        static_cast<const char*>(xcb_get_property_value(reply.get())),
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    return XftDpiOf(resources);
}

bool XcbDesktop::IsResourceChange(const xcb_generic_event_t* event) const {
    if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) {
        return false;
    }
    const auto* notice = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    return notice->window == root_ && notice->atom == XCB_ATOM_RESOURCE_MANAGER;
}

}  // namespace quillop
