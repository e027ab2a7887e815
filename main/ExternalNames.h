// The application shell's names that other programs, scripts and stored settings rely on. They
// never change between versions; each says who relies on it. The fly's are in
// clFly/ExternalNames.h, and the numbers of the Windows messages in main/win32.
#pragma once

namespace quillop {

// The main window's class and caption: other programs find the running Quillop by them, to ask
// it to end (installers, logoff scripts). The caption ends in the version; installers match its
// start, "Quillop ", so that they find a copy of any version.
inline constexpr char kMainWindowClass[] = "TfrmMain";
inline constexpr char kMainWindowCaption[] = "Quillop 1.1";
// The tray icon's tooltip: what users look for in the notification area.
inline constexpr char kTrayIconTip[] = "Vantrel";

// The settings' name: the registry key HKEY_CURRENT_USER\Software\QuillopPro and the Run
// value on Windows; $XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf and the autostart entry
// QuillopPro.desktop on Linux. Stored settings and the user's logon entry rely on it.
inline constexpr char kSettingsName[] = "QuillopPro";

}  // namespace quillop
