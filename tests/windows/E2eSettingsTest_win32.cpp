// Quillop.exe's settings as a person meets them: the registry read at start and written at the
// end, the tray icon's menu, and the settings window with its keys and count field.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/windows/Desktop_win32.h"
#include "tests/windows/Registry_win32.h"
#include "tests/windows/Tray_win32.h"

namespace quillop::e2e {
namespace {

// Quillop.exe copied into a folder with a space in its name, so that the logon entry must be
// quoted.
std::string SpacedCopy() {
    const std::string folder =
        WindowsPath(Environment("QUILLOP_E2E_DIR", "/tmp") + "/Quillop Flies");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\Quillop.exe";
    CopyFileA(Environment("QUILLOP_EXE", "Quillop.exe").c_str(), copy.c_str(), FALSE);
    return copy;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Ends a run with the close message and waits for its exit code.
DWORD EndWithCloseMessage(Program& program) {
    const HWND main = MainWindowOf(program.Id());
    if (main == nullptr) {
        return STILL_ACTIVE;
    }
    PostMessageA(main, kCloseApp, 0, 0);
    return program.WaitForExit(15000);
}

// Waits for count flies and gives the last one time to be made top-most or not.
std::vector<HWND> SettledFlies(const Program& program, std::size_t count) {
    const std::vector<HWND> flies = WaitForFlyCount(program.Id(), count, 20000);
    Pump(300);
    return flies;
}

// Each test of the store starts from a first run: no settings, no logon entry.
class QuillopStore : public ::testing::Test {
  protected:
    void SetUp() override { ForgetSettings(); }
};

TEST_F(QuillopStore, AFirstRunStartsThreeTopMostFliesAndWritesTheDefaultsAndAQuotedLogonEntry) {
    const std::string exe = SpacedCopy();
    Program program(exe);
    ASSERT_TRUE(program.Started());
    const std::vector<HWND> flies = SettledFlies(program, 3);
    ASSERT_EQ(flies.size(), 3u);
    for (HWND fly : flies) {
        EXPECT_TRUE(IsTopMost(fly));
    }
    ASSERT_EQ(EndWithCloseMessage(program), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "OnTop"), 1u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Startup"), 1u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 3u);
    const auto run = ReadString(kRunKey, "QuillopPro");
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, run->c_str(), -1,
                             ("\"" + exe + "\"").c_str(), -1),
              CSTR_EQUAL)
        << *run;
}

TEST_F(QuillopStore, StartupOffUnderAnotherCaseRemovesTheLogonEntry) {
    const std::string exe = SpacedCopy();
    ASSERT_TRUE(WriteWideString(kRunKey, "QuillopPro", L"\"" + Wide(exe) + L"\""));
    ASSERT_TRUE(WriteDword(kSettingsKey, "sTARTUP", 0));
    ASSERT_TRUE(WriteDword(kSettingsKey, "OnTop", 0));
    Program program(exe);
    const std::vector<HWND> flies = SettledFlies(program, 3);
    ASSERT_EQ(flies.size(), 3u);
    for (HWND fly : flies) {
        EXPECT_FALSE(IsTopMost(fly)) << "OnTop = 0 starts flies that are not top-most";
    }
    ASSERT_EQ(EndWithCloseMessage(program), 0u);
    EXPECT_FALSE(ReadString(kRunKey, "QuillopPro").has_value());
    EXPECT_EQ(ReadDword(kSettingsKey, "Startup"), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "OnTop"), 0u);
}

TEST_F(QuillopStore, AFlyCountStoredAsTextIsReportedAndTheProgramRunsOnWithTheDefault) {
    ASSERT_TRUE(WriteWideString(kSettingsKey, "Flies", L"7"));
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    const HWND box = WaitForBox("Quillop", 15000);
    ASSERT_NE(box, nullptr) << "no report of the wrong type";
    EXPECT_EQ(BoxText(box).rfind("Invalid data type for 'Flies'\n", 0), 0u) << BoxText(box);
    CloseBox(box);
    EXPECT_EQ(SettledFlies(program, 3).size(), 3u);
    ASSERT_EQ(EndWithCloseMessage(program), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 3u) << "the default is written back as a number";
}

