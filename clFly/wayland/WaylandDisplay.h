// The native Wayland fly display, for compositors that offer the layer shell (KWin, sway,
// Hyprland, niri): the flies are drawn into an overlay over each output, on a connection of
// the display's own; the shell's windows go on Qt's Wayland platform beside them.
#pragma once

#include <memory>
#include <string>

#include "clFly/FlyDisplay.h"

namespace quillop {

// Whether a compositor answers at $WAYLAND_DISPLAY (or wayland-0) and offers the layer shell,
// shared memory and surfaces; `why` says so in a few words either way.
bool ProbeWaylandDisplay(std::string& why);

// The display on a connection of its own (setup.Connection is not used); throws Failure when
// the compositor cannot be reached or gives the flies no place.
std::unique_ptr<FlyDisplay> CreateWaylandDisplay(const FlyDisplaySetup& setup);

}  // namespace quillop
