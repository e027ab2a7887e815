// The Windows platform layer on its own: the windows it makes, the messages it turns into
// events, its pictures and its message handling, under Wine on a private display.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "clFly/Failure.h"
#include "clFly/SpriteCache.h"
#include "clFly/win32/ResourceSprites.h"
#include "clFly/win32/ScopedWin.h"
#include "main/win32/Win32MainWindow.h"
#include "main/win32/Win32Platform.h"
#include "resources/EmbeddedSprites.h"

namespace quillop {
namespace {

// Counts the events of one fly window and runs an optional action inside the timer's event.
struct RecordingFlyEvents final : FlyEvents {
    void OnTimer() override {
        ++timers;
        if (onTimer) {
            onTimer();
        }
    }
    void OnMouseMove() override { ++mouseMoves; }
    void OnDoubleClick() override { ++doubleClicks; }
    void OnCloseRequest() override { ++closeRequests; }

    int timers = 0;
    int mouseMoves = 0;
    int doubleClicks = 0;
    int closeRequests = 0;
    std::function<void()> onTimer;
};

struct RecordingMainEvents final : MainFormEvents {
    void OnCloseRequest() override { ++closeRequests; }
    bool OnQueryEndSession() override { return allowEnd; }
    void OnEndSession(bool ending) override { endings.push_back(ending); }
    void OnOkClick() override {}
    void OnButton1Click() override {}
    void OnHomePageClick() override {}
    void OnMenuCommand(MenuCommand) override {}

    int closeRequests = 0;
    bool allowEnd = true;
    std::vector<bool> endings;
};

// Handles this thread's messages for a while; busy timers may leave some unhandled.
void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
}

// The only fly window of this process whose text is name.
HWND FindFlyWindow(const std::string& name) {
    return FindWindowA(nullptr, name.c_str());
}

// Ends the test program when the event is not set within 10 s.
DWORD WINAPI Watchdog(void* event) {
    if (WaitForSingleObject(static_cast<HANDLE>(event), 10000) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "ProcessMessages did not return within 10 s\n");
        ExitProcess(1);
    }
    return 0;
}

// What a message box showed before the helper thread pressed its OK button.
struct SeenBox {
    std::string Caption;  // the box to wait for
    bool Found = false;
    std::string Text;
    bool Icon = false;
};

BOOL CALLBACK FindIcon(HWND child, LPARAM lParam) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") == 0 && IsWindowVisible(child) &&
        (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0) {
        *reinterpret_cast<bool*>(lParam) = true;
    }
    return TRUE;
}

// Waits on another thread for the box captioned as asked, reads it and presses OK.
DWORD WINAPI CloseBoxWhenOpen(void* parameter) {
    auto& seen = *static_cast<SeenBox*>(parameter);
    for (int i = 0; i < 500; ++i) {
        const HWND box = FindWindowA("#32770", seen.Caption.c_str());
        if (box != nullptr && IsWindowVisible(box)) {
            char text[512] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen.Text = text;
            EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&seen.Icon));
            seen.Found = true;
            PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            return 0;
        }
        Sleep(10);
    }
    return 0;
}

// Runs show, which opens a box, while another thread reads the box and closes it.
SeenBox WatchBox(const std::string& caption, const std::function<void()>& show) {
    SeenBox seen;
    seen.Caption = caption;
    const ScopedKernelHandle closer(CreateThread(nullptr, 0, CloseBoxWhenOpen, &seen, 0, nullptr));
    show();
    WaitForSingleObject(closer.Get(), INFINITE);
    return seen;
}

class Win32PlatformTest : public ::testing::Test {
  protected:
    Win32Platform platform{GetModuleHandleA(nullptr)};
    RecordingFlyEvents events;
};

TEST_F(Win32PlatformTest, ResourcesHoldTheSamePicturesAsTheSources) {
    const ResourceSprites resources(GetModuleHandleA(nullptr));
    for (int direction = 1; direction <= kDirections; ++direction) {
        for (int frame = 1; frame <= kFrames; ++frame) {
            const std::string name = SpriteName(direction, frame);
            const auto found = resources.Find(name);
            const auto expected = EmbeddedSprites().Find(name);
            ASSERT_TRUE(found && expected) << name;
            ASSERT_EQ(found->size(), expected->size()) << name;
            EXPECT_EQ(std::memcmp(found->data(), expected->data(), found->size()), 0) << name;
        }
    }
    EXPECT_FALSE(resources.Find("9_1"));
    EXPECT_FALSE(resources.Find("1_7"));
    EXPECT_FALSE(resources.Find("MAINICON"));
}