TEST_F(QuillopStore, TheCloseMessageDuringTheReportOfAWrongTypeEndsTheRunAndWritesNothing) {
    ASSERT_TRUE(WriteWideString(kSettingsKey, "OnTop", L"maybe"));
    ASSERT_TRUE(WriteDword(kSettingsKey, "Startup", 0));
    ASSERT_TRUE(WriteDword(kSettingsKey, "Flies", 12));
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    ASSERT_NE(WaitForBox("Quillop", 15000), nullptr) << "no report of the wrong type";
    ASSERT_EQ(EndWithCloseMessage(program), 0u);
    EXPECT_EQ(ReadString(kSettingsKey, "OnTop"), "maybe");
    EXPECT_EQ(ReadDword(kSettingsKey, "Startup"), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 12u) << "a default written over a stored value";
}

// A run of Quillop.exe of each test's own, driven through its tray icon: the first settings and
// the three flies they start.
class QuillopTray : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetSettings();
        program_ = std::make_unique<Program>(Environment("QUILLOP_EXE", "Quillop.exe"));
        main_ = MainWindowOf(program_->Id());
        ASSERT_NE(main_, nullptr) << "no main window";
        ASSERT_EQ(SettledFlies(*program_, 3).size(), 3u);
    }

    // Chooses "Settings" from the menu; true once the window is shown.
    bool ShowSettings(DWORD settleMs = 300) {
        if (!ChooseFromTrayMenu(main_, 'S')) {
            return false;
        }
        Pump(settleMs);
        return IsWindowVisible(main_) != FALSE;
    }

    HWND CountField() const { return ControlOf(main_, "Edit", nullptr); }

    std::unique_ptr<Program> program_;
    HWND main_ = nullptr;
};

TEST_F(QuillopTray, AddFiveFliesAddsFiveTopMostFlies) {
    ASSERT_EQ(FliesOf(program_->Id()).size(), 3u);
    EXPECT_TRUE(TrayIconPresent(main_)) << "the icon is added at start-up";
    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'D'));
    const std::vector<HWND> flies = SettledFlies(*program_, 8);
    ASSERT_EQ(flies.size(), 8u);
    for (HWND fly : flies) {
        EXPECT_TRUE(IsTopMost(fly));
    }
    EXPECT_FALSE(IsWindowVisible(main_));
}

TEST_F(QuillopTray, SettingsShowsTheWindowAtItsPlaceAndSizeWithItsControls) {
    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'S'));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }));
    const RECT frame = WindowBounds(main_);
    EXPECT_EQ(frame.left, 527);
    EXPECT_EQ(frame.top, 339);
    RECT client{};
    GetClientRect(main_, &client);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 169);
    const LONG_PTR style = GetWindowLongPtrA(main_, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    // Owned and no app window: no taskbar button.
    EXPECT_NE(GetWindow(main_, GW_OWNER), nullptr);
    EXPECT_FALSE(GetWindowLongPtrA(main_, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    for (const char* caption :
         {" Settings ", "Always on top", "Load on startup", "OK", "Button1"}) {
        EXPECT_NE(ControlOf(main_, "Button", caption), nullptr) << caption;
    }
    EXPECT_NE(ControlOf(main_, "Static", "Number of flies at start"), nullptr);
    EXPECT_NE(ControlOf(main_, "Static", "More fun program..."), nullptr);
    EXPECT_EQ(TextOf(CountField()), "3");
    EXPECT_EQ(SendMessageA(ControlOf(main_, "Button", "Always on top"), BM_GETCHECK, 0, 0),
              BST_CHECKED);
    RECT shot = frame;
    InflateRect(&shot, 12, 12);
    SaveScreen(Environment("QUILLOP_E2E_DIR", "/tmp") + "/windows-settings.png", shot);
}

TEST_F(QuillopTray, TheMenuOpensWithItsTopLeftCornerAtThePointer) {
    ASSERT_TRUE(ShowSettings());
    ASSERT_TRUE(MovePointer(640, 420));
    const HWND menu = OpenTrayMenu(main_);
    ASSERT_NE(menu, nullptr);
    WaitUntil([&] { return WindowBounds(menu).left == 640 && WindowBounds(menu).top == 420; },
              3000);
    const RECT at = WindowBounds(menu);
    EXPECT_EQ(at.left, 640);
    EXPECT_EQ(at.top, 420);
    // The menu over the settings window, as the picture of the open menu.
    RECT shot{};
    const RECT window = WindowBounds(main_);
    UnionRect(&shot, &at, &window);
    InflateRect(&shot, 16, 16);
    SaveScreen(Environment("QUILLOP_E2E_DIR", "/tmp") + "/windows-menu.png", shot);
    PressMenuKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return OpenMenuWindow() == nullptr; })) << "Escape left the menu";
    EXPECT_TRUE(IsWindowVisible(main_));
}

