// What the application shell asks of the X desktop around its own windows: who has the focus,
// giving it back, and the hints other programs and the window manager read on a window.
//
// Errors: none are reported: a window that is gone or a property that is missing answers 0
// or does nothing, as a desktop without a window manager does.
#pragma once

#include <xcb/xcb.h>

#include <string>
#include <string_view>

namespace quillop {

// Whether an X server answers at $DISPLAY.
bool CanReachX11Display();

// The dots per inch an X resource listing ("name:\tvalue" lines) gives Xft.dpi; 0 for none.
double XftDpiOf(std::string_view resources);

// The screen of $DISPLAY on a connection to it. Copies share the connection, which outlives them.
class XcbDesktop {
  public:
    explicit XcbDesktop(xcb_connection_t* connection);

    xcb_connection_t* Connection() const { return connection_; }
    int ScreenNumber() const { return screenNumber_; }

    // The window that has the focus: the window manager's active window, else the X focus; 0
    // when there is none.
    xcb_window_t ActiveWindow() const;
    // Gives the focus back to a window that had it (if it still exists); 0 does nothing.
    void Activate(xcb_window_t window) const;
    // Writes a window's WM_CLASS: its instance name and its class.
    void SetWindowClass(xcb_window_t window, std::string_view instance,
                        std::string_view className) const;
    // Asks the window manager for a title bar without buttons and for no taskbar entry; written
    // before each show of the window.
    void SetDialogFrameHints(xcb_window_t window) const;
    // The name the window manager gives itself (_NET_WM_NAME of its check window), or nothing.
    std::string WindowManagerName() const;
    // Whether an XEmbed system tray manages the screen's tray selection.
    bool HasSystemTray() const;
    // Sends everything waiting to the server.
    void Flush() const;
    // The dots per inch the X resources ask for (Xft.dpi), or 0 when they name none.
    double ResourceDpi() const;
    // Whether an event tells of a change of the X resources (the root's RESOURCE_MANAGER).
    bool IsResourceChange(const xcb_generic_event_t* event) const;

  private:
    enum AtomName {
        kNetActiveWindow,
        kMotifWmHints,
        kNetWmState,
        kNetWmStateSkipTaskbar,
        kNetSupportingWmCheck,
        kNetWmName,
        kUtf8String,
        kCount
    };

    xcb_connection_t* connection_;
    int screenNumber_ = 0;
    xcb_window_t root_ = 0;
    xcb_atom_t atoms_[kCount] = {};
    xcb_atom_t traySelection_ = XCB_ATOM_NONE;
};

}  // namespace quillop