TEST_F(Win32PlatformTest, SpriteBitmapsHoldThePremultipliedPixelsTopDownOncePerSprite) {
    const ResourceSprites resources(GetModuleHandleA(nullptr));
    SpriteCache cache(resources);
    SpriteBitmaps bitmaps;
    const CachedSprite& first = cache.Get("1_1");
    const CachedSprite& second = cache.Get("8_6");
    const HBITMAP bitmap = bitmaps.Get(second);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmaps.Get(second), bitmap) << "made once, then kept";
    EXPECT_NE(bitmaps.Get(first), bitmap);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBmih.biBitCount, 32);
    EXPECT_EQ(section.dsBmih.biWidth, 60);
    EXPECT_EQ(std::abs(section.dsBmih.biHeight), 60);
    ASSERT_NE(section.dsBm.bmBits, nullptr);
    // The same bytes in the same order: rows run top to bottom, as in the sprite.
    EXPECT_EQ(std::memcmp(section.dsBm.bmBits, second.Picture.Pixels.data(),
                          second.Picture.Pixels.size()),
              0);
}

TEST_F(Win32PlatformTest, FlyWindowIsAHiddenOwnedPopUpThatBecomesLayered) {
    auto window = platform.CreateFlyWindow(events, "frmPngFly42", Rect{0, 0, 60, 60});
    const HWND hwnd = FindFlyWindow("frmPngFly42");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(window->IsVisible());
    EXPECT_TRUE(GetClassLongPtrA(hwnd, GCL_STYLE) & CS_DBLCLKS);
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_BORDER),
              WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_FALSE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    // A step without a picture moves the window and sets its owner, nothing more.
    EXPECT_TRUE(window->Present(Point{100, 120}, nullptr).Shown);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), GetDesktopWindow());
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
    EXPECT_FALSE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    const ResourceSprites resources(GetModuleHandleA(nullptr));
    SpriteCache cache(resources);
    const PresentResult first = window->Present(Point{100, 120}, &cache.Get("3_2"));
    EXPECT_EQ(first.Refusal, std::nullopt);
    EXPECT_TRUE(first.Shown);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(window->Present(Point{100, 120}, &cache.Get("3_3")).Refusal, std::nullopt)
        << "a second time changes nothing";
    EXPECT_FALSE(window->IsVisible()) << "a picture does not show a hidden window";

    window->Show();
    EXPECT_TRUE(window->IsVisible());
    window->SetTopMost(true);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    window->SetTopMost(false);
    EXPECT_FALSE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    window->Hide();
    EXPECT_FALSE(window->IsVisible());
    window.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32PlatformTest, FlyWindowTurnsMessagesIntoEventsAndIsNeverClosedByThem) {
    auto window = platform.CreateFlyWindow(events, "frmPngFly43", Rect{0, 0, 60, 60});
    const HWND hwnd = FindFlyWindow("frmPngFly43");
    ASSERT_NE(hwnd, nullptr);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageA(hwnd, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(30, 30));
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(events.mouseMoves, 1);
    EXPECT_EQ(events.doubleClicks, 1) << "only the left button's double click";
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_TRUE(IsWindow(hwnd)) << "a close request leaves the window to the fly";

    window->StartTimer(10);
    PumpFor(300);
    EXPECT_GE(events.timers, 5);
    window->StopTimer();
    PumpFor(50);
    const int stopped = events.timers;
    PumpFor(200);
    EXPECT_EQ(events.timers, stopped);
}

