// The X11 fly display (X servers, and XWayland where the compositor offers no layer shell):
// fly windows through XCB on the toolkit's own connection, and the X desktop's hints.
#pragma once

#include <memory>
#include <string>

#include "clFly/FlyDisplay.h"

namespace quillop {

// Whether an X server answers at $DISPLAY; `why` says so in a few words either way.
bool ProbeX11Display(std::string& why);

// The display on the toolkit's XCB connection (setup.Connection, an xcb_connection_t*).
std::unique_ptr<FlyDisplay> CreateX11Display(const FlyDisplaySetup& setup);

}  // namespace quillop
