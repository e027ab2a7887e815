// Quillop.exe as a person sees it: flies on the desktop, walking, stopping under the pointer,
// vanishing on a double click, and the program ending on request.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>

#include "tests/windows/Desktop_win32.h"
#include "tests/windows/FlyBounds_win32.h"
#include "tests/windows/Registry_win32.h"
#include "tests/windows/Tray_win32.h"

namespace quillop::e2e {
namespace {

constexpr int kFlySize = 60;

// Waits until a process shows count fly windows; returns what it found in the end.
std::vector<HWND> WaitForFlies(DWORD processId, std::size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    std::vector<HWND> flies;
    while (GetTickCount() - start < timeoutMs) {
        flies = WindowsOfProcess(processId, "frmPngFly");
        if (flies.size() >= count) {
            break;
        }
        Pump(1);
    }
    return flies;
}

// Samples every fly's bounds for a while and checks each against the walking limits of the
// work area; returns how many different positions each fly took.
std::map<HWND, int> WatchWithinLimits(const std::vector<HWND>& flies, DWORD milliseconds) {
    const RECT area = WorkArea();
    std::map<HWND, RECT> last;
    std::map<HWND, int> positions;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        for (HWND fly : flies) {
            const RECT r = WindowBounds(fly);
            ExpectWithinWorkArea(r, area);
            if (!last.contains(fly) || !SameRect(last[fly], r)) {
                ++positions[fly];
                last[fly] = r;
            }
        }
        if (::testing::Test::HasFailure()) {
            break;
        }
        Pump(5);
    }
    return positions;
}

// A run of Quillop.exe of each test's own: the first settings, the pointer away from the
// screen centre, and the three flies it starts with shown.
class QuillopRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetSettings();
        ASSERT_TRUE(MovePointer(1, 1));
        program_ = std::make_unique<Program>(Environment("QUILLOP_EXE", "Quillop.exe"));
        ASSERT_TRUE(program_->Started()) << "Quillop.exe did not start";
        // Watch closely from the start, so that each fly's first place is seen before it walks.
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 15000 && firstSeen_.size() < 3) {
            for (HWND fly : WindowsOfProcess(program_->Id(), "frmPngFly")) {
                if (!firstSeen_.contains(fly)) {
                    firstSeen_[fly] = WindowBounds(fly);
                }
            }
            Sleep(1);
        }
        ASSERT_EQ(firstSeen_.size(), 3u) << "three fly windows within 15 s";
        // A fly is shown first and made top-most after: the last one settles.
        WaitUntil([&] {
            for (const auto& [fly, place] : firstSeen_) {
                if ((GetWindowLongPtrA(fly, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
                    return false;
                }
            }
            return true;
        });
        flies_ = WaitForFlies(program_->Id(), 3, 5000);
        ASSERT_EQ(flies_.size(), 3u);
    }

    std::unique_ptr<Program> program_;
    std::vector<HWND> flies_;
    std::map<HWND, RECT> firstSeen_;
};

TEST_F(QuillopRun, ShowsThreeTopMostLayeredFliesAtTheScreenCentre) {
    const int centreX = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int centreY = GetSystemMetrics(SM_CYSCREEN) / 2;
    for (HWND fly : flies_) {
        SCOPED_TRACE(WindowTitle(fly));
        const RECT first = firstSeen_[fly];
        EXPECT_EQ(first.left, centreX);
        EXPECT_EQ(first.top, centreY);
        const RECT now = WindowBounds(fly);
        EXPECT_EQ(now.right - now.left, kFlySize);
        EXPECT_EQ(now.bottom - now.top, kFlySize);
        const LONG_PTR exStyle = GetWindowLongPtrA(fly, GWL_EXSTYLE);
        EXPECT_TRUE(exStyle & WS_EX_LAYERED);
        EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
        EXPECT_EQ(GetWindow(fly, GW_OWNER), GetDesktopWindow());
        EXPECT_TRUE(GetWindowLongPtrA(fly, GWL_STYLE) & WS_POPUP);
    }
}

TEST_F(QuillopRun, KeepsItsMainWindowHiddenAndHasNoTaskbarButton) {
    const HWND main = FindWindowA("TfrmMain", "Quillop 1.1");
    ASSERT_NE(main, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(main, &owner);
    EXPECT_EQ(owner, program_->Id());
    EXPECT_FALSE(IsWindowVisible(main));
    for (HWND window : WindowsOfProcess(program_->Id(), "")) {
        SCOPED_TRACE(WindowTitle(window));
        const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
        const bool button =
            (GetWindow(window, GW_OWNER) == nullptr && (exStyle & WS_EX_TOOLWINDOW) == 0) ||
            (exStyle & WS_EX_APPWINDOW) != 0;
        EXPECT_FALSE(button) << "a visible window with a taskbar button";
    }
}

TEST_F(QuillopRun, EveryFlyWalksAndKeepsWithinTheWorkArea) {
    // The longest rest is six seconds, so within seven every fly has begun to walk.
    const std::map<HWND, int> positions = WatchWithinLimits(flies_, 7000);
    for (HWND fly : flies_) {
        EXPECT_GE(positions.contains(fly) ? positions.at(fly) : 0, 10) << WindowTitle(fly);
    }
}

// Whether a fly keeps its place for the whole time.
bool StandsStill(HWND fly, DWORD milliseconds) {
    const RECT at = WindowBounds(fly);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        if (!SameRect(WindowBounds(fly), at)) {
            return false;
        }
        Pump(10);
    }
    return true;
}

