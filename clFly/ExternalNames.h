// The fly's names that other programs and scripts rely on. They never change between versions;
// each says who relies on it. The shell's own names are in main/ExternalNames.h.
#pragma once

namespace quillop {

// Every fly window's name (and window text) begins with this: the program finds its own
// flies by it, and so do scripts and the tests.
inline constexpr char kFlyNamePrefix[] = "frmPngFly";
// The Windows fly windows' class: tools that list or hide the flies.
inline constexpr char kFlyWindowClass[] = "QuillopFly";
// WM_CLASS of the X11 fly windows (instance, then class): compositor rules and tools.
inline constexpr char kFlyX11Instance[] = "quillop";
// The class of every X11 window of the program: desktops find the menu entry by it (its
// StartupWMClass), to name the program and show its icon.
inline constexpr char kX11Class[] = "Quillop";

}  // namespace quillop