TEST_F(Win32PlatformTest, AFlyWindowDestroyedInsideItsOwnEventIsNotTouchedAgain) {
    auto window = platform.CreateFlyWindow(events, "frmPngFly44", Rect{0, 0, 60, 60});
    const HWND hwnd = FindFlyWindow("frmPngFly44");
    events.onTimer = [&] { window.reset(); };
    window->StartTimer(10);
    PumpFor(200);
    EXPECT_EQ(events.timers, 1);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32PlatformTest, ProcessMessagesReturnsWhileManyTimersKeepFiring) {
    // Forty windows whose ticks take a millisecond each: more work than ten milliseconds hold.
    std::vector<std::unique_ptr<FlyWindow>> windows;
    events.onTimer = [] { Sleep(1); };
    for (int i = 0; i < 40; ++i) {
        windows.push_back(platform.CreateFlyWindow(events, "frmPngFlyBusy", Rect{0, 0, 60, 60}));
        windows.back()->StartTimer(10);
    }
    PumpFor(100);
    RecordingFlyEvents waitingEvents;
    auto closing = platform.CreateFlyWindow(waitingEvents, "frmPngFly46", Rect{0, 0, 60, 60});
    PostMessageA(FindFlyWindow("frmPngFly46"), WM_CLOSE, 0, 0);
    // A call that never returns ends the test program rather than hanging it.
    const ScopedKernelHandle returned(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const ScopedKernelHandle watchdog(
        CreateThread(nullptr, 0, Watchdog, returned.Get(), 0, nullptr));
    const DWORD start = GetTickCount();
    platform.ProcessMessages();
    SetEvent(returned.Get());
    WaitForSingleObject(watchdog.Get(), INFINITE);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(waitingEvents.closeRequests, 1) << "a message waiting at the call is handled";
}

TEST_F(Win32PlatformTest, MainWindowIsHiddenOwnedByTheApplicationWindowAndReportsItsMessages) {
    RecordingMainEvents mainEvents;
    auto window = platform.CreateMainWindow(mainEvents);
    const HWND hwnd = FindWindowA("TfrmMain", "Quillop 1.1");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), platform.ApplicationWindow());
    char title[64] = {};
    GetWindowTextA(platform.ApplicationWindow(), title, sizeof title);
    EXPECT_STREQ(title, "Quillop");

    SendMessageA(hwnd, WM_CLOSEAPP, 0, 0);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(mainEvents.closeRequests, 2);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
    mainEvents.allowEnd = false;
    EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), FALSE);
    SendMessageA(hwnd, WM_ENDSESSION, FALSE, 0);
    SendMessageA(hwnd, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(mainEvents.endings, (std::vector<bool>{false, true}));
}

TEST_F(Win32PlatformTest, ScreenAndWorkAreaAreTheSystemsOwn) {
    const Size screen = platform.ScreenSize();
    EXPECT_EQ(screen.Width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(screen.Height, GetSystemMetrics(SM_CYSCREEN));
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(platform.WorkArea(),
              (Rect{area.left, area.top, area.right - area.left, area.bottom - area.top}));
    // A taskbar at the top: the work area's corner moves down with it.
    RECT top = area;
    top.top += 40;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &top, 0));
    const Rect moved = platform.WorkArea();
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    EXPECT_EQ(moved, (Rect{area.left, area.top + 40, area.right - area.left,
                           area.bottom - area.top - 40}));
    EXPECT_TRUE(platform.SystemClock().HighResolutionCounter().has_value());
}

TEST_F(Win32PlatformTest, MessageBoxesCarryTheirCaptionTextAndIconAndGiveBackTheActiveWindow) {
    auto window = platform.CreateFlyWindow(events, "frmPngFly47", Rect{10, 10, 60, 60});
    const HWND hwnd = FindFlyWindow("frmPngFly47");
    window->Show();
    SetActiveWindow(hwnd);
    ASSERT_EQ(GetActiveWindow(), hwnd);
    const SeenBox stop =
        WatchBox("Quillop", [&] { platform.ShowMessageBox("Broken.", "Quillop", BoxIcon::Stop); });
    EXPECT_TRUE(stop.Found);
    EXPECT_EQ(stop.Text, "Broken.");
    EXPECT_TRUE(stop.Icon);
    EXPECT_EQ(GetActiveWindow(), hwnd) << "the window active before is active again";
    const SeenBox plain =
        WatchBox("Quillop", [&] { platform.ShowMessageBox("No!!!!!", "Quillop", BoxIcon::None); });
    EXPECT_TRUE(plain.Found);
    EXPECT_EQ(plain.Text, "No!!!!!");
    EXPECT_FALSE(plain.Icon);
}

// Raises a failure from code of this module, as start-up would.
__attribute__((noinline)) void RaiseStartupFailure() {
    throw Failure("The settings could not be read", "ERegistryException");
}

TEST_F(Win32PlatformTest, StartupFailureNamesTheClassTheModuleAndTheOffset) {
    SeenBox seen;
    try {
        RaiseStartupFailure();
    } catch (const Failure& failure) {
        seen = WatchBox("Application Error", [&] { platform.ReportStartupFailure(failure); });
        const auto offset = reinterpret_cast<std::uintptr_t>(failure.RaisedAt()) -
                            reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
        char expected[128];
        std::snprintf(expected, sizeof expected, "at %08llX.",
                      static_cast<unsigned long long>(offset));
        EXPECT_NE(seen.Text.find(expected), std::string::npos) << seen.Text;
        EXPECT_GT(offset, 0x1000u);
        EXPECT_LT(offset, 0x10000000u);
    }
    ASSERT_TRUE(seen.Found);
    EXPECT_TRUE(seen.Text.starts_with(
        "Exception ERegistryException in module quillop_platform_tests.exe at "))
        << seen.Text;
    EXPECT_TRUE(seen.Text.ends_with(".\nThe settings could not be read.")) << seen.Text;
    EXPECT_TRUE(seen.Icon);
}

}  // namespace
}  // namespace quillop
