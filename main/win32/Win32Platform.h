// The Windows platform: the application's hidden window, the message loop, screen, clock and
// message boxes, through plain Win32 calls.
//
// Errors: windows that cannot be made throw Failure with the system's text; other refusals
// are answered as Platform says, and most return codes are left unchecked where nothing can
// be done about them.
#pragma once

#include <windows.h>

#include "clFly/win32/Win32FlyWindow.h"
#include "main/Platform.h"
#include "main/win32/Win32TrayIcon.h"

namespace quillop {

// The clock: the performance counter, and the tick count.
class Win32Clock final : public Clock {
  public:
    std::optional<std::uint64_t> HighResolutionCounter() const override;
    std::uint32_t TickCount() const override { return GetTickCount(); }
};

class Win32Platform : public Platform {
  public:
    // Registers the window classes and creates the application's hidden window "Quillop".
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::unique_ptr<MainWindow> CreateMainWindow(MainFormEvents& events) override;
    std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                               const Rect& bounds) override;
    Size ScreenSize() override;
    Rect WorkArea() override;
    const Clock& SystemClock() override { return clock_; }
    void HideApplicationWindow() override { ShowWindow(appWindow_, SW_HIDE); }
    void ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void ProcessMessages() override;
    void RunMessageLoop() override;
    void Terminate() override { PostQuitMessage(0); }
    void ReportStartupFailure(const std::exception& failure) override;
    std::unique_ptr<SettingsStore> CreateSettingsStore() override;
    void AddTrayIcon() override { tray_.Add(); }
    void RemoveTrayIcon() override { tray_.Remove(); }
    void OpenWebPage(const std::string& address) override;

    HWND ApplicationWindow() const { return appWindow_; }

  private:
    // Hands a message to the settings window's keyboard rules (Tab, Enter, Space, Escape) or
    // dispatches it.
    void Dispatch(MSG& message);

    HINSTANCE instance_;
    HWND appWindow_ = nullptr;
    HWND settingsWindow_ = nullptr;
    Win32TrayIcon tray_;
    Win32Clock clock_;
    SpriteBitmaps bitmaps_;
};

}  // namespace quillop
