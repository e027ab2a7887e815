// The fly timers' schedule on a clock the test moves: shared wake-ups, late expiries that are
// not made up, and timers stopped and started from inside an expiry.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "clFly/FlyTimers.h"

namespace quillop {
namespace {

// An event loop whose clock moves only when the test lets time pass.
class FakeWake final : public TimerWake {
  public:
    std::int64_t NowMs() const override { return now; }
    void Start(std::int64_t delayMs) override { due_ = now + delayMs; }
    void Stop() override { due_ = -1; }
    bool IsActive() const override { return due_ >= 0; }
    void SetHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

    // Runs the wake-ups that fall due until the clock reads `end`; each counts one wake-up.
    void RunUntil(std::int64_t end) {
        while (due_ >= 0 && due_ <= end) {
            now = std::max(now, due_);
            due_ = -1;
            ++wakeUps;
            handler_();
        }
        now = std::max(now, end);
    }

    std::int64_t now = 1003;
    int wakeUps = 0;

  private:
    std::int64_t due_ = -1;
    std::function<void()> handler_;
};

// Notes the time of each expiry and runs an optional action.
struct Recorder final : TimerTarget {
    explicit Recorder(FakeWake& wake) : wake_(wake) {}
    std::vector<std::int64_t> Times;
    std::function<void()> Action;
    void OnTimerExpiry() override {
        Times.push_back(wake_.now);
        if (Action) {
            Action();
        }
    }

  private:
    FakeWake& wake_;
};

class FlyTimersTest : public ::testing::Test {
  protected:
    FakeWake wake;
    FlyTimers timers{wake};
};

TEST_F(FlyTimersTest, TimersOfOnePeriodShareTheirWakeUpsAndKeepTheirPeriod) {
    Recorder first(wake);
    Recorder second(wake);
    timers.Start(first, 10);
    wake.RunUntil(wake.now + 4);
    timers.Start(second, 10);
    wake.RunUntil(wake.now + 200);
    ASSERT_GE(second.Times.size(), 19u);
    EXPECT_EQ(wake.wakeUps, static_cast<int>(first.Times.size()));
    for (std::size_t i = 1; i < first.Times.size(); ++i) {
        EXPECT_EQ(first.Times[i] - first.Times[i - 1], 10);
    }
}

TEST_F(FlyTimersTest, ExpiriesMissedWhileBusyAreNotMadeUp) {
    Recorder busy(wake);
    busy.Action = [&] {
        if (busy.Times.size() == 3) {
            wake.now += 60;
        }
    };
    timers.Start(busy, 10);
    wake.RunUntil(wake.now + 250);
    ASSERT_GE(busy.Times.size(), 6u);
    // The expiry after the busy one comes at once; the one after it waits a period again,
    // rather than following at once for each period missed.
    EXPECT_GE(busy.Times[3] - busy.Times[2], 60);
    EXPECT_LE(busy.Times[3] - busy.Times[2], 70);
    EXPECT_GE(busy.Times[4] - busy.Times[3], 5);
}

TEST_F(FlyTimersTest, ATimerStoppedByAnotherInTheSameWakeUpDoesNotRun) {
    Recorder stopper(wake);
    Recorder stopped(wake);
    std::int64_t stoppedId = 0;
    stopper.Action = [&] {
        if (stoppedId != 0) {
            timers.Stop(stoppedId);
            stoppedId = 0;
        }
    };
    timers.Start(stopper, 10);
    stoppedId = timers.Start(stopped, 10);
    wake.RunUntil(wake.now + 100);
    EXPECT_GE(stopper.Times.size(), 9u);
    // The stopper started first and runs first in their shared wake-up.
    EXPECT_TRUE(stopped.Times.empty());
}

TEST_F(FlyTimersTest, ASlowTimerNeitherDelaysNorIsWokenByAFastOne) {
    Recorder slow(wake);
    Recorder fast(wake);
    timers.Start(slow, 1000);
    timers.Start(fast, 10);
    wake.RunUntil(wake.now + 120);
    EXPECT_GE(fast.Times.size(), 11u);
    EXPECT_TRUE(slow.Times.empty());
}

TEST_F(FlyTimersTest, AWakeUpLeftByAStoppedTimerLetsTheNextOneRunOnTime) {
    Recorder fast(wake);
    Recorder slow(wake);
    const std::int64_t start = wake.now;
    const std::int64_t fastId = timers.Start(fast, 10);
    timers.Stop(fastId);
    timers.Start(slow, 150);
    wake.RunUntil(start + 400);
    EXPECT_TRUE(fast.Times.empty());
    // Due at 150 and 300 ms, each within half a slot.
    ASSERT_EQ(slow.Times.size(), 2u);
    EXPECT_NEAR(static_cast<double>(slow.Times[0] - start), 150, 5);
    EXPECT_NEAR(static_cast<double>(slow.Times[1] - start), 300, 5);
}

}  // namespace
}  // namespace quillop
