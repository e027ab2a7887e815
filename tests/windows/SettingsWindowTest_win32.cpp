// The settings window and the tray icon of the Windows platform on their own: the dialog keys,
// the count buttons' timing, and the icon's life in the notification area.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

#include "clFly/win32/ScopedWin.h"
#include "main/win32/Win32MainWindow.h"
#include "main/win32/Win32Platform.h"
#include "tests/windows/Tray_win32.h"

namespace quillop {
namespace {

struct CountingMainEvents final : MainFormEvents {
    void OnCloseRequest() override {}
    bool OnQueryEndSession() override { return true; }
    void OnEndSession(bool) override {}
    void OnOkClick() override { ++okClicks; }
    void OnButton1Click() override { ++button1Clicks; }
    void OnHomePageClick() override { ++homePageClicks; }
    void OnMenuCommand(MenuCommand command) override { commands.push_back(command); }

    int okClicks = 0;
    int button1Clicks = 0;
    int homePageClicks = 0;
    std::vector<MenuCommand> commands;
};

class Win32SettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = platform.CreateMainWindow(events);
        hwnd = MainWindowHandle(*window);
    }
    void TearDown() override { platform.RemoveTrayIcon(); }

    // Handles the waiting messages as the program's loop does, for a while.
    void Run(DWORD milliseconds) {
        const DWORD start = GetTickCount();
        do {
            platform.ProcessMessages();
            Sleep(5);
        } while (GetTickCount() - start < milliseconds);
    }

    // Presses a key on the focused control, through the program's loop.
    void Press(WORD key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
        Run(50);
    }

    HWND Control(const char* className, const char* text) const {
        return FindWindowExA(hwnd, nullptr, className, text);
    }

    bool IconPresent() const { return e2e::TrayIconPresent(hwnd); }

    Win32Platform platform{GetModuleHandleA(nullptr)};
    CountingMainEvents events;
    std::unique_ptr<MainWindow> window;
    HWND hwnd = nullptr;
};

TEST_F(Win32SettingsWindowTest, EnterPressesTheFocusedButtonOrOkAndEscapeDoesNothing) {
    window->Show();
    Run(100);
    ASSERT_EQ(GetFocus(), Control("Button", "Button1")) << "the first tab stop has the focus";
    const HWND ok = Control("Button", "OK");
    EXPECT_EQ(GetWindowLongPtrA(ok, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON)
        << "the focused Button1 is the default button now";
    Press(VK_RETURN);
    EXPECT_EQ(events.button1Clicks, 1);
    EXPECT_EQ(events.okClicks, 0);
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), Control("Button", "Always on top"));
    EXPECT_EQ(GetWindowLongPtrA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    Press(VK_RETURN);
    EXPECT_EQ(events.okClicks, 1) << "Enter on a check box presses OK";
    EXPECT_TRUE(window->Controls().OnTopChecked()) << "and does not toggle the box";
    Press(VK_ESCAPE);
    EXPECT_EQ(events.okClicks, 1);
    EXPECT_TRUE(window->IsVisible());

    // The focus stays where it was across hiding and showing.
    window->Hide();
    Run(50);
    window->Show();
    Run(100);
    EXPECT_EQ(GetFocus(), Control("Button", "Always on top"));
}

