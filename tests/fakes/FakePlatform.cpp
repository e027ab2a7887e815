#include "fakes/FakePlatform.h"

#include <algorithm>

namespace quillop::testing {

FakeFlyWindow::FakeFlyWindow(FakePlatform& owner, FlyEvents& flyEvents, std::string windowName,
                             const Rect& initial)
    : platform(owner),
      events(flyEvents),
      name(std::move(windowName)),
      place{initial.Left, initial.Top} {}

FakeFlyWindow::~FakeFlyWindow() {
    platform.destroyed.push_back(name);
    std::erase(platform.flyWindows, this);
}

void FakeFlyWindow::StartTimer(int intervalMs) {
    timerRunning = true;
    timerInterval = intervalMs;
    ++timerStarts;
}

void FakeFlyWindow::StopTimer() {
    timerRunning = false;
}

PresentResult FakeFlyWindow::Present(Point at, const CachedSprite* sprite) {
    place = at;
    steps.push_back(at);
    if (sprite == nullptr) {
        return {};
    }
    PresentResult result;
    if (platform.failLayered) {
        result.Refusal = "Access is denied";
    }
    if (platform.failPresent) {
        result.Shown = false;
    } else {
        presented.push_back(sprite->Name);
    }
    return result;
}

std::unique_ptr<MainWindow> FakePlatform::CreateMainWindow(MainFormEvents& events) {
    mainEvents = &events;
    auto window = std::make_unique<FakeMainWindow>();
    mainWindow = window.get();
    return window;
}

std::unique_ptr<FlyWindow> FakePlatform::CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                         const Rect& bounds) {
    auto window = std::make_unique<FakeFlyWindow>(*this, events, name, bounds);
    flyWindows.push_back(window.get());
    return window;
}

void FakePlatform::ShowMessageBox(const std::string& text, const std::string& caption,
                                  BoxIcon icon) {
    boxes.push_back({text, caption, icon});
    if (whileBoxOpen) {
        whileBoxOpen(boxes.back());
    }
}

}  // namespace quillop::testing
