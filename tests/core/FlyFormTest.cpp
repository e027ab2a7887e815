// One fly on a platform without windows: its start, drawing, pointer and failure handling.
#include <algorithm>

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/PngWriter.h"
#include "main/Application.h"

namespace quillop {
namespace {

using testing::FakeFlyWindow;
using testing::FakePlatform;

// All 48 names, each a plain 60 x 60 picture; names can be taken away or damaged.
struct TestSprites final : SpriteSource {
    TestSprites() {
        const auto picture = testing::SolidRgbaPng(60, 60, 40, 40, 40, 200);
        for (int d = 1; d <= 8; ++d) {
            for (int f = 1; f <= 6; ++f) {
                pictures[SpriteName(d, f)] = picture;
            }
        }
    }
    std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const override {
        auto found = pictures.find(std::string(name));
        if (found == pictures.end()) {
            return std::nullopt;
        }
        return std::span(found->second);
    }
    std::map<std::string, std::vector<std::uint8_t>> pictures;
};

class FlyFormTest : public ::testing::Test {
  protected:
    FakeFlyWindow& WindowOf(TFlyForm* fly) {
        for (FakeFlyWindow* window : platform.flyWindows) {
            if (&window->events == &fly->Events()) {
                return *window;
            }
        }
        throw std::logic_error("no window");
    }
    FakePlatform platform;
    TestSprites sprites;
    Application app{platform, sprites};
};

TEST_F(FlyFormTest, NewFlyStandsAtScreenCentreShowingFirstPictureAndRests) {
    platform.clock.ticks = 4021;
    TFlyForm* fly = app.CreateFly();
    ASSERT_NE(fly, nullptr);
    FakeFlyWindow& window = WindowOf(fly);
    EXPECT_EQ(fly->Name(), "frmPngFly4021");
    EXPECT_EQ(window.name, "frmPngFly4021");
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(platform.applicationWindowHides, 1);
    // One step: the place and the first picture together.
    EXPECT_EQ(window.steps, (std::vector<Point>{Point{683, 384}}));
    EXPECT_EQ(window.presented, std::vector<std::string>{"1_1"});
    EXPECT_EQ(fly->Walker().X, 683.0);
    EXPECT_TRUE(window.timerRunning);
    EXPECT_EQ(window.timerInterval, fly->Walker().Timer().Interval());
    RandomSource fromClock;  // the show restarted the generator from the counter's low bits
    fromClock.SetState(0x42);
    EXPECT_EQ(fly->Walker().Heading, fromClock.Random(8) + 1);
}

TEST_F(FlyFormTest, EachStepAsksTheWindowOnceAndAStepOutOfBoundsOnlyMovesIt) {
    TFlyForm* fly = app.CreateFly();
    FakeFlyWindow& window = WindowOf(fly);
    window.steps.clear();
    fly->Walker().X = 683.0;
    fly->Walker().Y = 500.0;
    fly->Walker().SetMove(5, 1, 10);
    window.events.OnTimer();
    EXPECT_EQ(window.steps, (std::vector<Point>{Point{683, 500}}));
    EXPECT_EQ(window.presented.size(), 2u);
    window.events.OnMouseMove();
    window.events.OnTimer();  // frozen: no step, and the window is not asked
    EXPECT_EQ(window.steps.size(), 1u);
    // A step that leaves the work area moves the window where the walker was, and draws
    // nothing.
    fly->Walker().FreezeTicks = 0;
    fly->Walker().X = -19.0;
    fly->Walker().Y = 300.0;
    fly->Walker().SetMove(5, 7, 10);
    window.events.OnTimer();
    EXPECT_EQ(window.steps.back(), (Point{-19, 300}));
    EXPECT_EQ(window.presented.size(), 2u);
    EXPECT_EQ(fly->Place(), (Point{-19, 300}));
}

TEST_F(FlyFormTest, APrimaryScreenAwayFromTheCornerCarriesTheWholeWalk) {
    platform.origin = Point{1920, 100};
    TFlyForm* fly = app.CreateFly();
    FakeFlyWindow& window = WindowOf(fly);
    EXPECT_EQ(window.steps, (std::vector<Point>{Point{1920 + 683, 100 + 384}}));
    // However long it walks, the fly keeps to that screen (less the edges it may overhang).
    int left = window.place.Left;
    int right = left;
    for (int i = 0; i < 20000; ++i) {
        window.events.OnTimer();
        left = std::min(left, window.place.Left);
        right = std::max(right, window.place.Left);
        ASSERT_GE(window.place.Top, 100 - 23);
        ASSERT_LE(window.place.Top, 100 + 728 - 37);
    }
    EXPECT_GE(left, 1920 - 23);
    EXPECT_LE(right, 1920 + 1366 - 37);
    EXPECT_LT(left, 1920 + 200);  // it did walk across
    EXPECT_GT(right, 1920 + 1366 - 200);
}

TEST_F(FlyFormTest, PointerMovementFreezesAndDoubleClickHidesForGood) {
    TFlyForm* fly = app.CreateFly();
    FakeFlyWindow& window = WindowOf(fly);
    window.events.OnMouseMove();
    EXPECT_EQ(fly->Walker().FreezeTicks, 200);
    window.events.OnDoubleClick();
    EXPECT_FALSE(window.visible);
    EXPECT_TRUE(fly->IsHiddenForGood());
    fly->SetOnTop(true);
    EXPECT_FALSE(window.visible);
    window.events.OnCloseRequest();
    EXPECT_EQ(app.FlyList().size(), 1u);  // a close hides, it never destroys
}

TEST_F(FlyFormTest, HiddenFlyWalksAndDrawsNumbersButPresentsNothing) {
    TFlyForm* shown = app.CreateFly();
    TFlyForm* hidden = app.CreateFly();
    WindowOf(hidden).events.OnDoubleClick();
    const std::size_t presentedBefore = WindowOf(hidden).presented.size();
    // Both walk from the same place with the same generator state: same path.
    for (TFlyForm* fly : {shown, hidden}) {
        ProcessRandom().SetState(7);
        fly->Walker().X = fly->Walker().Y = 300;
        fly->Walker().NewMove(true);
        for (int i = 0; i < 3000; ++i) {
            WindowOf(fly).events.OnTimer();
        }
    }
    EXPECT_EQ(WindowOf(hidden).presented.size(), presentedBefore);
    EXPECT_GT(WindowOf(shown).presented.size(), 100u);
    EXPECT_EQ(hidden->Walker().X, shown->Walker().X);
    EXPECT_EQ(hidden->Walker().Y, shown->Walker().Y);
    EXPECT_EQ(hidden->Walker().Frame, shown->Walker().Frame);
}

TEST_F(FlyFormTest, FailedDrawIsReportedWithTheTimerStoppedWhileTheBoxIsOpen) {
    TFlyForm* fly = app.CreateFly();
    FakeFlyWindow& window = WindowOf(fly);
    sprites.pictures.clear();  // only "1_1" is decoded so far
    bool timerRanDuringBox = true;
    bool flyEnabledDuringBox = true;
    platform.whileBoxOpen = [&](const FakePlatform::Box&) {
        timerRanDuringBox = window.timerRunning;
        flyEnabledDuringBox = window.inputEnabled;
    };
    for (int i = 0; i < 20000 && platform.boxes.empty(); ++i) {
        window.events.OnTimer();
    }
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "The png image could not be loaded from the resource ID.");
    EXPECT_EQ(platform.boxes[0].caption, "Quillop");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Stop);
    EXPECT_FALSE(timerRanDuringBox);
    EXPECT_FALSE(flyEnabledDuringBox);
    EXPECT_TRUE(window.timerRunning);
    EXPECT_TRUE(window.inputEnabled);
}

