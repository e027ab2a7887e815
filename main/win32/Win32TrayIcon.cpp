#include "main/win32/Win32TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "clFly/win32/DpiAwareness.h"

namespace quillop {

TrayAction TrayActionFor(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDBLCLK:
            return TrayAction::ShowSettings;
        case WM_RBUTTONUP:
            return TrayAction::OpenMenu;
        default:
            return TrayAction::Ignore;
    }
}

namespace {

constexpr UINT kTrayIconId = 1;

// The side of a small icon at the screen's own scale: 16 at 100 %, 32 at 200 %.
int SmallIconSide() {
    const PerMonitorDpiScope physical;
    const int side = GetSystemMetrics(SM_CXSMICON);
    return side > 0 ? side : 16;
}

// The record in its first-version form, as the shell of every Windows version takes it.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

}  // namespace

Win32TrayIcon::Win32TrayIcon(HINSTANCE instance)
    : icon_(static_cast<HICON>(
          LoadImageA(instance, "TRAYICON", IMAGE_ICON, SmallIconSide(), SmallIconSide(), 0))),
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {}

bool Win32TrayIcon::Notify(DWORD action) const {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    data.hIcon = icon_.Get();
    std::strncpy(data.szTip, kTrayIconTip, sizeof data.szTip - 1);
    return Shell_NotifyIconA(action, &data) != FALSE;
}

// A refused icon goes unnoticed: the program then runs without it.
void Win32TrayIcon::Add() {
    if (window_ != nullptr) {
        Notify(NIM_ADD);
        added_ = true;
    }
}

void Win32TrayIcon::Remove() {
    if (added_) {
        Notify(NIM_DELETE);
        added_ = false;
    }
}

void Win32TrayIcon::OnTaskbarCreated() {
    if (added_) {
        Notify(NIM_ADD);
    }
}

// NOTE: the owner must be the foreground window while the menu is open, or the menu does not
// close when the user clicks elsewhere; the WM_NULL after it lets a second open work at once.
MenuCommand TrackTrayMenu(HWND owner, POINT at) {
    const ScopedMenu menu(CreatePopupMenu());
    // The access keys are worked out each time the menu opens.
    for (const ShownMenuLine& line : ShownMenuLines(PopupMenuEntries())) {
        if (line.Entry == nullptr) {
            AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const auto command = static_cast<UINT>(line.Entry->Command);
        AppendMenuA(menu.Get(), MF_STRING, command, line.Caption.c_str());
        if (line.Entry->IsDefault) {
            SetMenuDefaultItem(menu.Get(), command, FALSE);
        }
    }
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                       owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    for (const MenuEntry& entry : PopupMenuEntries()) {
        if (chosen != 0 && static_cast<UINT>(entry.Command) == chosen) {
            return entry.Command;
        }
    }
    return MenuCommand::None;
}

}  // namespace quillop
