// The application object: owns the main window and every fly, reports failures.
#pragma once

#include <memory>
#include <vector>

#include "clFly/FlyForm.h"
#include "clFly/SpriteCache.h"
#include "main/Platform.h"

namespace quillop {

class Application final : public FlyHost {
  public:
    Application(Platform& platform, const SpriteSource& sprites);
    // Destroys every owned component, newest first.
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Platform& System() { return platform_; }

    // Takes ownership of a component; components are kept in the order of their creation.
    Component& Own(std::unique_ptr<Component> component);
    // Destroys an owned component at once.
    void Destroy(const Component& component);
    // Destroys every owned component, from the newest to the oldest.
    void DestroyAll();
    const std::vector<std::unique_ptr<Component>>& Components() const { return components_; }

    // The flies: owned components whose names begin with "frmPngFly", oldest first.
    std::vector<TFlyForm*> FlyList() const;
    // Creates a fly, owned by the application, and shows it. Nothing when the fly was destroyed
    // before its start was over.
    TFlyForm* CreateFly();

    // Runs a handler, sending a failure that escapes it to the default error handler.
    template <class Handler>
    void Guarded(Handler&& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            ShowFailure(e.what());
        }
    }

    // FlyHost
    std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                               const Rect& bounds) override;
    void HideApplicationWindow() override { platform_.HideApplicationWindow(); }
    Size ScreenSize() override { return platform_.ScreenSize(); }
    Rect WorkArea() override { return platform_.WorkArea(); }
    Point ScreenOrigin() override { return platform_.ScreenOrigin(); }
    const Clock& SystemClock() override { return platform_.SystemClock(); }
    SpriteCache& Sprites() override { return sprites_; }
    RandomSource& Random() override { return ProcessRandom(); }
    void ShowFailure(const std::string& message) override;
    void ShowNotice(const std::string& text) override;

  private:
    // Shows a modal box with every visible window of the program disabled meanwhile.
    void ShowModal(const std::string& text, BoxIcon icon);

    Platform& platform_;
    SpriteCache sprites_;
    std::vector<std::unique_ptr<Component>> components_;
    // Windows disabled by the open message boxes, and how many boxes are open.
    std::vector<Component*> disabled_;
    int openBoxes_ = 0;
};

}  // namespace quillop