// Catches a fly while it walks and puts the pointer on its body, aiming where it will be once
// the pointer arrives. True when the fly then stands still: a walking fly only stops so soon,
// and for so long, when the pointer froze it.
bool FreezeWalkingFly(HWND fly) {
    const RECT before = WindowBounds(fly);
    const DWORD t0 = GetTickCount();
    Sleep(20);
    const RECT after = WindowBounds(fly);
    const DWORD elapsed = GetTickCount() - t0;
    if (SameRect(before, after) || !IsWindowVisible(fly)) {
        return false;  // resting: no way to tell a freeze from a rest
    }
    const double vx = static_cast<double>(after.left - before.left) / elapsed;
    const double vy = static_cast<double>(after.top - before.top) / elapsed;
    constexpr double kLeadMs = 12;
    const int x = after.left + kFlySize / 2 + static_cast<int>(vx * kLeadMs);
    const int y = after.top + kFlySize / 2 + static_cast<int>(vy * kLeadMs);
    if (!MovePointer(x, y)) {
        return false;
    }
    Pump(60);
    if (!StandsStill(fly, 1200)) {
        return false;
    }
    // The fly stopped where its edge met the pointer; the centre is on the body in every
    // sprite, so clicks there reach it, and the move there renews the freeze.
    const RECT still = WindowBounds(fly);
    return MovePointer(still.left + kFlySize / 2, still.top + kFlySize / 2) &&
           StandsStill(fly, 100);
}

// Freezes one of the flies, trying a few times; returns it, or nullptr.
HWND FreezeAnyFly(const std::vector<HWND>& flies) {
    for (int attempt = 0; attempt < 40; ++attempt) {
        for (HWND fly : flies) {
            if (FreezeWalkingFly(fly)) {
                return fly;
            }
        }
        MovePointer(1, 1);
        Pump(50);
    }
    return nullptr;
}

// Whether a point lies within a rect grown by margin.
bool Near(const RECT& r, int x, int y, int margin) {
    return x >= r.left - margin && x < r.right + margin && y >= r.top - margin &&
           y < r.bottom + margin;
}

// Freezes a fly with no other fly within 30 px of the point (dx, dy) inside it, so that no
// other fly walks under a click there; returns it, or nullptr.
HWND FreezeLoneFly(const std::vector<HWND>& flies, int dx, int dy) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        HWND fly = FreezeAnyFly(flies);
        if (fly == nullptr) {
            return nullptr;
        }
        const RECT r = WindowBounds(fly);
        for (HWND other : flies) {
            if (other != fly && Near(WindowBounds(other), r.left + dx, r.top + dy, 30)) {
                fly = nullptr;
            }
        }
        if (fly != nullptr) {
            return fly;
        }
    }
    return nullptr;
}

TEST_F(QuillopRun, PointerOverTheBodyStopsAFly) {
    EXPECT_NE(FreezeAnyFly(flies_), nullptr) << "no fly stopped under the pointer";
}

TEST_F(QuillopRun, ClicksOnATransparentCornerDoNotReachTheFly) {
    const HWND fly = FreezeLoneFly(flies_, 1, 1);
    ASSERT_NE(fly, nullptr);
    const RECT r = WindowBounds(fly);
    ASSERT_TRUE(RunShell("xdotool mousemove " + std::to_string(r.left + 1) + " " +
                         std::to_string(r.top + 1) + " click --repeat 2 --delay 80 1"));
    Pump(400);
    EXPECT_TRUE(IsWindowVisible(fly)) << "a double click on a transparent corner hid the fly";
}

TEST_F(QuillopRun, DoubleClickOnTheBodyHidesAFlyForGoodWhileTheOthersWalkOn) {
    const HWND fly = FreezeLoneFly(flies_, kFlySize / 2, kFlySize / 2);
    ASSERT_NE(fly, nullptr);
    ASSERT_TRUE(RunShell("xdotool click --repeat 2 --delay 80 3"));
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(fly)) << "a right double click hid the fly";
    // A one-pixel move first renews the freeze, which may have run out during the right clicks.
    ASSERT_TRUE(RunShell("xdotool mousemove_relative 1 0 click --repeat 2 --delay 80 1"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(fly); }))
        << "a left double click on the body did not hide it";
    MovePointer(1, 1);

    std::vector<HWND> others;
    for (HWND other : flies_) {
        if (other != fly) {
            others.push_back(other);
        }
    }
    const std::map<HWND, int> positions = WatchWithinLimits(others, 7000);
    for (HWND other : others) {
        EXPECT_GE(positions.contains(other) ? positions.at(other) : 0, 2) << WindowTitle(other);
    }
    EXPECT_FALSE(IsWindowVisible(fly)) << "the hidden fly came back";
    EXPECT_TRUE(IsWindow(fly)) << "a double click hides a fly; it does not destroy it";
}

TEST_F(QuillopRun, EndsWithExitCodeZeroOnTheCloseMessage) {
    const HWND main = FindWindowA("TfrmMain", "Quillop 1.1");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostMessageA(main, kCloseApp, 0, 0));
    EXPECT_EQ(program_->WaitForExit(10000), 0u);
    EXPECT_TRUE(WindowsOfProcess(program_->Id(), "frmPngFly", false).empty());
}

}  // namespace
}  // namespace quillop::e2e
