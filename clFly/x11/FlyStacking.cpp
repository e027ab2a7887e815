#include "clFly/x11/FlyStacking.h"

#include <chrono>
#include <utility>
#include <vector>

#include "clFly/x11/XcbReply.h"

namespace quillop {

FlyStacking::FlyStacking(xcb_connection_t* connection, xcb_window_t root, bool watched)
    : connection_(connection), root_(root) {
    if (!watched) {
        return;
    }
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
    if (watch_ == nullptr) {
        return;
    }
    lowered_.push_back(fly);
    changed_ = true;
}

std::vector<StackedWindow> FlyStacking::Children(const RoleOf& roleOf, bool all) {
    std::vector<StackedWindow> windows;
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (tree == nullptr) {
        return windows;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    // The attributes are asked for all at once, and the answers read afterwards.
    std::vector<std::pair<std::size_t, xcb_get_window_attributes_cookie_t>> asked;
    bool topMostBelow = false;
    for (int i = 0; i < count; ++i) {
        const StackRole role = roleOf(children[i]);
        topMostBelow = topMostBelow || role == StackRole::TopMostFly;
        if (role == StackRole::Other && (all || topMostBelow)) {
            asked.emplace_back(windows.size(), xcb_get_window_attributes(connection_, children[i]));
        }
        windows.push_back({children[i], role, false});
    }
    for (const auto& [index, cookie] : asked) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, cookie, nullptr));
        windows[index].Covers = attributes != nullptr && !attributes->override_redirect &&
                                attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    return windows;
}

void FlyStacking::PlaceLowered(const std::vector<StackedWindow>& windows, const RoleOf& roleOf) {
    const xcb_window_t anchor = LowerFliesAnchor(windows);
    for (const xcb_window_t fly : lowered_) {
        // Without a managed window to stand on, the fly stays where it is: on top. One that
        // vanished meanwhile only earns an error, which is dropped.
        if (anchor == XCB_WINDOW_NONE || roleOf(fly) != StackRole::LowerFly) {
            continue;
        }
        const std::uint32_t values[] = {anchor, XCB_STACK_MODE_ABOVE};
        xcb_discard_reply(
            connection_,
            xcb_configure_window_checked(
                connection_, fly, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values)
                .sequence);
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
    const std::vector<StackedWindow> windows = Children(roleOf, !lowered_.empty());
    if (windows.empty()) {
        return;
    }
    if (!lowered_.empty()) {
        PlaceLowered(windows, roleOf);
    }
    const std::vector<std::uint32_t> topMost = FliesToRaise(windows);
    if (topMost.empty()) {
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
