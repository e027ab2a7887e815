// The fly timers' one wake-up, as a precise single-shot Qt timer.
#pragma once

#include <QTimer>

#include <chrono>
#include <functional>
#include <utility>

#include "clFly/FlyTimers.h"

namespace quillop {

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
