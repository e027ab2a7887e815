// One fly: its walker and its window, and how the two meet.
#pragma once

#include <memory>
#include <string>

#include "clFly/Component.h"
#include "clFly/ExternalNames.h"
#include "clFly/FlyWindow.h"
#include "clFly/Walker.h"

namespace quillop {

class TFlyForm final : public Component, private WalkerWindow, private FlyEvents {
  public:
    // Creates the fly with its window hidden; Show() starts it.
    explicit TFlyForm(FlyHost& host);
    // Releases the timer, then the window.
    ~TFlyForm() override;
    TFlyForm(const TFlyForm&) = delete;
    TFlyForm& operator=(const TFlyForm&) = delete;

    // Shows the window, running FlyShow first. False when the fly was destroyed meanwhile
    // (inside the message box of a failed first draw).
    bool Show();
    // Makes the window top-most, or not.
    void SetOnTop(bool onTop);

    const std::string& Name() const override { return name_; }
    bool IsShowing() const override;
    void SetInputEnabled(bool enabled) override;

    // Whether a close request has hidden the fly for good.
    bool IsHiddenForGood() const { return hiddenForGood_; }
    // Where the window stands now.
    Point Place() const { return placed_; }
    FlyWalker& Walker() { return walker_; }
    const FlyWalker& Walker() const { return walker_; }
    FlyEvents& Events() { return *this; }

  private:
    // WalkerWindow
    void MoveTo(int left, int top) override;
    void DrawSprite() override;
    Rect WorkArea() override { return host_.WorkArea(); }
    void StartTimer(int intervalMs) override { window_->StartTimer(intervalMs); }
    void StopTimer() override { window_->StopTimer(); }

    // FlyEvents
    void OnTimer() override;
    void OnMouseMove() override;
    void OnDoubleClick() override { OnCloseRequest(); }
    void OnCloseRequest() override;

    // The show handler: hide the application window, start at the screen centre, first draw.
    void FlyShow();
    // Stands the window where the walker put it, if a step moved it without drawing.
    void StandAt();
    // Shows a report with this fly's timer stopped, so its failing draws cannot stack boxes.
    // Throws FlyGone when the fly was destroyed while the box was open.
    void ShowNotice(const std::string& text);
    // Runs a handler, sending a failure that escapes it to the default error handler.
    template <class Handler>
    void Guarded(Handler&& handler);

    FlyHost& host_;
    std::string name_;
    std::unique_ptr<FlyWindow> window_;
    FlyWalker walker_;
    // Where the walker wants the window, and where the window was last put.
    Point place_;
    Point placed_;
    bool hiddenForGood_ = false;
    // Cleared by the destructor; handlers keep a copy to learn that the fly is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quillop
