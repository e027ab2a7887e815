// Tells how long the shown fly windows take to stand above a window again once it came above
// them: after raising it to the top, as a program that raises itself does ("raise"), or after
// it came up by itself, as when a window manager starts and frames it anew ("wait", up to 5 s).
//
// Usage: quillop_raisecheck raise|wait WINDOW
// Prints "N flies above after M ms" and exits 0, or prints the stacking and exits 1 when the
// flies are not all above the window 2 s after it came above them. WINDOW may be a window
// inside a window manager's frame; the frame counts.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "TestClient_xcb.h"

namespace {

// The root's children from bottom to top.
std::vector<xcb_window_t> Children(xcb_connection_t* connection, xcb_window_t window,
                                   xcb_window_t* parent = nullptr) {
    auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    std::vector<xcb_window_t> children;
    if (tree != nullptr) {
        const xcb_window_t* list = xcb_query_tree_children(tree);
        children.assign(list, list + xcb_query_tree_children_length(tree));
        if (parent != nullptr) {
            *parent = tree->parent;
        }
    }
    std::free(tree);
    return children;
}

bool IsShownFly(xcb_connection_t* connection, xcb_window_t window) {
    auto* name = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 16), nullptr);
    const bool fly = name != nullptr && xcb_get_property_value_length(name) >= 9 &&
                     std::memcmp(xcb_get_property_value(name), "frmPngFly", 9) == 0;
    std::free(name);
    auto* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool shown = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return fly && shown;
}

}  // namespace

// The root's child that holds `window`.
xcb_window_t TopLevel(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window) {
    for (;;) {
        xcb_window_t parent = 0;
        Children(connection, window, &parent);
        if (parent == root || parent == 0) {
            return window;
        }
        window = parent;
    }
}

// Whether a fly stands below `top` in the stacking.
bool FlyBelow(const std::vector<xcb_window_t>& stacking, const std::set<xcb_window_t>& flies,
              xcb_window_t top) {
    bool flySeen = false;
    for (const xcb_window_t child : stacking) {
        if (child == top) {
            return flySeen;
        }
        flySeen = flySeen || flies.count(child) != 0;
    }
    return false;
}

int main(int argc, char** argv) {
    const bool wait = argc == 3 && std::strcmp(argv[1], "wait") == 0;
    if (argc != 3 || (!wait && std::strcmp(argv[1], "raise") != 0)) {
        std::fprintf(stderr, "usage: %s raise|wait WINDOW\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = nullptr;
    const xcb_window_t root = quillop::ConnectToScreen(connection)->root;
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
    xcb_window_t top = TopLevel(connection, root, window);
    std::set<xcb_window_t> flies;
    for (const xcb_window_t child : Children(connection, root)) {
        if (IsShownFly(connection, child)) {
            flies.insert(child);
        }
    }
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    std::vector<xcb_window_t> stacking;
    if (wait) {
        // Waits for the window to come above a fly; one that never does passes.
        for (;;) {
            top = TopLevel(connection, root, window);
            stacking = Children(connection, root);
            if (FlyBelow(stacking, flies, top)) {
                break;
            }
            if (Clock::now() - start > std::chrono::seconds(5)) {
                std::printf("%zu flies above (the window never came above them)\n", flies.size());
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        start = Clock::now();
    } else {
        const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(connection, top, XCB_CONFIG_WINDOW_STACK_MODE, above);
        xcb_flush(connection);
    }
    while (Clock::now() - start < std::chrono::seconds(2)) {
        top = TopLevel(connection, root, window);
        stacking = Children(connection, root);
        if (!FlyBelow(stacking, flies, top)) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            std::printf("%zu flies above after %lld ms\n", flies.size(),
                        static_cast<long long>(ms.count()));
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::printf("flies still below 0x%x after 2 s; stacking from the bottom:", top);
    for (const xcb_window_t child : stacking) {
        std::printf(" 0x%x%s", child, flies.count(child) != 0 ? "(fly)" : "");
    }
    std::printf("\n");
    return 1;
}