TEST_F(QuillopTray, ARightClickOnTheWindowsBackgroundOpensTheSameMenu) {
    ASSERT_TRUE(ShowSettings());
    const POINT at = ClickAt(main_, 150, 150, 3);  // between the link label and OK
    const DWORD start = GetTickCount();
    HWND menu = nullptr;
    while ((menu = OpenMenuWindow()) == nullptr && GetTickCount() - start < 5000) {
        Pump(10);
    }
    ASSERT_NE(menu, nullptr) << "no menu on a right click";
    const RECT bounds = WindowBounds(menu);
    EXPECT_EQ(bounds.left, at.x);
    EXPECT_EQ(bounds.top, at.y);
    PressMenuKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([] { return OpenMenuWindow() == nullptr; })) << "Escape left the menu";
    MovePointer(1, 1);
}

TEST_F(QuillopTray, TheFirstEnterAfterTheFirstShowAddsAFlyAndKeepsTheWindowOpen) {
    ASSERT_TRUE(ShowSettings());
    EXPECT_EQ(FocusOf(main_), ControlOf(main_, "Button", "Button1"));
    PressKey(main_, VK_RETURN);
    EXPECT_EQ(SettledFlies(*program_, 4).size(), 4u);
    EXPECT_TRUE(IsWindowVisible(main_));
    PressKey(main_, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(main_)) << "Escape does nothing";
}

TEST_F(QuillopTray, TheCountFieldRefusesLettersAndStepsOnTheArrowKeys) {
    // A new fly takes the activation; "Settings" brings the window forward with its focus.
    ASSERT_TRUE(ShowSettings());
    PressKey(main_, VK_RETURN);
    ASSERT_EQ(SettledFlies(*program_, 4).size(), 4u);
    ASSERT_TRUE(ShowSettings(200));
    ASSERT_EQ(FocusOf(main_), ControlOf(main_, "Button", "Button1"));
    for (int i = 0; i < 3; ++i) {
        PressKey(main_, VK_TAB);
    }
    ASSERT_EQ(FocusOf(main_), CountField());
    const LRESULT selection = SendMessageA(CountField(), EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 1) << "entering by Tab selects the whole text";
    TypeText(main_, "a");
    EXPECT_EQ(TextOf(CountField()), "3");
    TypeText(main_, "98");
    EXPECT_EQ(TextOf(CountField()), "98");
    PressKey(main_, VK_UP);
    PressKey(main_, VK_UP);
    EXPECT_EQ(TextOf(CountField()), "99");
}

TEST_F(QuillopTray, ClearingAlwaysOnTopAndTypingZeroThenAClickOnOkMakesFliesNormalAndShowsOne) {
    ASSERT_TRUE(ShowSettings(200));
    SendMessageA(ControlOf(main_, "Button", "Always on top"), BM_CLICK, 0, 0);
    PressKey(main_, VK_TAB);
    PressKey(main_, VK_TAB);
    ASSERT_EQ(FocusOf(main_), CountField());
    TypeText(main_, "0");
    ASSERT_EQ(TextOf(CountField()), "0");
    ClickAt(main_, 198 + 37, 136 + 12);  // OK, with the mouse
    EXPECT_EQ(TextOf(CountField()), "1") << "the field is clamped when OK takes the focus";
    EXPECT_FALSE(IsWindowVisible(main_));
    const std::vector<HWND> flies = FliesOf(program_->Id(), false);
    ASSERT_EQ(flies.size(), 3u);
    for (HWND fly : flies) {
        EXPECT_FALSE(IsTopMost(fly));
    }
}

TEST_F(QuillopTray, EveryRightClickAfterSettingsOpensTheMenu) {
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(ChooseFromTrayMenu(main_, 'S')) << "round " << round;
        const HWND menu = OpenTrayMenu(main_);
        ASSERT_NE(menu, nullptr) << "no menu on the right click after \"Settings\", round "
                                 << round;
        ASSERT_TRUE(PressMenuKeyUntilClosed(menu, VK_ESCAPE)) << "round " << round;
        SendMessageA(ControlOf(main_, "Button", "OK"), BM_CLICK, 0, 0);
        ASSERT_FALSE(IsWindowVisible(main_));
    }
}

TEST_F(QuillopTray, CloseAllFliesDestroysEveryFlyHiddenOnesToo) {
    const std::vector<HWND> flies = FliesOf(program_->Id());
    ASSERT_FALSE(flies.empty());
    PostMessageA(flies.front(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 30));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(flies.front()); }));
    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'C'));
    EXPECT_TRUE(WaitForFlyCount(program_->Id(), 0, 3000).empty());
    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'A'));
    EXPECT_EQ(SettledFlies(*program_, 1).size(), 1u);
}

