// A platform without windows: records what the core asks of it, so tests drive the core headless.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "main/Platform.h"

namespace quillop::testing {

// A clock whose readings the test sets.
class FixedClock final : public Clock {
  public:
    std::optional<std::uint64_t> HighResolutionCounter() const override { return counter; }
    std::uint32_t TickCount() const override { return ticks; }

    std::optional<std::uint64_t> counter = 0x1234567800000042ull;
    std::uint32_t ticks = 1000;
};

class FakePlatform;

// A fly window that keeps its state in plain fields.
class FakeFlyWindow final : public FlyWindow {
  public:
    FakeFlyWindow(FakePlatform& platform, FlyEvents& events, std::string name, const Rect& bounds);
    ~FakeFlyWindow() override;

    void StartTimer(int intervalMs) override;
    void StopTimer() override;
    PresentResult Present(Point at, const CachedSprite* sprite) override;
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() const override { return visible; }
    void SetInputEnabled(bool enabled) override { inputEnabled = enabled; }
    void SetTopMost(bool value) override { topMost = value; }

    FakePlatform& platform;
    FlyEvents& events;
    std::string name;
    Point place;
    std::vector<Point> steps;  // one entry per Present call
    std::vector<std::string> presented;
    bool visible = false;
    bool inputEnabled = true;
    bool topMost = false;
    bool timerRunning = false;
    int timerInterval = 0;
    int timerStarts = 0;
};

class FakeMainWindow final : public MainWindow, public SettingsControls {
  public:
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() const override { return visible; }
    void SetInputEnabled(bool enabled) override { inputEnabled = enabled; }
    SettingsControls& Controls() override { return *this; }

    bool OnTopChecked() const override { return onTop; }
    void SetOnTopChecked(bool checked) override { onTop = checked; }
    bool StartupChecked() const override { return startup; }
    void SetStartupChecked(bool checked) override { startup = checked; }
    std::string CountText() const override { return count; }
    void SetCountText(const std::string& text) override { count = text; }

    bool visible = false;
    bool inputEnabled = true;
    bool onTop = true;
    bool startup = true;
    std::string count = "3";
};

class FakePlatform : public Platform {
  public:
    std::unique_ptr<MainWindow> CreateMainWindow(MainFormEvents& events) override;
    std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                               const Rect& bounds) override;
    Size ScreenSize() override { return screen; }
    Rect WorkArea() override { return workArea; }
    Point ScreenOrigin() override { return origin; }
    const Clock& SystemClock() override { return clock; }
    void HideApplicationWindow() override { ++applicationWindowHides; }
    void ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void ProcessMessages() override { ++processMessagesCalls; }
    void RunMessageLoop() override {}
    void Terminate() override { terminated = true; }
    void ReportStartupFailure(const std::exception& failure) override {
        startupFailure = failure.what();
    }
    void AddTrayIcon() override { trayIcon = true; }
    void RemoveTrayIcon() override { trayIcon = false; }
    void OpenWebPage(const std::string& address) override { openedPages.push_back(address); }

    struct Box {
        std::string text;
        std::string caption;
        BoxIcon icon;
    };

    Size screen{1366, 768};
    Rect workArea{0, 0, 1366, 728};
    Point origin;
    FixedClock clock;
    std::vector<FakeFlyWindow*> flyWindows;  // live windows, oldest first
    std::vector<std::string> destroyed;      // names of destroyed fly windows, in order
    std::vector<Box> boxes;
    // Runs while a box is open, as the user's other actions would inside its modal loop.
    std::function<void(const Box&)> whileBoxOpen;
    MainFormEvents* mainEvents = nullptr;
    FakeMainWindow* mainWindow = nullptr;
    bool failLayered = false;
    bool failPresent = false;
    bool terminated = false;
    bool trayIcon = false;
    std::vector<std::string> openedPages;
    int applicationWindowHides = 0;
    int processMessagesCalls = 0;
    std::string startupFailure;
};

}  // namespace quillop::testing
