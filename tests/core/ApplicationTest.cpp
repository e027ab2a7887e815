// The application object, its error reports and the start and end of the program.
#include <gtest/gtest.h>

#include "clFly/Failure.h"
#include "fakes/FakePlatform.h"
#include "fakes/OneSprite.h"
#include "main/Application.h"
#include "main/ErrorText.h"
#include "main/MainForm.h"

namespace quillop {
namespace {

using testing::FakePlatform;
using testing::OneSprite;

TEST(ErrorTextTest, FullStopFollowsLettersAndDigitsOnly) {
    EXPECT_EQ(FailureText("Read Error"), "Read Error.");
    EXPECT_EQ(FailureText("code 5"), "code 5.");
    EXPECT_EQ(FailureText("No!!!!!"), "No!!!!!");
    EXPECT_EQ(FailureText("done."), "done.");
    EXPECT_EQ(FailureText("(x)"), "(x)");
    EXPECT_EQ(FailureText("a,"), "a,");
    EXPECT_EQ(FailureText("path/"), "path/.");  // "/" comes after "."
    EXPECT_EQ(FailureText(""), "");
}

TEST(ErrorTextTest, StartupReportNamesClassModuleAndOffset) {
    EXPECT_EQ(ApplicationErrorText("ERegistryException", "Quillop.exe", 0x1A2B, "Oops!"),
              "Exception ERegistryException in module Quillop.exe at 00001A2B.\nOops!.");
    EXPECT_EQ(ApplicationErrorText("Exception", "quillop", 0, "done."),
              "Exception Exception in module quillop at 00000000.\ndone.");
}

TEST(ErrorTextTest, SystemMessagesLoseTrailingBlanksBreaksAndStops) {
    EXPECT_EQ(TrimSystemMessage("Access is denied.\r\n"), "Access is denied");
    EXPECT_EQ(TrimSystemMessage("x . \t"), "x");
    EXPECT_EQ(TrimSystemMessage(std::string(300, 'a')).size(), 255u);
}

class ApplicationTest : public ::testing::Test {
  protected:
    FakePlatform platform;
    OneSprite sprites;
};

TEST_F(ApplicationTest, StartAppBringsUpThreeTopMostFliesHandlingMessagesAfterEach) {
    Application app(platform, sprites);
    auto& mainForm = static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
    mainForm.StartApp();
    ASSERT_EQ(platform.flyWindows.size(), 3u);
    for (auto* window : platform.flyWindows) {
        EXPECT_TRUE(window->topMost);
        EXPECT_TRUE(window->visible);
    }
    EXPECT_EQ(platform.processMessagesCalls, 3);
    EXPECT_FALSE(platform.mainWindow->visible);
    EXPECT_EQ(app.FlyList().size(), 3u);
}

TEST_F(ApplicationTest, FlyListKeepsCreationOrderAndOnlyFlyNames) {
    Application app(platform, sprites);
    app.Own(std::make_unique<TfrmMain>(app));
    for (std::uint32_t tick : {10u, 10u, 30u}) {
        platform.clock.ticks = tick;
        app.CreateFly();
    }
    const auto flies = app.FlyList();
    ASSERT_EQ(flies.size(), 3u);  // the same name twice is no obstacle
    EXPECT_EQ(flies[0]->Name(), "frmPngFly10");
    EXPECT_EQ(flies[2]->Name(), "frmPngFly30");
    EXPECT_EQ(app.Components().front()->Name(), "frmMain");
}

TEST_F(ApplicationTest, ExitDestroysNewestFirstAndMainWindowLast) {
    int mainDestroyedAfter = -1;
    {
        Application app(platform, sprites);
        struct Watch final : Component {
            Watch(FakePlatform& p, int& out) : platform(p), after(out) {}
            ~Watch() override { after = static_cast<int>(platform.destroyed.size()); }
            const std::string& Name() const override { return name; }
            bool IsShowing() const override { return false; }
            void SetInputEnabled(bool) override {}
            FakePlatform& platform;
            int& after;
            std::string name = "frmMain";
        };
        app.Own(std::make_unique<Watch>(platform, mainDestroyedAfter));
        for (std::uint32_t tick : {1u, 2u, 3u}) {
            platform.clock.ticks = tick;
            app.CreateFly();
        }
    }
    EXPECT_EQ(platform.destroyed,
              (std::vector<std::string>{"frmPngFly3", "frmPngFly2", "frmPngFly1"}));
    EXPECT_EQ(mainDestroyedAfter, 3);
}

TEST_F(ApplicationTest, ErrorBoxDisablesVisibleWindowsUntilTheOutermostBoxCloses) {
    Application app(platform, sprites);
    auto& mainForm = static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
    platform.mainWindow->visible = true;
    app.CreateFly();
    std::vector<bool> enabledInInnerBox;
    platform.whileBoxOpen = [&](const FakePlatform::Box& box) {
        if (box.text == "outer.") {
            app.ShowFailure("inner");
        } else {
            enabledInInnerBox = {platform.mainWindow->inputEnabled,
                                 platform.flyWindows[0]->inputEnabled};
        }
        EXPECT_FALSE(platform.mainWindow->inputEnabled);
    };
    app.Guarded([] { throw Failure("outer"); });
    EXPECT_EQ(enabledInInnerBox, (std::vector<bool>{false, false}));
    EXPECT_TRUE(platform.mainWindow->inputEnabled);
    EXPECT_TRUE(platform.flyWindows[0]->inputEnabled);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, "inner.");
    (void)mainForm;
}

TEST_F(ApplicationTest, CloseRequestsAndSessionEndStopTheLoop) {
    Application app(platform, sprites);
    app.Own(std::make_unique<TfrmMain>(app));
    EXPECT_TRUE(platform.mainEvents->OnQueryEndSession());
    EXPECT_FALSE(platform.terminated);
    platform.mainEvents->OnEndSession(false);
    EXPECT_FALSE(platform.terminated);
    platform.mainEvents->OnEndSession(true);
    EXPECT_TRUE(platform.terminated);
    platform.terminated = false;
    platform.mainEvents->OnCloseRequest();
    EXPECT_TRUE(platform.terminated);
}

TEST_F(ApplicationTest, RunQuillopReturnsZeroAfterTheLoopAndOneWhenStartFails) {
    EXPECT_EQ(RunQuillop(platform, sprites), 0);
    EXPECT_EQ(platform.destroyed.size(), 3u);
    struct NoFlyWindows final : FakePlatform {
        std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents&, const std::string&,
                                                   const Rect&) override {
            throw Failure("Error creating window");
        }
    } refusing;
    EXPECT_EQ(RunQuillop(refusing, sprites), 1);
    EXPECT_EQ(refusing.startupFailure, "Error creating window");
    EXPECT_TRUE(refusing.boxes.empty());
    // A main window that cannot be made is reported the same way.
    struct NoMainWindow final : FakePlatform {
        std::unique_ptr<MainWindow> CreateMainWindow(MainFormEvents&) override {
            throw Failure("Error creating window");
        }
    } withoutMain;
    EXPECT_EQ(RunQuillop(withoutMain, sprites), 1);
    EXPECT_EQ(withoutMain.startupFailure, "Error creating window");
}

}  // namespace
}  // namespace quillop