TEST_F(QuillopTray, EnterAndAnotherWindowsActivationKeepATyped150AndExitWritesIt) {
    ASSERT_TRUE(ShowSettings());
    SendMessageA(ControlOf(main_, "Button", "Always on top"), BM_CLICK, 0, 0);
    while (FocusOf(main_) != CountField()) {
        PressKey(main_, VK_TAB);
    }
    TypeText(main_, "150");
    PressKey(main_, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }))
        << "Enter in the field presses OK";
    EXPECT_EQ(TextOf(CountField()), "150") << "hiding does not clamp";

    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'S'));
    WaitUntil([&] { return IsWindowVisible(main_) && FocusOf(main_) == CountField(); });
    ASSERT_EQ(FocusOf(main_), CountField()) << "the focus stays on the field across hiding";
    // As a click on the notification area does, another window takes the activation first.
    ForeignWindow other;
    ASSERT_TRUE(other.Activate());
    EXPECT_NE(FocusOf(main_), CountField());
    EXPECT_EQ(TextOf(CountField()), "150") << "deactivation does not clamp";
    ASSERT_TRUE(ChooseFromTrayMenu(main_, 'E'));
    EXPECT_EQ(program_->WaitForExit(15000), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 150u);
    EXPECT_EQ(ReadDword(kSettingsKey, "OnTop"), 0u);

    Program next(Environment("QUILLOP_EXE", "Quillop.exe"));
    EXPECT_EQ(SettledFlies(next, 99).size(), 99u);
    EXPECT_EQ(EndWithCloseMessage(next), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 99u);
}

// NOTE: Wine keeps the key's access list until wineserver ends; ForgetSettings gives the access
// back for the tests after this one.
TEST(QuillopStoreReadOnly, AKeyMadeReadOnlyWhileRunningIsReportedOnCloseAndTheProgramStillEnds) {
    ForgetSettings();
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    ASSERT_EQ(SettledFlies(program, 3).size(), 3u);
    ASSERT_TRUE(SetKeyReadOnly(kSettingsKey, true));
    PostMessageA(MainWindowOf(program.Id()), kCloseApp, 0, 0);
    const HWND box = WaitForBox("Quillop", 15000);
    ASSERT_NE(box, nullptr) << "no report of the failed write";
    EXPECT_EQ(BoxText(box).rfind("Failed to set data for 'OnTop'\n", 0), 0u) << BoxText(box);
    CloseBox(box);
    EXPECT_EQ(program.WaitForExit(15000), 0u);
    EXPECT_FALSE(ReadDword(kSettingsKey, "OnTop").has_value());
}

// The values of a key the user may read but not change are used at start, and the report at
// exit names the key and the system's reason.
TEST(QuillopStoreReadOnly, AReadOnlyKeyIsReadAtStartAndItsValuesStay) {
    ForgetSettings();
    ASSERT_TRUE(WriteDword(kSettingsKey, "Flies", 7));
    ASSERT_TRUE(WriteDword(kSettingsKey, "OnTop", 0));
    ASSERT_TRUE(WriteDword(kSettingsKey, "Startup", 0));
    ASSERT_TRUE(SetKeyReadOnly(kSettingsKey, true));
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    const std::vector<HWND> flies = SettledFlies(program, 7);
    EXPECT_EQ(flies.size(), 7u);
    for (HWND fly : flies) {
        EXPECT_FALSE(IsTopMost(fly));
    }
    PostMessageA(MainWindowOf(program.Id()), kCloseApp, 0, 0);
    const HWND box = WaitForBox("Quillop", 15000);
    ASSERT_NE(box, nullptr) << "no report of the failed write";
    const std::string text = BoxText(box);
    EXPECT_EQ(text.rfind("Failed to set data for 'OnTop'\nThe settings could not be saved in the "
                         "registry key HKEY_CURRENT_USER\\Software\\QuillopPro (",
                         0),
              0u)
        << text;
    CloseBox(box);
    EXPECT_EQ(program.WaitForExit(15000), 0u);
    EXPECT_EQ(ReadDword(kSettingsKey, "Flies"), 7u);
    EXPECT_EQ(ReadDword(kSettingsKey, "OnTop"), 0u);
    ForgetSettings();
}

}  // namespace
}  // namespace quillop::e2e
