// The fly timers' one wake-up, as a precise single-shot Qt timer, and the clock it goes by.
#pragma once

#include <QTimer>

#include <chrono>
#include <functional>
#include <utility>

#include "clFly/FlyTimers.h"
#include "clFly/RandomSource.h"

namespace quillop {

// Milliseconds and nanoseconds of the monotonic clock.
class SteadyClock final : public Clock {
  public:
    std::optional<std::uint64_t> HighResolutionCounter() const override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    std::uint32_t TickCount() const override {
        return static_cast<std::uint32_t>(*HighResolutionCounter() / 1000000u);
    }
};

class QtTimerWake final : public TimerWake {
  public:
    QtTimerWake() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (handler_) {
                handler_();
            }
        });
    }
    std::int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Start(std::int64_t delayMs) override { timer_.start(static_cast<int>(delayMs)); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }
    void SetHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

  private:
    QTimer timer_;
    std::function<void()> handler_;
};

}  // namespace quillop
