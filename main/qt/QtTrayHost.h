// Whether a tray is there to take the program's icon.
#pragma once

namespace quillop {

class XcbDesktop;

// True when a StatusNotifierItem host is registered on the session bus or an XEmbed tray
// manages the X screen.
bool TrayHostPresent(const XcbDesktop& desktop);

}  // namespace quillop
