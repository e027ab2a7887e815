// The Linux platform: a Qt application shell with fly windows drawn through XCB.
//
// Errors: no X11 display throws Failure (RunOnQt prints kNeedsX11Message); other refusals
// are answered as Platform says.
#pragma once

#include <functional>
#include <memory>

#include "main/Platform.h"

class QMenu;

namespace quillop {

class XcbDesktop;
class XcbFlyDisplay;

// The text printed when there is no X11 display to run on.
extern const char* const kNeedsX11Message;

class QtPlatform final : public Platform {
  public:
    // Needs a running QApplication on the xcb platform; throws Failure otherwise.
    QtPlatform();
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    std::unique_ptr<MainWindow> CreateMainWindow(MainFormEvents& events) override;
    std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                               const Rect& bounds) override;
    Size ScreenSize() override;
    Rect WorkArea() override;
    Point ScreenOrigin() override;
    const Clock& SystemClock() override;
    void HideApplicationWindow() override {}
    void ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void ProcessMessages() override;
    void RunMessageLoop() override;
    void Terminate() override;
    void ReportStartupFailure(const std::exception& failure) override;
    std::unique_ptr<SettingsStore> CreateSettingsStore() override;
    void AddTrayIcon() override;
    void RemoveTrayIcon() override;
    void OpenWebPage(const std::string& address) override;
    // Brings the settings window forward, as the tray's double click does.
    void ShowSettings();

  private:
    struct Shell;
    // Lets the flies' display hear of other windows' stacking while the loop waits.
    void WatchStacking();
    // Keeps the flies' scale that of the primary screen.
    void WatchScale();
    std::unique_ptr<Shell> shell_;
    MainFormEvents* mainEvents_ = nullptr;
    bool terminated_ = false;
};

// The main window `frmMain`: the settings window of class "TfrmMain" captioned "Quillop 1.1",
// hidden until asked for, with the tray menu as its context menu. The desktop writes its X hints.
std::unique_ptr<MainWindow> CreateQtMainWindow(MainFormEvents& events, QMenu& contextMenu,
                                               const XcbDesktop& desktop);

// Starts Qt on X11 (through XWayland under a Wayland session, whatever QT_QPA_PLATFORM says),
// ignoring the program's arguments, and runs the program on the platform. Returns the exit
// code; 1 with a message on stderr and in a desktop notification when there is no X11 display.
int RunOnQt(const char* programPath, const std::function<int(Platform&)>& program);

}  // namespace quillop
