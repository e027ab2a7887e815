#include "clFly/Walker.h"

#include <cmath>

#include "clFly/SpriteSource.h"

namespace quillop {

int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        result = floor + 1.0;
    }
    return static_cast<int>(result);
}

void MoveTimer::SetInterval(int ms) {
    if (ms == interval_) {
        return;
    }
    interval_ = ms;
    Update();
}

void MoveTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    Update();
}

void MoveTimer::Suspend() {
    driver_.StopTimer();
}

void MoveTimer::Resume() {
    Update();
}

// Brings the platform timer in line with the interval and the enabled flag.
void MoveTimer::Update() {
    driver_.StopTimer();
    if (enabled_ && interval_ > 0) {
        driver_.StartTimer(interval_);
    }
}

FlyWalker::FlyWalker(WalkerWindow& window, RandomSource& random)
    : window_(window), random_(random), timer_(window) {}

void FlyWalker::NewMove(bool changeHeading) {
    if (changeHeading) {
        Heading = random_.Random(8) + 1;
    }
    const int steps = random_.Random(100) + 10;
    int direction = random_.Random(3) - 1 + Heading;
    if (direction == 0) {
        direction = 8;
    } else if (direction == 9) {
        direction = 1;
    }
    int rest;
    if (random_.Random(10) == 0) {
        rest = random_.Random(5000) + 1000;
    } else {
        rest = random_.Random(1000) + 1;
    }
    SetMove(steps, direction, rest);
}

void FlyWalker::SetMove(int steps, int direction, int rest) {
    StepsLeft = steps;
    Direction = direction;
    timer_.SetInterval(rest);
    timer_.SetEnabled(true);
}

bool FlyWalker::InBounds(double x, double y) {
    const Rect area = window_.WorkArea();
    const double leftTop = kOverhangLeftTop * Scale;
    const double rightBottom = kOverhangRightBottom * Scale;
    return x >= area.Left + leftTop && y >= area.Top + leftTop &&
           x + rightBottom <= area.Left + area.Width && y + rightBottom <= area.Top + area.Height;
}

void FlyWalker::MoveTimerTick() {
    timer_.SetInterval(kStepPeriodMs);
    if (FreezeTicks >= 1) {
        --FreezeTicks;
        return;
    }
    SpriteName = quillop::SpriteName(Direction, Frame);
    if (++Frame > 6) {
        Frame = 1;
    }
    // The window stands where the fly was before this step: always one step behind.
    window_.MoveTo(RoundHalfEven(X), RoundHalfEven(Y));
    const StepVector step = kStepTable[Direction - 1];
    X += step.X * Scale;
    Y += step.Y * Scale;
    if (InBounds(X, Y)) {
        window_.DrawSprite();
        if (--StepsLeft < 1) {
            timer_.SetEnabled(false);
            NewMove(false);
        }
        return;
    }
    // Each correction sees the ones before it, and the work area is read again for each.
    const double leftTop = kOverhangLeftTop * Scale;
    const double rightBottom = kOverhangRightBottom * Scale;
    const double pushBack = kPushBack * Scale;
    if (X < window_.WorkArea().Left + leftTop) {
        X += pushBack;
    }
    if (Y < window_.WorkArea().Top + leftTop) {
        Y += pushBack;
    }
    if (const Rect area = window_.WorkArea(); X + rightBottom > area.Left + area.Width) {
        X -= pushBack;
    }
    if (const Rect area = window_.WorkArea(); Y + rightBottom > area.Top + area.Height) {
        Y -= pushBack;
    }
    timer_.SetEnabled(false);
    NewMove(true);
}

}  // namespace quillop
