#include "fakes/FakePlatform.h"

#include <algorithm>

namespace quillop::testing {

FakeFlyWindow::FakeFlyWindow(FakePlatform& owner, FlyEvents& flyEvents, std::string windowName,
                             const Rect& initial)
    : platform(owner), events(flyEvents), name(std::move(windowName)), bounds(initial) {}

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

void FakeFlyWindow::SetBounds(const Rect& value) {
    bounds = value;
    moves.push_back(value);
}

std::optional<std::string> FakeFlyWindow::MakeLayered() {
    layered = true;
    if (platform.failLayered) {
        return std::string("Access is denied");
    }
    return std::nullopt;
}

bool FakeFlyWindow::Present(const CachedSprite& sprite, int, int, std::uint8_t) {
    if (platform.failPresent) {
        return false;
    }
    presented.push_back(sprite.Name);
    return true;
}

std::unique_ptr<MainWindow> FakePlatform::CreateMainWindow(MainFormEvents& events) {
    mainEvents = &events;
    auto window = std::make_unique<FakeMainWindow>();
    window->withControls = mainWindowControls;
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
