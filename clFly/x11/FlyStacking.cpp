#include "clFly/x11/FlyStacking.h"

#include <chrono>
#include <vector>

#include "clFly/x11/XcbReply.h"

namespace quillop {

bool RestackBudget::Take(std::int64_t nowMs) {
    while (!recent_.empty() && nowMs - recent_.front() >= 1000) {
        recent_.pop_front();
    }
    if (static_cast<int>(recent_.size()) >= kMaxPerSecond) {
        return false;
    }
    recent_.push_back(nowMs);
    return true;
}

std::int64_t RestackBudget::FreeAt() const {
    return static_cast<int>(recent_.size()) < kMaxPerSecond ? 0 : recent_.front() + 1000;
}

FlyStacking::FlyStacking(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root) {
    xcb_connection_t* watch = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(watch) != 0) {
        xcb_disconnect(watch);
        return;
    }
    watch_ = watch;
    const std::uint32_t mask[] = {XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_change_window_attributes(watch_, root_, XCB_CW_EVENT_MASK, mask);
    xcb_flush(watch_);
}

FlyStacking::~FlyStacking() {
    if (watch_ != nullptr) {
        xcb_disconnect(watch_);
    }
}

int FlyStacking::FileDescriptor() const {
    return watch_ != nullptr ? xcb_get_file_descriptor(watch_) : -1;
}

void FlyStacking::ReadEvents(const RoleOf& roleOf) {
    if (watch_ == nullptr) {
        return;
    }
    while (const XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(watch_)}) {
        HandleEvent(event.get(), roleOf);
    }
}

void FlyStacking::HandleEvent(const xcb_generic_event_t* event, const RoleOf& roleOf) {
    xcb_window_t window = 0;
    switch (event->response_type & 0x7F) {
        case XCB_CONFIGURE_NOTIFY:
            window = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
            break;
        case XCB_MAP_NOTIFY:
            window = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
            break;
        case XCB_CIRCULATE_NOTIFY:
            window = reinterpret_cast<const xcb_circulate_notify_event_t*>(event)->window;
            break;
        default:
            // Windows that appear unmapped, vanish or leave the root put nothing above a fly.
            return;
    }
    if (!changed_ && roleOf(window) == Role::Other) {
        changed_ = true;
    }
}

void FlyStacking::Lower(xcb_window_t fly) {
    lowered_.push_back(fly);
    changed_ = true;
}

void FlyStacking::PlaceLowered(const xcb_window_t* children, int count, const RoleOf& roleOf) {
    std::vector<xcb_window_t> others;
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i) {
        if (roleOf(children[i]) == Role::Other) {
            others.push_back(children[i]);
            cookies.push_back(xcb_get_window_attributes(connection_, children[i]));
        }
    }
    xcb_window_t anchor = XCB_WINDOW_NONE;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, cookies[i], nullptr));
        if (attributes != nullptr && !attributes->override_redirect &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            anchor = others[i];
        }
    }
    for (const xcb_window_t fly : lowered_) {
        if (roleOf(fly) != Role::LowerFly) {
            continue;
        }
        // Without a managed window to stand on, the fly stays where it is: on top. One that
        // vanished meanwhile only earns an error, which is dropped.
        if (anchor != XCB_WINDOW_NONE) {
            const std::uint32_t values[] = {anchor, XCB_STACK_MODE_ABOVE};
            xcb_discard_reply(connection_,
                              xcb_configure_window_checked(
                                  connection_, fly,
                                  XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values)
                                  .sequence);
        }
    }
    lowered_.clear();
}

void FlyStacking::Update(const RoleOf& roleOf) {
    ReadEvents(roleOf);
    Restack(roleOf);
}

void FlyStacking::Restack(const RoleOf& roleOf) {
    if (!changed_ || watch_ == nullptr) {
        return;
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    // Refused by the budget, the change waits, without a look at the stacking, until it frees.
    if (now < budget_.FreeAt()) {
        return;
    }
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (tree == nullptr) {
        return;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    if (!lowered_.empty()) {
        PlaceLowered(children, count, roleOf);
    }
    // Bottom to top: the top-most flies, and above the lowest of them, who else stands there.
    std::vector<xcb_window_t> topMost;
    std::vector<xcb_get_window_attributes_cookie_t> others;
    bool flyAbove = false;
    for (int i = 0; i < count; ++i) {
        switch (roleOf(children[i])) {
            case Role::TopMostFly:
                topMost.push_back(children[i]);
                break;
            case Role::LowerFly:
                flyAbove = flyAbove || !topMost.empty();
                break;
            case Role::Other:
                if (!topMost.empty()) {
                    others.push_back(xcb_get_window_attributes(connection_, children[i]));
                }
                break;
            case Role::HiddenFly:
                break;
        }
    }
    // Menus, tooltips and other override-redirect windows keep their place above the flies,
    // as they did when a window manager stacked them; hidden windows do not count.
    bool managedAbove = false;
    for (const xcb_get_window_attributes_cookie_t cookie : others) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, cookie, nullptr));
        managedAbove = managedAbove || (attributes != nullptr && !attributes->override_redirect &&
                                        attributes->map_state == XCB_MAP_STATE_VIEWABLE);
    }
    if (!flyAbove && !managedAbove) {
        changed_ = false;
        return;
    }
    if (!budget_.Take(now)) {
        return;
    }
    changed_ = false;
    const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    for (const xcb_window_t fly : topMost) {
        xcb_configure_window(connection_, fly, XCB_CONFIG_WINDOW_STACK_MODE, above);
    }
}

}  // namespace quillop