TEST_F(Win32SettingsWindowTest, TheCountButtonsStepOnReleaseAndRepeatWhileHeld) {
    window->Show();
    Run(100);
    const HWND buttons = Control(UPDOWN_CLASSA, nullptr);
    ASSERT_NE(buttons, nullptr);
    int low = 0;
    int high = 0;
    SendMessageA(buttons, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 99) << "tools that read the buttons' range see the field's";
    SettingsControls& controls = window->Controls();
    RECT r{};
    GetClientRect(buttons, &r);
    // Puts the pointer at a height of the buttons; the mouse messages' lParam for that point.
    auto pointAt = [&](int y) {
        POINT at{r.right / 2, y};
        ClientToScreen(buttons, &at);
        SetCursorPos(at.x, at.y);
        return MAKELPARAM(r.right / 2, y);
    };
    const LPARAM up = pointAt(r.bottom / 4);

    controls.SetCountText("98");
    const DWORD upPressed = GetTickCount();
    SendMessageA(buttons, WM_LBUTTONDOWN, MK_LBUTTON, up);
    Run(150);
    // Unless a loaded machine let the first repeat come meanwhile.
    if (GetTickCount() - upPressed < 380) {
        EXPECT_EQ(controls.CountText(), "98") << "no step before the release";
    }
    SendMessageA(buttons, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(controls.CountText(), "99");
    SendMessageA(buttons, WM_LBUTTONDOWN, MK_LBUTTON, up);
    SendMessageA(buttons, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(controls.CountText(), "99") << "the up button stops at 99";

    // Held down, the button repeats: the first step 400 ms after the press, then one every
    // 100 ms. A loaded machine may make them later, never sooner.
    const LPARAM down = pointAt(r.bottom * 3 / 4);
    controls.SetCountText("50");
    const DWORD pressed = GetTickCount();
    SendMessageA(buttons, WM_LBUTTONDOWN, MK_LBUTTON, down);
    std::vector<DWORD> steps;
    for (int seen = 50; steps.size() < 4 && GetTickCount() - pressed < 10000;) {
        Run(1);
        if (const int now = std::stoi(controls.CountText()); now != seen) {
            EXPECT_EQ(now, seen - 1);
            seen = now;
            steps.push_back(GetTickCount() - pressed);
        }
    }
    ASSERT_EQ(steps.size(), 4u) << "holding the button down did not repeat";
    // GetTickCount moves in steps of a few milliseconds.
    EXPECT_GE(steps[0], 400u - 20) << "the first repeat comes 400 ms after the press";
    EXPECT_GE(steps[3] - steps[0], 300u - 20) << "the repeats come every 100 ms";
    SendMessageA(buttons, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(controls.CountText(), "46") << "the release over the other button takes no step";
}

TEST_F(Win32SettingsWindowTest, TheTrayIconIsASmall32BitIcon) {
    const ScopedIcon icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "TRAYICON", IMAGE_ICON, 16, 16, 0)));
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
    const ScopedBitmap colourBitmap(info.hbmColor);
    const ScopedBitmap mask(info.hbmMask);
    BITMAP colour{};
    GetObjectA(colourBitmap.Get(), sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmHeight, 16);
    EXPECT_EQ(colour.bmBitsPixel, 32);
}

TEST_F(Win32SettingsWindowTest, TheTrayIconIsAddedRemovedAndAddedAgainForANewTaskbar) {
    EXPECT_FALSE(IconPresent());
    platform.AddTrayIcon();
    EXPECT_TRUE(IconPresent());
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

    // The shell forgets the icon when its taskbar is made anew, then says so.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = hwnd;
    data.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &data);
    ASSERT_FALSE(IconPresent());
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconPresent()) << "the icon is added again";

    platform.RemoveTrayIcon();
    EXPECT_FALSE(IconPresent());
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_FALSE(IconPresent()) << "a removed icon stays removed";
}

TEST_F(Win32SettingsWindowTest, TheIconsMessagesShowTheWindowOrAreIgnored) {
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
        SendMessageA(hwnd, WM_TRAYICON, 1, mouse);
    }
    EXPECT_TRUE(events.commands.empty());
    SendMessageA(hwnd, WM_TRAYICON, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(events.commands, std::vector<MenuCommand>{MenuCommand::Settings});
}

TEST(TrayActionTest, OnlyALeftDoubleClickAndARightReleaseAct) {
    EXPECT_EQ(TrayActionFor(WM_LBUTTONDBLCLK), TrayAction::ShowSettings);
    EXPECT_EQ(TrayActionFor(WM_RBUTTONUP), TrayAction::OpenMenu);
    for (UINT ignored : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN,
                         WM_RBUTTONDBLCLK, WM_MBUTTONDOWN}) {
        EXPECT_EQ(TrayActionFor(ignored), TrayAction::Ignore);
    }
}

TEST_F(Win32SettingsWindowTest, TheLinkLabelShowsAHandAndAClickOpensTheHomePage) {
    window->Show();
    Run(100);
    const HWND link = Control("Static", "More fun program...");
    ASSERT_NE(link, nullptr);
    SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(events.homePageClicks, 1);
}

}  // namespace
}  // namespace quillop
