// Whether a tray is there to take the program's icon.
#pragma once

namespace quillop {

class FlyDisplay;

// True when a StatusNotifierItem host is registered on the session bus or the display has a
// tray of its own (XEmbed on X11).
bool TrayHostPresent(const FlyDisplay& display);

}  // namespace quillop
