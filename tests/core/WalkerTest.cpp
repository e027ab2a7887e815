// The fly's motion model, driven tick by tick with a fixed random sequence.
#include <gtest/gtest.h>

#include <vector>

#include "clFly/Walker.h"

namespace quillop {
namespace {

// A window that records what the walker asks of it.
struct RecordingWindow final : WalkerWindow {
    void MoveTo(int left, int top) override { moves.push_back({left, top}); }
    void DrawSprite() override { draws.push_back(walker->SpriteName); }
    Rect WorkArea() override {
        ++areaReads;
        return area;
    }
    void StartTimer(int ms) override {
        running = true;
        period = ms;
        ++starts;
    }
    void StopTimer() override { running = false; }

    FlyWalker* walker = nullptr;
    Rect area{0, 0, 1024, 768};
    std::vector<std::pair<int, int>> moves;
    std::vector<std::string> draws;
    int areaReads = 0;
    bool running = false;
    int period = 0;
    int starts = 0;
};

// The generator's arithmetic written out independently, with 64-bit products.
struct Reference {
    std::uint64_t state;
    int Random(int n) {
        state = (state * 134775813ull + 1ull) % 4294967296ull;
        return static_cast<int>((state * static_cast<std::uint64_t>(n)) / 4294967296ull);
    }
};

class WalkerTest : public ::testing::Test {
  protected:
    WalkerTest() { window.walker = &walker; }

    // Puts the fly in mid-run at (x, y) heading `direction`, timer ticking every 10 ms.
    void Walking(double x, double y, int direction, int steps = 50) {
        walker.X = x;
        walker.Y = y;
        walker.Heading = direction;
        walker.SetMove(steps, direction, 10);
    }

    RandomSource random;
    RecordingWindow window;
    FlyWalker walker{window, random};
};

TEST_F(WalkerTest, NewMoveDrawsHeadingStepsTurnAndRestInThatOrder) {
    // From state 0 the five draws are Random(8) = 0, Random(100) = 3, Random(3) = 2 (a turn to
    // the right), Random(10) = 2 (a short rest) and Random(1000) = 272. From 123456789 they are
    // 4, 39, 1, then Random(10) = 0 (a long rest) and Random(5000) = 4049.
    const struct {
        std::uint32_t state;
        int heading, steps, direction, rest;
        std::uint32_t after;
    } cases[] = {
        {0u, 1, 13, 2, 273, 1172187917u},
        {123456789u, 5, 49, 5, 5049, 3478552678u},
        {0xFFFFFFFFu, 8, 30, 8, 875, 3754609368u},
    };
    for (const auto& c : cases) {
        random.SetState(c.state);
        walker.NewMove(true);
        EXPECT_EQ(walker.Heading, c.heading);
        EXPECT_EQ(walker.StepsLeft, c.steps);
        EXPECT_EQ(walker.Direction, c.direction);
        EXPECT_EQ(walker.Timer().Interval(), c.rest);
        EXPECT_TRUE(walker.Timer().Enabled());
        EXPECT_EQ(random.State(), c.after);  // five draws, no more
    }
}

TEST_F(WalkerTest, RestsAreShortNineTimesInTenAndOnlyOneRestDrawIsMade) {
    int longRests = 0;
    for (std::uint32_t state = 0; state < 2000; ++state) {
        random.SetState(state * 2654435761u);
        walker.NewMove(false);
        Reference r{state * 2654435761u};
        r.Random(100);
        r.Random(3);
        const bool isLong = r.Random(10) == 0;
        r.Random(isLong ? 5000 : 1000);
        EXPECT_EQ(random.State(), r.state);  // exactly four draws without a heading
        const int rest = walker.Timer().Interval();
        if (isLong) {
            ++longRests;
            EXPECT_GE(rest, 1000);
            EXPECT_LE(rest, 5999);
        } else {
            EXPECT_GE(rest, 1);
            EXPECT_LE(rest, 1000);
        }
    }
    EXPECT_NEAR(longRests, 200, 60);
}

TEST_F(WalkerTest, TurnsWrapAroundBetweenOneAndEight) {
    walker.Heading = 1;
    random.SetState(0);  // Random(3) = 0: one to the left
    walker.NewMove(false);
    EXPECT_EQ(walker.Direction, 8);
    EXPECT_EQ(walker.Heading, 1);
    walker.Heading = 8;
    random.SetState(1);  // Random(3) = 2: one to the right
    walker.NewMove(false);
    EXPECT_EQ(walker.Direction, 1);
    EXPECT_EQ(walker.Heading, 8);
}

TEST_F(WalkerTest, FirstTickAfterRestSwitchesToTenMillisecondSteps) {
    walker.SetMove(5, 4, 700);
    EXPECT_EQ(window.period, 700);
    const int starts = window.starts;
    walker.MoveTimerTick();
    EXPECT_EQ(window.period, 10);
    EXPECT_EQ(window.starts, starts + 1);
    walker.MoveTimerTick();  // an interval equal to the current one restarts nothing
    EXPECT_EQ(window.starts, starts + 1);
}

TEST_F(WalkerTest, StepNamesSpriteMovesOneStepBehindAndAdvancesFrame) {
    Walking(100.0, 200.0, 3);
    walker.Frame = 5;
    walker.MoveTimerTick();
    ASSERT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(window.moves[0], std::make_pair(100, 200));
    EXPECT_EQ(window.draws, std::vector<std::string>{"3_5"});
    EXPECT_DOUBLE_EQ(walker.X, 103.0);
    EXPECT_DOUBLE_EQ(walker.Y, 198.0);
    EXPECT_EQ(walker.Frame, 6);
    walker.MoveTimerTick();
    EXPECT_EQ(window.draws.back(), "3_6");
    EXPECT_EQ(walker.Frame, 1);
}

TEST_F(WalkerTest, PositionsRoundHalfToEven) {
    EXPECT_EQ(RoundHalfEven(100.5), 100);
    EXPECT_EQ(RoundHalfEven(101.5), 102);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-19.0), -19);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    Walking(100.5, 101.5, 5);
    walker.MoveTimerTick();
    EXPECT_EQ(window.moves.back(), std::make_pair(100, 102));
}

