// A plain coloured X window for the end-to-end tests: a backdrop behind the flies that reports
// every button press it receives, so a test can tell whether a click passed through a fly.
//
// Usage: quillop_testwindow X Y WIDTH HEIGHT RRGGBB [above]
// Prints "ready" once mapped, then "press BUTTON X Y" (root coordinates) for each press. It goes
// below all other windows, or with "above" over them, to cover something.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestClient_xcb.h"

int main(int argc, char** argv) {
    const bool above = argc == 7 && std::strcmp(argv[6], "above") == 0;
    if (argc != 6 && !above) {
        std::fprintf(stderr, "usage: %s X Y WIDTH HEIGHT RRGGBB [above]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = nullptr;
    const xcb_screen_t* screen = quillop::ConnectToScreen(connection);
    const auto colour = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 16));
    const xcb_window_t window = xcb_generate_id(connection);
    // Override-redirect: no window manager moves or restacks it.
    const std::uint32_t values[] = {colour, 1, XCB_EVENT_MASK_BUTTON_PRESS};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root,
                      static_cast<std::int16_t>(std::atoi(argv[1])),
                      static_cast<std::int16_t>(std::atoi(argv[2])),
                      static_cast<std::uint16_t>(std::atoi(argv[3])),
                      static_cast<std::uint16_t>(std::atoi(argv[4])), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const std::string name = "quillop test backdrop";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(name.size()), name.data());
    xcb_map_window(connection, window);
    const std::uint32_t stacking[] = {above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW};
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, stacking);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::printf("ready\n");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) {
            const auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
            std::printf("press %d %d %d\n", press->detail, press->root_x, press->root_y);
            std::fflush(stdout);
        }
        std::free(event);
    }
    return 0;
}