TEST_F(FlyFormTest, AFlyWhosePicturesFailStillWalks) {
    TFlyForm* fly = app.CreateFly();
    FakeFlyWindow& window = WindowOf(fly);
    const Point start = window.place;
    sprites.pictures.clear();  // only "1_1" is decoded so far
    for (int i = 0; i < 20000 && platform.boxes.size() < 3; ++i) {
        window.events.OnTimer();
    }
    ASSERT_EQ(platform.boxes.size(), 3u);
    // Each failed step still moves the window to where the walker stood before it.
    EXPECT_NE(window.place, start);
}

TEST_F(FlyFormTest, RefusedDrawIsShownWithTheTimerStoppedWhileTheBoxIsOpen) {
    platform.failPresent = true;
    bool timerRanDuringBox = true;
    platform.whileBoxOpen = [&](const FakePlatform::Box& box) {
        EXPECT_EQ(box.text, "No!!!!!");
        timerRanDuringBox = platform.flyWindows.back()->timerRunning;
    };
    TFlyForm* fly = app.CreateFly();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_FALSE(timerRanDuringBox);
    EXPECT_TRUE(WindowOf(fly).timerRunning);
}

TEST_F(FlyFormTest, FlyDestroyedWhileItsBoxIsOpenIsNotTouchedAgain) {
    platform.failPresent = true;
    int boxes = 0;
    platform.whileBoxOpen = [&](const FakePlatform::Box& box) {
        ++boxes;
        EXPECT_EQ(box.text, "No!!!!!");
        EXPECT_EQ(box.icon, BoxIcon::None);
        app.Destroy(*app.FlyList().front());
    };
    EXPECT_EQ(app.CreateFly(), nullptr);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(app.FlyList().empty());
    EXPECT_EQ(platform.destroyed.size(), 1u);
}

TEST_F(FlyFormTest, RefusedLayeredStyleIsShownAndTheDrawGoesOn) {
    platform.failLayered = true;
    TFlyForm* fly = app.CreateFly();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Access is denied");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::None);
    EXPECT_EQ(WindowOf(fly).presented.size(), 1u);
}

}  // namespace
}  // namespace quillop