TEST_F(WalkerTest, LeftEdgePushesBackWithoutDrawingAndDrawsNewHeading) {
    Walking(-19.0, 300.0, 7, 40);
    walker.Frame = 2;
    random.SetState(4242);  // Random(8) = 0, Random(100) = 48, ..., Random(1000) = 698
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, -19.0);  // -22 pushed back by 3
    EXPECT_DOUBLE_EQ(walker.Y, 301.5);
    EXPECT_TRUE(window.draws.empty());
    EXPECT_EQ(walker.SpriteName, "7_2");  // name and frame advance all the same
    EXPECT_EQ(walker.Frame, 3);
    EXPECT_EQ(walker.Heading, 1);
    EXPECT_EQ(walker.StepsLeft, 58);  // the run ended at once
    EXPECT_EQ(walker.Timer().Interval(), 699);
    EXPECT_TRUE(window.running);
}

TEST_F(WalkerTest, RightAndBottomEdgesUseTheWorkAreaSize) {
    Walking(983.0, 300.0, 3);
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, 983.0);  // 986 + 40 > 1024
    window.area = {0, 0, 1024, 650};
    Walking(300.0, 608.0, 5);
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.Y, 608.0);  // 611 + 40 > 650
    EXPECT_DOUBLE_EQ(walker.X, 302.0);
    EXPECT_TRUE(window.draws.empty());
}

TEST_F(WalkerTest, AStepOntoTheLimitsIsInBounds) {
    Walking(982.0, 725.0, 5);  // to 984 + 40 = 1024 and 728 + 40 = 768
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, 984.0);
    EXPECT_DOUBLE_EQ(walker.Y, 728.0);
    Walking(-17.0, -18.5, 8);  // to -20, -20
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, -20.0);
    EXPECT_DOUBLE_EQ(walker.Y, -20.0);
    EXPECT_EQ(window.draws.size(), 2u);
}

