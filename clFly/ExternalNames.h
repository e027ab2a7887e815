// The names and numbers that other programs, scripts and stored settings rely on. They never
// change between versions; each says who relies on it. Kept with the fly, the lowest layer,
// so that every part of the program takes them from here.
#pragma once

namespace quillop {

// Every fly window's name (and window text) begins with this: the program finds its own
// flies by it, and so do scripts and the tests.
inline constexpr char kFlyNamePrefix[] = "frmPngFly";
// The Windows fly windows' class: tools that list or hide the flies.
inline constexpr char kFlyWindowClass[] = "QuillopFly";
// WM_CLASS of the X11 fly windows (instance, then class): compositor rules and tools.
inline constexpr char kFlyX11Instance[] = "quillop";
inline constexpr char kFlyX11Class[] = "TFlyForm";

// The main window's class and caption: other programs find the running Quillop by them, to
// send it kCloseAppMessage (installers, logoff scripts).
inline constexpr char kMainWindowClass[] = "TfrmMain";
inline constexpr char kMainWindowCaption[] = "Quillop 1.1";
// Sent or posted to the main window, it ends the program as "Exit" does: installers and
// scripts that stop Quillop.
inline constexpr unsigned kCloseAppMessage = 0x467;
// The tray icon's callback message: the Windows shell sends it for the icon's mouse events.
inline constexpr unsigned kTrayIconMessage = 0x401;
// The tray icon's tooltip: what users look for in the notification area.
inline constexpr char kTrayIconTip[] = "Vantrel";

// The settings' name: the registry key HKEY_CURRENT_USER\Software\QuillopPro and the Run
// value on Windows; $XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf and the autostart entry
// QuillopPro.desktop on Linux. Stored settings and the user's logon entry rely on it.
inline constexpr char kSettingsName[] = "QuillopPro";

}  // namespace quillop
