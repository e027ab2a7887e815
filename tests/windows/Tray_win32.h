// What a person does with Quillop's tray icon, menu and settings window, done from the
// end-to-end driver: the shell's callback posted to the main window, the menu driven by keys.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillop::e2e {

constexpr UINT kCloseApp = 0x467;
constexpr UINT kTrayIcon = 0x401;

// The main window "Quillop 1.1" of class "TfrmMain" of a process; null if there is none yet.
HWND MainWindowOf(DWORD processId, DWORD timeoutMs = 10000);
// The fly windows of a process, hidden ones too when visibleOnly is false.
std::vector<HWND> FliesOf(DWORD processId, bool visibleOnly = true);
// Waits until a process has count flies, hidden ones included; returns what it found last.
std::vector<HWND> WaitForFlyCount(DWORD processId, std::size_t count, DWORD timeoutMs);
// Right-clicks the tray icon (the release is what acts) and waits for the open menu.
HWND OpenTrayMenu(HWND mainWindow);
// Presses a key in the open menu; the menu takes its access keys in upper case.
void PressMenuKey(HWND menu, char key);
// Presses a key in the open menu until no menu is open; false when one still is after 5 s.
bool PressMenuKeyUntilClosed(HWND menu, char key);
// Opens the tray menu and chooses an entry by its access key; true when the menu closed.
bool ChooseFromTrayMenu(HWND mainWindow, char key);
// Whether the shell holds the icon uID 1 of a window: only a present icon can be modified.
bool TrayIconPresent(HWND mainWindow);
// Whether a tray menu is open.
HWND OpenMenuWindow();
// The control of the program's thread that holds the keyboard focus.
HWND FocusOf(HWND mainWindow);
// Presses a key where the focus is, as the keyboard would deliver it.
void PressKey(HWND mainWindow, WORD virtualKey);
// Types characters where the focus is.
void TypeText(HWND mainWindow, const std::string& text);
// Clicks a mouse button at a client point of a window with the real pointer (xdotool); returns
// the point on the screen.
POINT ClickAt(HWND window, int x, int y, int button = 1);
// A top-level window of the driver, which takes the activation from the program as a click on
// another program's window does.
class ForeignWindow {
  public:
    ForeignWindow();
    ~ForeignWindow() { DestroyWindow(hwnd_); }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    // Shows the window in the foreground; true once the system reports it there.
    bool Activate();

  private:
    HWND hwnd_;
};
// A child control of the settings window by its class and text; text may be null.
HWND ControlOf(HWND mainWindow, const char* className, const char* text);
std::string TextOf(HWND window);
bool IsTopMost(HWND window);
// A message box of a process captioned caption, within the time; null when none shows.
HWND WaitForBox(const char* caption, DWORD timeoutMs);
// The box's text, and a press on its OK button.
std::string BoxText(HWND box);
void CloseBox(HWND box);
// Saves the screen's rect to a PNG file through ImageMagick.
bool SaveScreen(const std::string& file, const RECT& rect);

}  // namespace quillop::e2e
