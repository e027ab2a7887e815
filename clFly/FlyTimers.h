// The timers of the fly windows, kept in one schedule over one wake-up of the event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace quillop {

// Whoever is told of a timer's expiries.
class TimerTarget {
  public:
    virtual ~TimerTarget() = default;
    // May start and stop timers and destroy the target itself.
    virtual void OnTimerExpiry() = 0;
};

// What the event loop gives the schedule: a monotonic clock and one wake-up.
class TimerWake {
  public:
    virtual ~TimerWake() = default;
    // Milliseconds of a monotonic clock.
    virtual std::int64_t NowMs() const = 0;
    // Runs the handler once, this many milliseconds from now; replaces a wake-up already set.
    virtual void Start(std::int64_t delayMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // What a wake-up runs; the schedule sets it once.
    virtual void SetHandler(std::function<void()> handler) = 0;
};

// Periodic timers, one per fly. Expiries fall on a grid of a few milliseconds, so that the
// flies due in the same slot share one wake-up of the event loop instead of waking it one by
// one (99 flies stepping every 10 ms would wake it nearly 10,000 times a second). An expiry
// that comes late is not made up: the next one is due a full period later.
class FlyTimers {
  public:
    explicit FlyTimers(TimerWake& wake);
    FlyTimers(const FlyTimers&) = delete;
    FlyTimers& operator=(const FlyTimers&) = delete;

    // Starts a timer whose first expiry is one period from now; returns its id (never 0).
    std::int64_t Start(TimerTarget& target, int intervalMs);
    void Stop(std::int64_t id);

  private:
    struct Entry {
        std::int64_t Id;
        TimerTarget* Target;
        int Interval;
        std::int64_t Due;  // milliseconds of the monotonic clock
    };

    // Runs the expiries that are due, each once.
    void Expire();
    // Sets the wake-up for the earliest expiry.
    void Arm();

    // Finds a running timer; null when it was stopped.
    Entry* Find(std::int64_t id);

    // By id: ids only grow (64 bits do not run out), and new timers go to the end.
    std::vector<Entry> entries_;
    TimerWake& wake_;
    std::int64_t armedFor_ = 0;  // the expiry the running wake-up was set for
    std::int64_t lastId_ = 0;
};

}  // namespace quillop
