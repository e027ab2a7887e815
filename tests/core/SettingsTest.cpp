// Reading and writing the settings over an in-memory store, and the close query around them.
#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/MemoryStore.h"
#include "fakes/OneSprite.h"
#include "main/MainForm.h"

namespace quillop {
namespace {

using testing::MemoryStore;
using testing::OneSprite;

StoredValue Integer(std::int32_t value) {
    return {true, true, 4, value};
}

class SettingsTest : public ::testing::Test {
  protected:
    void Load() {
        LoadSettings(store, settings, [&](const Failure& f) { reports.push_back(f.what()); });
    }

    MemoryStore store;
    testing::FakeMainWindow window;
    ControlUserSettings settings{window.Controls()};
    std::vector<std::string> reports;
};

TEST_F(SettingsTest, EmptyStoreKeepsTheDefaults) {
    Load();
    EXPECT_TRUE(settings.OnTop());
    EXPECT_TRUE(settings.Startup());
    EXPECT_EQ(settings.Flies(), 3);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(store.accesses, std::vector<StoreAccess>{StoreAccess::Read});
    EXPECT_EQ(store.closes, 1);
}

TEST_F(SettingsTest, FlyCountsAreClampedAndAnyNonZeroIsTrue) {
    for (auto [stored, expected] : {std::pair{150, 99}, {250, 99}, {0, 1}, {-5, 1}, {42, 42}}) {
        store.values = {{"Flies", Integer(stored)}, {"OnTop", Integer(-7)}};
        Load();
        EXPECT_EQ(settings.Flies(), expected) << stored;
        EXPECT_TRUE(settings.OnTop());
    }
}

TEST_F(SettingsTest, NamesMatchWithoutRegardToCase) {
    store.values = {{"startup", Integer(0)}, {"ONTOP", Integer(0)}, {"fLiEs", Integer(7)}};
    Load();
    EXPECT_FALSE(settings.Startup());
    EXPECT_FALSE(settings.OnTop());
    EXPECT_EQ(settings.Flies(), 7);
}

// The first line is what other programs look for; the next says where and what was done.
TEST_F(SettingsTest, WrongTypesAreReportedAndKeepTheirDefaultsWhileOthersAreRead) {
    store.values = {{"Flies", {true, false, 6, 0}},  // a string of six bytes
                    {"OnTop", {true, false, 4, 0}},  // four bytes of binary data
                    {"StartUp", Integer(0)}};
    Load();
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "Invalid data type for 'OnTop'\n'OnTop' in the store is not a 32-bit "
                           "number, so its default is used.",
                           "Failed to get data for 'Flies'\n'Flies' in the store holds more than "
                           "a 32-bit number, so its default is used."}));
    EXPECT_EQ(settings.Flies(), 3);
    EXPECT_TRUE(settings.OnTop());
    EXPECT_FALSE(settings.Startup());
}

TEST_F(SettingsTest, AnUnreadableStoreIsReportedOnceAndStartupFollowsTheLogonEntry) {
    for (const bool entry : {false, true}) {
        store.runAtLogon = entry;
        store.openProblem = StoreProblem{"Permission denied", "the file x.damaged"};
        store.values = {{"Flies", {true, false, 6, 0}}};
        reports.clear();
        Load();
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[0], std::string("The settings in the store could not be read ("
                                          "Permission denied). The default settings are used, "
                                          "with \"Load on startup\" ") +
                                  (entry ? "on" : "off") +
                                  " as the logon entry is, and what could not be read is kept "
                                  "as the file x.damaged when the settings are saved.");
        EXPECT_EQ(settings.Startup(), entry);
        reports.clear();
        Load();
        EXPECT_EQ(reports.size(), 1u) << "told once";
    }
}

TEST_F(SettingsTest, SaveWritesOnTopStartupFliesThenTheLogonEntry) {
    settings.SetOnTop(false);
    settings.SetFlies(150);
    SaveSettings(store, settings);
    EXPECT_EQ(store.accesses, std::vector<StoreAccess>{StoreAccess::Write});
    EXPECT_EQ(store.writes, (std::vector<std::pair<std::string, std::int32_t>>{
                                {"OnTop", 0}, {"Startup", 1}, {"Flies", 99}}));
    EXPECT_TRUE(store.runAtLogon);
    settings.SetStartup(false);
    SaveSettings(store, settings);
    EXPECT_FALSE(store.runAtLogon);
    EXPECT_EQ(store.values.size(), 3u);  // "Startup" replaced what was there, in any case
}

