#include "clFly/wayland/XWaylandWorkArea.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quillop {

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

XWaylandWorkArea::XWaylandWorkArea() {
    if (std::getenv("DISPLAY") == nullptr) {
        return;
    }
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    rootWindow_ = screen->root;
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, rootWindow_, XCB_CW_EVENT_MASK, &events);
    workArea_ = Atom(connection_, "_NET_WORKAREA");
    currentDesktop_ = Atom(connection_, "_NET_CURRENT_DESKTOP");
    Read();
}

XWaylandWorkArea::~XWaylandWorkArea() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool XWaylandWorkArea::Update() {
    if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) {
        return false;
    }
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
            changed |= property->atom == workArea_ || property->atom == currentDesktop_;
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            changed = true;
        }
        std::free(event);
    }
    if (changed) {
        Read();
    }
    return changed;
}

void XWaylandWorkArea::Read() {
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, rootWindow_), nullptr),
        &std::free);
    if (geometry != nullptr) {
        root_ = {geometry->width, geometry->height};
    }
    std::uint32_t desktop = 0;
    const Reply<xcb_get_property_reply_t> current(
        xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, rootWindow_, currentDesktop_, XCB_ATOM_CARDINAL, 0, 1),
            nullptr),
        &std::free);
    if (current != nullptr && xcb_get_property_value_length(current.get()) >= 4) {
        desktop = *static_cast<const std::uint32_t*>(xcb_get_property_value(current.get()));
    }
    // Four numbers a desktop: left, top, width, height.
    const Reply<xcb_get_property_reply_t> areas(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, rootWindow_, workArea_,
                                                XCB_ATOM_CARDINAL, desktop * 4, 4),
                               nullptr),
        &std::free);
    area_.reset();
    if (areas != nullptr && xcb_get_property_value_length(areas.get()) >= 16) {
        const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(areas.get()));
        const Rect area{static_cast<int>(value[0]), static_cast<int>(value[1]),
                        static_cast<int>(value[2]), static_cast<int>(value[3])};
        if (area.Width > 0 && area.Height > 0) {
            area_ = area;
        }
    }
}

}  // namespace quillop
