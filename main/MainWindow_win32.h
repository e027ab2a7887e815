// The main window `frmMain` on Windows: a plain hidden window of class "TfrmMain".
#pragma once

#include <windows.h>

#include <memory>

#include "main/Platform.h"

namespace quillop {

// The message another program sends or posts to the main window to end Quillop.
constexpr UINT WM_CLOSEAPP = 0x467;

// Registers the main window's class; call once before the main window is created.
void RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window hidden, owned by the application's window so that it has no taskbar
// button. Throws Failure with the system's text when the system refuses.
std::unique_ptr<MainWindow> CreateWin32MainWindow(HINSTANCE instance, HWND owner,
                                                  MainFormEvents& events);

}  // namespace quillop
