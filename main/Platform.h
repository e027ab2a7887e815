// The operating system as the application shell uses it; one implementation per platform and
// a fake one for the tests.
//
// Errors: a platform shows nothing of its own accord. It throws Failure only where the shell
// catches it (a window or store that cannot be made, which ends the start-up through
// ReportStartupFailure or reaches the default error handler) and otherwise answers with what
// the system refused; the shell decides what the user is told.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "clFly/FlyWindow.h"
#include "main/SettingsStore.h"
#include "main/TrayMenu.h"

namespace quillop {

enum class BoxIcon { None, Stop };

// What the platform tells the main window's logic.
class MainFormEvents {
  public:
    virtual ~MainFormEvents() = default;
    // A request to close the main window: "Exit", message 0x467, or any other close.
    virtual void OnCloseRequest() = 0;
    // The session is about to end; false refuses.
    virtual bool OnQueryEndSession() = 0;
    // The session ends (ending true) or its end was cancelled.
    virtual void OnEndSession(bool ending) = 0;
    // The settings window's OK button (`bOKClick`).
    virtual void OnOkClick() = 0;
    // The settings window's hidden first button (`Button1Click`): adds a fly.
    virtual void OnButton1Click() = 0;
    // The link label "More fun program..." (`lbHomePageClick`).
    virtual void OnHomePageClick() = 0;
    // An entry of the tray menu, or of the same menu opened on the settings window.
    virtual void OnMenuCommand(MenuCommand command) = 0;
};

// The settings window's three controls, which hold the user settings while the program runs.
class SettingsControls {
  public:
    virtual ~SettingsControls() = default;
    virtual bool OnTopChecked() const = 0;
    virtual void SetOnTopChecked(bool checked) = 0;
    virtual bool StartupChecked() const = 0;
    virtual void SetStartupChecked(bool checked) = 0;
    // The count field's text, as typed.
    virtual std::string CountText() const = 0;
    virtual void SetCountText(const std::string& text) = 0;
};

// The main window `frmMain` of class "TfrmMain", captioned "Quillop 1.1", created hidden.
class MainWindow {
  public:
    virtual ~MainWindow() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetInputEnabled(bool enabled) = 0;
    // The window's settings controls, which hold the user settings.
    virtual SettingsControls& Controls() = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;
    virtual std::unique_ptr<MainWindow> CreateMainWindow(MainFormEvents& events) = 0;
    virtual std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                       const Rect& bounds) = 0;
    // The primary screen's full size.
    virtual Size ScreenSize() = 0;
    // The primary screen's work area (the screen less the taskbar or panels), measured from
    // that screen's top-left corner.
    virtual Rect WorkArea() = 0;
    // The primary screen's top-left corner on the desktop; Windows puts it at (0, 0).
    virtual Point ScreenOrigin() { return {}; }
    virtual const Clock& SystemClock() = 0;
    // Hides the application's own hidden top-level window.
    virtual void HideApplicationWindow() = 0;
    // A modal box owned by the application's hidden window. When it closes, the window that
    // was active before is activated again.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption,
                                BoxIcon icon) = 0;
    // Handles the messages that are waiting now, without waiting for timers to run dry.
    virtual void ProcessMessages() = 0;
    // Runs the message loop until Terminate.
    virtual void RunMessageLoop() = 0;
    virtual void Terminate() = 0;
    // The task-modal "Application Error" report of a failure that ends start-up.
    virtual void ReportStartupFailure(const std::exception& failure) = 0;
    // The current user's settings store; without one the defaults are kept and nothing is
    // written.
    virtual std::unique_ptr<SettingsStore> CreateSettingsStore() { return nullptr; }
    // Adds the notification-area icon ("Vantrel"), or removes it.
    virtual void AddTrayIcon() {}
    virtual void RemoveTrayIcon() {}
    // Opens a web page in the user's default browser.
    virtual void OpenWebPage(const std::string& address) { (void)address; }
};

}  // namespace quillop
