// The commands that act on all flies, over the application's owned windows.
#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/OneSprite.h"
#include "main/MainForm.h"
#include "main/Population.h"

namespace quillop {
namespace {

using testing::OneSprite;

// Something else the application owns, named like a fly but not one.
struct Impostor final : Component {
    const std::string& Name() const override { return name; }
    bool IsShowing() const override { return true; }
    void SetInputEnabled(bool) override {}
    std::string name = "frmPngFlyImpostor";
};

class PopulationTest : public ::testing::Test {
  protected:
    PopulationTest() { app.Own(std::make_unique<TfrmMain>(app)); }

    testing::FakePlatform platform;
    OneSprite sprites;
    Application app{platform, sprites};
};

TEST_F(PopulationTest, AddedFliesAreAlwaysTopMostAndUnlimited) {
    for (int round = 0; round < 25; ++round) {
        AddFlies(app, 5);
    }
    EXPECT_EQ(app.FlyList().size(), 125u);
    for (auto* window : platform.flyWindows) {
        EXPECT_TRUE(window->topMost);
        EXPECT_TRUE(window->visible);
    }
    EXPECT_EQ(platform.processMessagesCalls, 0);
}

TEST_F(PopulationTest, CloseAllDestroysEveryFlyNewestFirstHiddenOnesToo) {
    for (std::uint32_t tick : {1u, 2u, 3u}) {
        platform.clock.ticks = tick;
        AddFlies(app, 1);
    }
    platform.flyWindows[1]->events.OnDoubleClick();
    app.Own(std::make_unique<Impostor>());
    CloseAllFlies(app);
    EXPECT_EQ(platform.destroyed,
              (std::vector<std::string>{"frmPngFly3", "frmPngFly2", "frmPngFly1"}));
    ASSERT_EQ(app.Components().size(), 2u);  // the main window and the impostor remain
    EXPECT_EQ(app.Components()[0]->Name(), "frmMain");
    CloseAllFlies(app);  // nothing left: nothing happens
    AddFlies(app, 1);
    EXPECT_EQ(platform.flyWindows[0]->place.Left, 683);
}

TEST_F(PopulationTest, OnTopStateReachesEveryFlyAndHiddenOnesStayHidden) {
    AddFlies(app, 3);
    platform.flyWindows[0]->events.OnDoubleClick();
    SetFliesOnTop(app, false);
    for (auto* window : platform.flyWindows) {
        EXPECT_FALSE(window->topMost);
    }
    EXPECT_FALSE(platform.flyWindows[0]->visible);
    SetFliesOnTop(app, true);
    EXPECT_TRUE(platform.flyWindows[2]->topMost);
    EXPECT_FALSE(platform.flyWindows[0]->visible);
}

}  // namespace
}  // namespace quillop
