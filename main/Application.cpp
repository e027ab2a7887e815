#include "main/Application.h"

#include <algorithm>

#include "clFly/ExternalNames.h"
#include "main/ErrorText.h"

namespace quillop {

Application::Application(Platform& platform, const SpriteSource& sprites)
    : platform_(platform), sprites_(sprites) {}

Application::~Application() {
    DestroyAll();
}

Component& Application::Own(std::unique_ptr<Component> component) {
    components_.push_back(std::move(component));
    return *components_.back();
}

void Application::Destroy(const Component& component) {
    auto found = std::find_if(components_.begin(), components_.end(),
                              [&](const auto& owned) { return owned.get() == &component; });
    if (found == components_.end()) {
        return;
    }
    // Taken out of the list first, so that nothing it does while dying finds it there.
    std::unique_ptr<Component> doomed = std::move(*found);
    components_.erase(found);
    std::erase(disabled_, doomed.get());
    doomed.reset();
}

void Application::DestroyAll() {
    while (!components_.empty()) {
        Destroy(*components_.back());
    }
}

std::vector<TFlyForm*> Application::FlyList() const {
    std::vector<TFlyForm*> flies;
    for (const auto& component : components_) {
        auto* fly = dynamic_cast<TFlyForm*>(component.get());
        if (fly != nullptr && fly->Name().starts_with(kFlyNamePrefix)) {
            flies.push_back(fly);
        }
    }
    return flies;
}

TFlyForm* Application::CreateFly() {
    auto owned = std::make_unique<TFlyForm>(*this);
    TFlyForm* fly = owned.get();
    Own(std::move(owned));
    if (openBoxes_ > 0) {
        fly->SetInputEnabled(false);
        disabled_.push_back(fly);
    }
    return fly->Show() ? fly : nullptr;
}

std::unique_ptr<FlyWindow> Application::CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                        const Rect& bounds) {
    return platform_.CreateFlyWindow(events, name, bounds);
}

void Application::ShowFailure(const std::string& message) {
    ShowModal(FailureText(message), BoxIcon::Stop);
}

void Application::ShowNotice(const std::string& text) {
    ShowModal(text, BoxIcon::None);
}

void Application::ShowModal(const std::string& text, BoxIcon icon) {
    for (const auto& component : components_) {
        Component* window = component.get();
        if (window->IsShowing() &&
            std::find(disabled_.begin(), disabled_.end(), window) == disabled_.end()) {
            window->SetInputEnabled(false);
            disabled_.push_back(window);
        }
    }
    ++openBoxes_;
    platform_.ShowMessageBox(text, kApplicationTitle, icon);
    // Only the outermost box gives the windows back their input.
    if (--openBoxes_ == 0) {
        for (Component* window : disabled_) {
            window->SetInputEnabled(true);
        }
        disabled_.clear();
    }
}

}  // namespace quillop
