// The settings window's buttons and the tray menu's commands, with the settings in the controls.
#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/MemoryStore.h"
#include "fakes/OneSprite.h"
#include "main/MainForm.h"

namespace quillop {
namespace {

using testing::OneSprite;

struct StorePlatform final : testing::FakePlatform {
    std::unique_ptr<SettingsStore> CreateSettingsStore() override {
        auto owned = std::make_unique<testing::MemoryStore>();
        store = owned.get();
        return owned;
    }
    testing::MemoryStore* store = nullptr;
};

class SettingsWindowTest : public ::testing::Test {
  protected:
    SettingsWindowTest() {
        form = &static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
        events = platform.mainEvents;
        window = platform.mainWindow;
    }

    StorePlatform platform;
    OneSprite sprites;
    Application app{platform, sprites};
    TfrmMain* form = nullptr;
    MainFormEvents* events = nullptr;
    testing::FakeMainWindow* window = nullptr;
};

TEST_F(SettingsWindowTest, StartAddsTheTrayIconAndTheStoreFillsTheControls) {
    form->StartApp();
    EXPECT_TRUE(platform.trayIcon);
    EXPECT_EQ(window->count, "3");
    form->Settings().SetFlies(150);
    EXPECT_EQ(window->count, "99");
    form->Settings().SetFlies(0);
    EXPECT_EQ(window->count, "1");
}

TEST_F(SettingsWindowTest, OkAppliesTheOnTopStateToEveryFlyHidesAndWritesNothing) {
    form->StartApp();
    events->OnMenuCommand(MenuCommand::AddFly);
    window->visible = true;
    window->onTop = false;
    events->OnOkClick();
    for (auto* fly : platform.flyWindows) {
        EXPECT_FALSE(fly->topMost);
    }
    EXPECT_FALSE(window->visible);
    EXPECT_TRUE(platform.store->writes.empty());
}

TEST_F(SettingsWindowTest, MenuCommandsActOnFliesTheWindowAndTheProgram) {
    form->StartApp();
    events->OnMenuCommand(MenuCommand::AddFiveFlies);
    EXPECT_EQ(app.FlyList().size(), 8u);
    events->OnButton1Click();
    EXPECT_EQ(app.FlyList().size(), 9u);
    EXPECT_TRUE(platform.flyWindows.back()->topMost);
    events->OnMenuCommand(MenuCommand::CloseAllFlies);
    EXPECT_TRUE(app.FlyList().empty());
    events->OnMenuCommand(MenuCommand::Settings);
    EXPECT_TRUE(window->visible);
    events->OnMenuCommand(MenuCommand::About);
    events->OnHomePageClick();
    ASSERT_EQ(platform.openedPages.size(), 2u);
    EXPECT_EQ(platform.openedPages[0], kHomePageAddress);
    events->OnMenuCommand(MenuCommand::Exit);
    EXPECT_TRUE(platform.terminated);
    EXPECT_FALSE(platform.trayIcon);
}

TEST_F(SettingsWindowTest, ExitWritesTheCountAsTypedAndTheControlsState) {
    form->StartApp();
    window->count = "150";  // typed, the field still has the focus
    window->startup = false;
    events->OnMenuCommand(MenuCommand::Exit);
    EXPECT_EQ(platform.store->Read("Flies").Value, 150);
    EXPECT_EQ(platform.store->Read("Startup").Value, 0);
    EXPECT_FALSE(platform.store->runAtLogon);
}

}  // namespace
}  // namespace quillop