TEST_F(SettingsTest, FailedWritesNameTheValueThePlaceAndTheReasonAndCloseTheStore) {
    const auto failureOf = [&] {
        try {
            SaveSettings(store, settings);
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.ClassName(), "ERegistryException");
            return std::string(failure.what());
        }
        return std::string();
    };
    const std::string lost =
        "). What was stored before is left as it was; the changes made "
        "since are not saved.";
    store.failing = {"Startup"};
    EXPECT_EQ(failureOf(),
              "Failed to set data for 'Startup'\nThe settings could not be saved in "
              "the store (Access is denied" +
                  lost);
    EXPECT_EQ(store.opens, store.closes);
    store.failing.clear();
    store.failClose = true;
    EXPECT_EQ(failureOf(),
              "Failed to set data for 'Flies'\nThe settings could not be saved in "
              "the store (No space left on device" +
                  lost);
    store.failClose = false;
    store.failRunAtLogon = true;
    EXPECT_EQ(failureOf(),
              "Failed to set data for 'QuillopPro'\nThe logon entry the logon list "
              "could not be written (Invalid path); the settings themselves are "
              "saved.");
}

// A platform whose store the test keeps a hand on.
struct StorePlatform final : testing::FakePlatform {
    std::unique_ptr<SettingsStore> CreateSettingsStore() override {
        auto owned = std::make_unique<MemoryStore>();
        store = owned.get();
        *store = prepared;
        return owned;
    }
    MemoryStore prepared;
    MemoryStore* store = nullptr;
};

TEST(CloseQueryTest, StartFollowsTheStoreAndACloseWritesItBack) {
    StorePlatform platform;
    OneSprite sprites;
    platform.prepared.values = {
        {"Flies", Integer(250)}, {"OnTop", Integer(0)}, {"Startup", {true, false, 2, 0}}};
    Application app(platform, sprites);
    auto& form = static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
    form.StartApp();
    EXPECT_EQ(platform.flyWindows.size(), 99u);
    EXPECT_FALSE(platform.flyWindows.front()->topMost);
    ASSERT_EQ(platform.boxes.size(), 1u);  // reported, and the start went on
    // Named as it was asked for.
    EXPECT_EQ(platform.boxes[0].text.substr(0, 32), "Invalid data type for 'StartUp'\n");
    platform.mainEvents->OnCloseRequest();
    EXPECT_TRUE(platform.terminated);
    EXPECT_EQ(platform.store->Read("Flies").Value, 99);
    EXPECT_EQ(platform.store->Read("Startup").Value, 1);
}

TEST(CloseQueryTest, AnExitWhileTheSettingsAreReadWritesNothingAndEndsTheStart) {
    for (const bool sessionEnds : {false, true}) {
        StorePlatform platform;
        OneSprite sprites;
        platform.prepared.values = {{"OnTop", {true, false, 4, 0}},
                                    {"Startup", Integer(0)},
                                    {"Flies", {true, false, 6, 0}}};
        // The exit comes inside the box that reports "OnTop".
        platform.whileBoxOpen = [&](const auto&) {
            if (sessionEnds) {
                EXPECT_TRUE(platform.mainEvents->OnQueryEndSession());
                platform.mainEvents->OnEndSession(true);
            } else {
                platform.mainEvents->OnCloseRequest();
            }
        };
        Application app(platform, sprites);
        auto& form = static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
        form.StartApp();
        EXPECT_TRUE(platform.terminated);
        EXPECT_EQ(platform.boxes.size(), 1u) << "\"Flies\" is not reported after the exit";
        EXPECT_TRUE(platform.store->writes.empty());
        EXPECT_EQ(platform.store->closes, platform.store->opens);
        EXPECT_TRUE(platform.flyWindows.empty());
        EXPECT_FALSE(platform.trayIcon);
    }
}

TEST(CloseQueryTest, FailedWriteIsReportedOnExitButNeverTrapsTheUser) {
    StorePlatform platform;
    OneSprite sprites;
    platform.prepared.failing = {"OnTop"};
    Application app(platform, sprites);
    app.Own(std::make_unique<TfrmMain>(app));
    platform.mainEvents->OnCloseRequest();
    EXPECT_TRUE(platform.terminated);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text.substr(0, 31), "Failed to set data for 'OnTop'\n");
    EXPECT_TRUE(platform.mainEvents->OnQueryEndSession());
    EXPECT_EQ(platform.boxes.size(), 1u);  // nobody is there to read a box at log-off
}

}  // namespace
}  // namespace quillop
