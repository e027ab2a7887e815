// The fly timers' schedule on a real Qt event loop: shared wake-ups, late expiries that are not
// made up, and timers stopped and started from inside an expiry.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "clFly/FlyTimers_xcb.h"

namespace quillop {
namespace {

QElapsedTimer clock;

// Notes the time of each expiry and runs an optional action.
struct Recorder final : TimerTarget {
    std::vector<qint64> Times;  // nanoseconds since the test began
    std::function<void()> Action;
    void OnTimerExpiry() override {
        Times.push_back(clock.nsecsElapsed());
        if (Action) {
            Action();
        }
    }
};

// Runs the event loop for the given time.
void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

class FlyTimersTest : public ::testing::Test {
  protected:
    void SetUp() override { clock.start(); }
    FlyTimers timers;
};

TEST_F(FlyTimersTest, TimersOfOnePeriodShareTheirWakeUps) {
    Recorder first;
    Recorder second;
    timers.Start(first, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    timers.Start(second, 10);
    Spin(200);
    ASSERT_GE(second.Times.size(), 5u);
    // Each expiry of the later timer runs in the same wake-up as one of the first's.
    for (const qint64 time : second.Times) {
        bool shared = false;
        for (const qint64 other : first.Times) {
            shared = shared || std::llabs(time - other) < 2'000'000;
        }
        EXPECT_TRUE(shared) << "an expiry at " << time / 1000 << " us ran on its own";
    }
}

TEST_F(FlyTimersTest, ExpiriesMissedWhileBusyAreNotMadeUp) {
    Recorder busy;
    busy.Action = [&] {
        if (busy.Times.size() == 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    };
    timers.Start(busy, 10);
    Spin(250);
    ASSERT_GE(busy.Times.size(), 5u);
    EXPECT_GE(busy.Times[3] - busy.Times[2], 60'000'000);
    // The expiry after the busy one comes at once; the one after it waits a period again,
    // rather than following at once for each period missed.
    EXPECT_GE(busy.Times[4] - busy.Times[3], 5'000'000);
}

TEST_F(FlyTimersTest, ATimerStoppedByAnotherInTheSameWakeUpDoesNotRun) {
    Recorder stopper;
    Recorder stopped;
    int stoppedId = 0;
    stopper.Action = [&] {
        if (stoppedId != 0) {
            timers.Stop(stoppedId);
            stoppedId = 0;
        }
    };
    timers.Start(stopper, 10);
    stoppedId = timers.Start(stopped, 10);
    Spin(100);
    EXPECT_GE(stopper.Times.size(), 5u);
    // The stopper started first and runs first in their shared wake-up.
    EXPECT_TRUE(stopped.Times.empty());
}

TEST_F(FlyTimersTest, ATimerStartedAfterASlowerOneKeepsItsOwnPeriod) {
    Recorder slow;
    Recorder fast;
    timers.Start(slow, 1000);
    timers.Start(fast, 10);
    Spin(120);
    EXPECT_GE(fast.Times.size(), 5u);
    EXPECT_TRUE(slow.Times.empty());
}

TEST_F(FlyTimersTest, AWakeUpLeftByAStoppedTimerLetsTheNextOneRunOnTime) {
    Recorder fast;
    Recorder slow;
    const int fastId = timers.Start(fast, 10);
    timers.Stop(fastId);
    timers.Start(slow, 150);
    Spin(400);
    EXPECT_TRUE(fast.Times.empty());
    // Started at about 0 ms: due at 150 and 300 ms, each within a slot or two.
    ASSERT_EQ(slow.Times.size(), 2u);
    EXPECT_NEAR(static_cast<double>(slow.Times[0]) / 1e6, 150, 40);
}

}  // namespace
}  // namespace quillop

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
