// The test tools' connection to the X display named by $DISPLAY.
#pragma once

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace quillop {

// The screen of $DISPLAY on a new connection; prints "no X display" and exits 1 without one.
inline xcb_screen_t* ConnectToScreen(xcb_connection_t*& connection) {
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X display\n");
        std::exit(1);
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    return screens.data;
}

}  // namespace quillop
