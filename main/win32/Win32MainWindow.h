// The main window `frmMain` on Windows: the hidden settings window of class "TfrmMain", which
// also receives the tray icon's messages.
#pragma once

#include <windows.h>

#include <memory>

#include "main/ExternalNames.h"
#include "main/Platform.h"
#include "main/win32/Win32TrayIcon.h"

namespace quillop {

// Sent or posted to the main window by another program, it ends Quillop as "Exit" does:
// installers and scripts that stop Quillop rely on its number.
constexpr UINT WM_CLOSEAPP = WM_USER + 103;  // 0x467

// Registers the main window's class; call once before the main window is created.
void RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window hidden, owned by the application's window so that it has no taskbar
// button, and makes it the window of the tray icon. Throws Failure with the system's text when
// the system refuses.
std::unique_ptr<MainWindow> CreateWin32MainWindow(HINSTANCE instance, HWND owner,
                                                  Win32TrayIcon& tray, MainFormEvents& events);

// The window handle of a main window made by CreateWin32MainWindow.
HWND MainWindowHandle(const MainWindow& window);

}  // namespace quillop
