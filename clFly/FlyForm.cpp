#include "clFly/FlyForm.h"

#include <exception>

namespace quillop {

namespace {

// Thrown past a handler whose fly was destroyed inside a message box; nothing may touch it.
struct FlyGone {};

constexpr Rect kInitialBounds{0, 0, 60, 60};

}  // namespace

TFlyForm::TFlyForm(FlyHost& host)
    : host_(host),
      name_(kFlyNamePrefix + std::to_string(host.SystemClock().TickCount())),
      window_(host.CreateFlyWindow(*this, name_, kInitialBounds)),
      walker_(*this, host.Random()) {}

TFlyForm::~TFlyForm() {
    *alive_ = false;
    window_->StopTimer();
    window_.reset();
}

bool TFlyForm::Show() {
    const std::shared_ptr<bool> alive = alive_;
    Guarded([this] {
        FlyShow();
        StandAt();
    });
    if (!*alive) {
        return false;
    }
    // A fly closed during its own start stays hidden.
    if (!hiddenForGood_) {
        window_->Show();
    }
    return true;
}

void TFlyForm::SetOnTop(bool onTop) {
    window_->SetTopMost(onTop);
}

bool TFlyForm::IsShowing() const {
    return window_->IsVisible();
}

void TFlyForm::SetInputEnabled(bool enabled) {
    window_->SetInputEnabled(enabled);
}

void TFlyForm::FlyShow() {
    host_.HideApplicationWindow();
    host_.Random().Randomize(host_.SystemClock());
    // The centre of the whole screen, not of the work area, in whole pixels.
    const Size screen = host_.ScreenSize();
    const int left = screen.Width / 2;
    const int top = screen.Height / 2;
    walker_.X = left;
    walker_.Y = top;
    walker_.Scale = window_->Scale();
    MoveTo(left, top);
    walker_.NewMove(true);
    DrawSprite();
}

void TFlyForm::MoveTo(int left, int top) {
    // The window moves with the step's picture, or at the end of a step that draws none. The
    // walker measures from the primary screen's corner, wherever that screen stands.
    const Point origin = host_.ScreenOrigin();
    place_ = Point{origin.Left + left, origin.Top + top};
}

void TFlyForm::StandAt() {
    if (place_ != placed_) {
        window_->Present(place_, nullptr);
        placed_ = place_;
    }
}

void TFlyForm::DrawSprite() {
    // A fly hidden for good still walks and draws its random numbers, but nobody sees it.
    if (hiddenForGood_) {
        return;
    }
    const CachedSprite* sprite = nullptr;
    try {
        sprite = &host_.Sprites().Get(walker_.SpriteName, walker_.Scale);
    } catch (...) {
        StandAt();
        throw;
    }
    const PresentResult result = window_->Present(place_, sprite);
    placed_ = place_;
    if (result.Refusal) {
        ShowNotice(*result.Refusal);
    }
    if (!result.Shown) {
        ShowNotice("No!!!!!");
    }
}

void TFlyForm::ShowNotice(const std::string& text) {
    const std::shared_ptr<bool> alive = alive_;
    walker_.Timer().Suspend();
    host_.ShowNotice(text);
    if (!*alive) {
        throw FlyGone{};
    }
    walker_.Timer().Resume();
}

template <class Handler>
void TFlyForm::Guarded(Handler&& handler) {
    const std::shared_ptr<bool> alive = alive_;
    std::string failure;
    try {
        handler();
        return;
    } catch (const FlyGone&) {
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!*alive) {
        return;
    }
    walker_.Timer().Suspend();
    host_.ShowFailure(failure);
    if (*alive) {
        walker_.Timer().Resume();
    }
}

void TFlyForm::OnTimer() {
    Guarded([this] {
        // A fly follows a change of its screen's scale at its next step.
        walker_.Scale = window_->Scale();
        walker_.MoveTimerTick();
        StandAt();
    });
}

void TFlyForm::OnMouseMove() {
    if (!hiddenForGood_) {
        walker_.FlyMouseMove();
    }
}

void TFlyForm::OnCloseRequest() {
    hiddenForGood_ = true;
    window_->Hide();
}

}  // namespace quillop
