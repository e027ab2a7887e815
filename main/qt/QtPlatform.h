// The Linux platform: a Qt application shell over the fly display chosen at the start.
//
// Errors: a toolkit that does not run on the chosen display throws Failure (RunOnQt prints
// kNeedsDisplayMessage); other refusals are answered as Platform says.
#pragma once

#include <functional>
#include <memory>

#include "main/Platform.h"

class QMenu;

namespace quillop {

class FlyDisplay;
struct FlyDisplayEntry;

// The text printed when there is no display to run on.
extern const char* const kNeedsDisplayMessage;

class QtPlatform final : public Platform {
  public:
    // Needs a running QApplication on the display's toolkit platform; throws Failure otherwise.
    explicit QtPlatform(const FlyDisplayEntry& display);
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
    // Lets the flies' display wake the loop when it has something to flush.
    void WatchDisplay();
    std::unique_ptr<Shell> shell_;
    bool terminated_ = false;
};

// The main window `frmMain`: the settings window of class "TfrmMain" captioned "Quillop 1.1",
// hidden until asked for, with the tray menu as its context menu. The display writes its hints.
std::unique_ptr<MainWindow> CreateQtMainWindow(MainFormEvents& events, QMenu& contextMenu,
                                               const FlyDisplay& display);

// Chooses the fly display, starts Qt on its platform (whatever QT_QPA_PLATFORM says), ignoring
// the program's arguments, and runs the program on the platform. Returns the exit code; 1 with
// a message on stderr and in a desktop notification when no display can run.
int RunOnQt(const char* programPath, const std::function<int(Platform&)>& program);

}  // namespace quillop