TEST_F(WalkerTest, AFlyOutsideShrunkenLimitsIsPushedBackAtEveryTick) {
    window.area = {0, 0, 400, 300};
    Walking(900.0, 700.0, 1);
    for (int tick = 0; tick < 500 && (walker.X + 40 > 400 || walker.Y + 40 > 300); ++tick) {
        const double x = walker.X, y = walker.Y;
        walker.MoveTimerTick();
        if (walker.Timer().Interval() != 10) {
            walker.MoveTimerTick();  // the rest's expiry is a tick too
        }
        EXPECT_TRUE(walker.X <= x || walker.X + 40 <= 400);  // never further out
        EXPECT_TRUE(walker.Y <= y || walker.Y + 40 <= 300);
    }
    EXPECT_LE(walker.X + 40, 400.0);
    EXPECT_LE(walker.Y + 40, 300.0);
}

// A panel at the top (Plasma's 44 px, GNOME's 32 px) and a taskbar at the left move the limits
// on their side: the 20 px overhang is counted from the work area's edge, not the screen's.
TEST_F(WalkerTest, LimitsAreMeasuredFromTheWorkAreasCorner) {
    window.area = {0, 44, 1920, 1036};
    Walking(500.0, 26.0, 2);  // to 23 < 44 - 20: pushed back
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.Y, 26.0);
    Walking(500.0, 1037.0, 5);  // to 1040, and 1040 + 40 = 1080 = 44 + 1036: in
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.Y, 1040.0);
    window.area = {62, 0, 1218, 1024};
    Walking(43.0, 500.0, 7);  // to 40 < 62 - 20
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, 43.0);
    Walking(1237.0, 500.0, 3);  // to 1240, and 1240 + 40 = 1280 = 62 + 1218: in
    walker.MoveTimerTick();
    EXPECT_DOUBLE_EQ(walker.X, 1240.0);
    EXPECT_EQ(window.draws.size(), 2u);
}

// A panel that comes at the top while a fly walks under it: the fly works its way down.
TEST_F(WalkerTest, AFlyLeftAboveAWorkAreaThatMovedDownIsPushedIn) {
    Walking(300.0, 5.0, 1);
    window.area = {0, 100, 1024, 668};
    for (int tick = 0; tick < 200 && walker.Y < 80.0; ++tick) {
        const double y = walker.Y;
        walker.MoveTimerTick();
        if (walker.Timer().Interval() != 10) {
            walker.MoveTimerTick();  // the rest's expiry is a tick too
        }
        EXPECT_GE(walker.Y, y);  // never further out
    }
    EXPECT_GE(walker.Y, 80.0);
}

TEST_F(WalkerTest, FreezeHoldsEverythingForTwoHundredTicks) {
    Walking(500.0, 400.0, 4, 300);
    walker.MoveTimerTick();
    walker.FlyMouseMove();
    const FlyWalker before = walker;
    for (int tick = 0; tick < 200; ++tick) {
        walker.MoveTimerTick();
    }
    EXPECT_EQ(walker.SpriteName, before.SpriteName);
    EXPECT_EQ(walker.Frame, before.Frame);
    EXPECT_EQ(walker.X, before.X);
    EXPECT_EQ(walker.Y, before.Y);
    EXPECT_EQ(walker.StepsLeft, before.StepsLeft);
    EXPECT_EQ(window.draws.size(), 1u);
    walker.MoveTimerTick();  // the 201st walks
    EXPECT_EQ(window.draws.size(), 2u);
    EXPECT_EQ(walker.StepsLeft, before.StepsLeft - 1);
}

TEST_F(WalkerTest, LastDrawnStepEndsTheRunUnderTheSameHeading) {
    Walking(500.0, 400.0, 2, 2);
    walker.Heading = 2;
    walker.Frame = 6;
    walker.MoveTimerTick();
    EXPECT_EQ(walker.StepsLeft, 1);
    random.SetState(99);  // Random(100) = 10, Random(3) = 0, Random(10) = 6, Random(1000) = 166
    walker.MoveTimerTick();
    EXPECT_EQ(walker.Heading, 2);
    EXPECT_EQ(walker.Direction, 1);
    EXPECT_EQ(walker.StepsLeft, 20);
    EXPECT_EQ(walker.Timer().Interval(), 167);
    EXPECT_EQ(walker.Frame, 2);  // never reset by a new run
}

}  // namespace
}  // namespace quillop
