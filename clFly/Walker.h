// The motion model of one fly: short straight runs, rests, turns, edges and freezes.
#pragma once

#include <string>

#include "clFly/RandomSource.h"

namespace quillop {

struct Size {
    int Width = 0;
    int Height = 0;
};

// A rectangle in device pixels: a window's bounds on the desktop, or the work area measured
// from the primary screen's top-left corner.
struct Rect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const Rect&) const = default;
};

struct StepVector {
    double X;
    double Y;
};

// The change of position per step for directions 1..8, clockwise from "up".
constexpr StepVector kStepTable[8] = {
    {-1.5, -3.0}, {1.0, -3.0}, {3.0, -2.0}, {2.5, 1.0},
    {2.0, 3.0},   {-1.0, 2.5}, {-3.0, 1.5}, {-3.0, -1.5},
};

constexpr int kStepPeriodMs = 10;
constexpr int kFreezeTicks = 200;
constexpr double kOverhangLeftTop = -20.0;
constexpr double kOverhangRightBottom = 40.0;
constexpr double kPushBack = 3.0;

// Rounds to the nearest integer, ties to even (100.5 -> 100, 101.5 -> 102, -0.5 -> 0).
int RoundHalfEven(double value);

// Starts and stops the platform's periodic timer of one fly window.
class TimerDriver {
  public:
    virtual ~TimerDriver() = default;
    // Starts the timer with the given period, replacing any period it had.
    virtual void StartTimer(int intervalMs) = 0;
    virtual void StopTimer() = 0;
};

// A window timer with an interval and an enabled flag. Setting a value it already has does
// nothing; changing the interval of a running timer restarts it with the new period.
class MoveTimer {
  public:
    explicit MoveTimer(TimerDriver& driver) : driver_(driver) {}

    int Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void SetInterval(int ms);
    void SetEnabled(bool enabled);
    // Stops the platform timer without changing the interval or enabled flag.
    void Suspend();
    // Starts the platform timer again if it is enabled.
    void Resume();

  private:
    void Update();

    TimerDriver& driver_;
    int interval_ = kStepPeriodMs;
    bool enabled_ = false;
};

// What the walker needs from its fly window.
class WalkerWindow : public TimerDriver {
  public:
    // Moves the window's top-left corner: left first, then top.
    virtual void MoveTo(int left, int top) = 0;
    // Draws the sprite the walker names at the window's current position.
    virtual void DrawSprite() = 0;
    // The work area, measured from the primary screen's top-left corner as the walker's
    // positions are; read anew at every call.
    virtual Rect WorkArea() = 0;
};

// The walker state of one fly and its operations.
class FlyWalker {
  public:
    FlyWalker(WalkerWindow& window, RandomSource& random);

    // Chooses the next run (and a new heading if asked) and arms the timer for the rest.
    void NewMove(bool changeHeading);
    // Stores the run and arms the timer so that its first expiry, after rest ms, starts it.
    void SetMove(int steps, int direction, int rest);
    // One expiry of the move timer: at most one step.
    void MoveTimerTick();
    // The pointer moved over the fly: it stands still for the next 200 ticks.
    void FlyMouseMove() { FreezeTicks = kFreezeTicks; }

    MoveTimer& Timer() { return timer_; }
    const MoveTimer& Timer() const { return timer_; }

    std::string SpriteName = "1_1";
    int Frame = 1;
    double X = 0;
    double Y = 0;
    int StepsLeft = 0;
    int Direction = 1;
    int Heading = 1;
    int FreezeTicks = 0;
    // Device pixels per pixel of the 1x fly: steps, overhangs and push-backs are multiplied by
    // it, and the runs, rests, turns and random draws stay the same at every scale.
    double Scale = 1.0;

  private:
    bool InBounds(double x, double y);

    WalkerWindow& window_;
    RandomSource& random_;
    MoveTimer timer_;
};

}  // namespace quillop
