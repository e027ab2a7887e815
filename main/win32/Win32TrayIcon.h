// The notification-area icon "Vantrel" and the menu it opens, on Windows.
#pragma once

#include <windows.h>

#include "clFly/win32/ScopedWin.h"
#include "main/ExternalNames.h"
#include "main/TrayMenu.h"

namespace quillop {

// The shell's callback message for the icon's mouse messages.
constexpr UINT WM_TRAYICON = WM_USER + 1;  // 0x401

// What a mouse message over the tray icon asks for: a left double click opens the settings
// window, a right button release the menu; every other message is ignored.
enum class TrayAction { Ignore, ShowSettings, OpenMenu };
TrayAction TrayActionFor(UINT mouseMessage);

// The main window's tray icon: uID 1, tooltip "Vantrel", the "TRAYICON" resource at the size of
// a small icon on the screen (16 x 16 at 100 %).
class Win32TrayIcon {
  public:
    explicit Win32TrayIcon(HINSTANCE instance);
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    // The window that receives the icon's messages; set once the main window exists.
    void SetWindow(HWND window) { window_ = window; }
    void Add();
    void Remove();
    // The taskbar was made anew (Explorer restarted): the icon is added again if it was there.
    void OnTaskbarCreated();
    // The message the shell broadcasts when it makes the taskbar anew.
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

  private:
    // Shell_NotifyIcon with the record in its first-version form.
    bool Notify(DWORD action) const;

    HWND window_ = nullptr;
    ScopedIcon icon_;
    UINT taskbarCreated_ = 0;
    bool added_ = false;
};

// Opens the tray menu at a screen point and waits until it is dismissed. Returns the chosen
// command, or MenuCommand::None.
MenuCommand TrackTrayMenu(HWND owner, POINT at);

}  // namespace quillop
