// Quillop whose every fly draw is refused, for the tests of failure handling: the program's own
// platform with that one fault put in, three flies brought up as start-up does, and a hidden
// control window through which the test closes all flies (as the tray menu will).
#include <windows.h>

#include "clFly/win32/ResourceSprites.h"
#include "main/Application.h"
#include "main/Population.h"
#include "main/win32/Win32Platform.h"

namespace {

// The control message: destroy every fly now.
constexpr UINT kCloseAllFlies = WM_APP + 1;

quillop::Application* g_app = nullptr;

// A real fly window whose pictures the system refuses to show.
class RefusingFlyWindow final : public quillop::FlyWindow {
  public:
    explicit RefusingFlyWindow(std::unique_ptr<quillop::FlyWindow> window)
        : window_(std::move(window)) {}

    void StartTimer(int intervalMs) override { window_->StartTimer(intervalMs); }
    void StopTimer() override { window_->StopTimer(); }
    quillop::PresentResult Present(quillop::Point at,
                                   const quillop::CachedSprite* sprite) override {
        quillop::PresentResult result = window_->Present(at, nullptr);
        result.Shown = sprite == nullptr;
        return result;
    }
    void Show() override { window_->Show(); }
    void Hide() override { window_->Hide(); }
    bool IsVisible() const override { return window_->IsVisible(); }
    void SetInputEnabled(bool enabled) override { window_->SetInputEnabled(enabled); }
    void SetTopMost(bool topMost) override { window_->SetTopMost(topMost); }

  private:
    std::unique_ptr<quillop::FlyWindow> window_;
};

class RefusingPlatform final : public quillop::Win32Platform {
  public:
    using Win32Platform::Win32Platform;
    std::unique_ptr<quillop::FlyWindow> CreateFlyWindow(quillop::FlyEvents& events,
                                                        const std::string& name,
                                                        const quillop::Rect& bounds) override {
        return std::make_unique<RefusingFlyWindow>(
            Win32Platform::CreateFlyWindow(events, name, bounds));
    }
};

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCloseAllFlies && g_app != nullptr) {
        quillop::CloseAllFlies(*g_app);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

// The test program's entry.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RefusingPlatform platform(instance);
    const quillop::ResourceSprites sprites(instance);
    quillop::Application app(platform, sprites);
    g_app = &app;
    WNDCLASSA controlClass{};
    controlClass.lpfnWndProc = ControlProc;
    controlClass.hInstance = instance;
    controlClass.lpszClassName = "QuillopTestControl";
    RegisterClassA(&controlClass);
    CreateWindowExA(0, controlClass.lpszClassName, "Quillop test control", WS_POPUP, 0, 0, 0, 0,
                    nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < 3; ++i) {
        if (quillop::TFlyForm* fly = app.CreateFly()) {
            fly->SetOnTop(true);
        }
        platform.ProcessMessages();
    }
    platform.RunMessageLoop();
    g_app = nullptr;
    return 0;
}
