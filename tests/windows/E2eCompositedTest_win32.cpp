// Quillop.exe on a work area smaller than the screen, under a compositing manager: the flies keep
// within the smaller area, and their soft shadows blend with what lies beneath.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>

#include "tests/windows/Desktop_win32.h"
#include "tests/windows/FlyBounds_win32.h"
#include "tests/windows/Registry_win32.h"

namespace quillop::e2e {
namespace {

constexpr COLORREF kBackdrop = RGB(200, 220, 235);

// A plain window of one colour over the whole screen, below the top-most flies.
class Backdrop {
  public:
    Backdrop() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = CreateSolidBrush(kBackdrop);
        windowClass.lpszClassName = "QuillopTestBackdrop";
        RegisterClassA(&windowClass);
        hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass.lpszClassName, "",
                                WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                windowClass.hInstance, nullptr);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd_);
    }
    ~Backdrop() { DestroyWindow(hwnd_); }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

  private:
    HWND hwnd_;
};

// Counts the pixels of a "x,y: (r,g,b)" listing that are the backdrop darkened evenly: black of
// partial alpha laid over it, as a blended shadow looks.
int CountShadowPixels(const std::string& listingPath) {
    std::ifstream listing(listingPath);
    std::string line;
    int count = 0;
    while (std::getline(listing, line)) {
        int x = 0, y = 0, r = 0, g = 0, b = 0;
        if (std::sscanf(line.c_str(), "%d,%d: (%d,%d,%d", &x, &y, &r, &g, &b) != 5) {
            continue;
        }
        const double kr = r / double(GetRValue(kBackdrop));
        const double kg = g / double(GetGValue(kBackdrop));
        const double kb = b / double(GetBValue(kBackdrop));
        if (kr > 0.4 && kr < 0.96 && std::fabs(kr - kg) < 0.04 && std::fabs(kr - kb) < 0.04) {
            ++count;
        }
    }
    return count;
}

// The backdrop is the suite's; each test has a run of its own with the first settings.
class QuillopComposited : public ::testing::Test {
  protected:
    // NOTE: without a window manager, a window shown later is stacked above the flies in X
    // whatever its top-most state, so the backdrop is shown before the program starts.
    static void SetUpTestSuite() {
        backdrop_ = std::make_unique<Backdrop>();
        Pump(300);
    }
    static void TearDownTestSuite() { backdrop_.reset(); }

    void SetUp() override {
        ForgetSettings();
        program_ = std::make_unique<Program>(Environment("QUILLOP_EXE", "Quillop.exe"));
        ASSERT_TRUE(program_->Started()) << "Quillop.exe did not start";
        const DWORD start = GetTickCount();
        while (WindowsOfProcess(program_->Id(), "frmPngFly").size() < 3 &&
               GetTickCount() - start < 15000) {
            Pump(10);
        }
        flies_ = WindowsOfProcess(program_->Id(), "frmPngFly");
        ASSERT_EQ(flies_.size(), 3u);
    }

    void TearDown() override {
        if (program_->Started()) {
            PostMessageA(FindWindowA("TfrmMain", "Quillop 1.1"), 0x467, 0, 0);
            program_->WaitForExit(5000);
        }
    }

    static std::unique_ptr<Backdrop> backdrop_;
    std::unique_ptr<Program> program_;
    std::vector<HWND> flies_;
};

std::unique_ptr<Backdrop> QuillopComposited::backdrop_;

TEST_F(QuillopComposited, ShadowsBlendWithTheWindowBeneath) {
    const std::string dir = Environment("QUILLOP_E2E_DIR", "/tmp");
    Pump(1500);  // the flies have left the centre, most of them, and are still close together
    // Where the flies stand as the screen is taken; a walking fly is a few pixels further on.
    std::vector<RECT> places;
    for (HWND fly : flies_) {
        places.push_back(WindowBounds(fly));
    }
    const std::string full = dir + "/screen.png";
    ASSERT_TRUE(RunShell("import -window root " + full));
    int shadows = 0;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const RECT& r = places[i];
        const std::string listing = dir + "/fly" + std::to_string(i) + ".txt";
        ASSERT_TRUE(RunShell("convert " + full + " -crop 60x60+" + std::to_string(r.left) + "+" +
                             std::to_string(r.top) + " txt:" + listing));
        shadows += CountShadowPixels(WindowsPath(listing));
    }
    EXPECT_GE(shadows, 100) << "no soft shadow blended with the backdrop";
    // A picture for the documentation, enlarged: all flies when they are close together, else
    // the first one.
    RECT all = places[0];
    for (const RECT& r : places) {
        all = {std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
               std::max(all.bottom, r.bottom)};
    }
    const bool together = all.right - all.left <= 190 && all.bottom - all.top <= 120;
    const RECT& shown = together ? all : places[0];
    const LONG x = std::max<LONG>(0, (shown.left + shown.right) / 2 - 100);
    const LONG y = std::max<LONG>(0, (shown.top + shown.bottom) / 2 - 65);
    EXPECT_TRUE(RunShell("convert " + full + " -crop 200x130+" + std::to_string(x) + "+" +
                         std::to_string(y) + " +repage -scale 300% " + dir + "/windows.png"));
}

TEST_F(QuillopComposited, FliesKeepWithinASmallerWorkArea) {
    // The script puts a 230 px taskbar at the top and leaves 200 px below it: the flies start at
    // the screen centre, 6 px above the lowest place that area allows, so every run downwards
    // meets its edge, and the runs upwards meet the taskbar's.
    const RECT area = WorkArea();
    ASSERT_GT(area.top, 0) << "the script puts the taskbar at the top";
    const DWORD start = GetTickCount();
    LONG highest = GetSystemMetrics(SM_CYSCREEN);
    // Ten seconds at least, and on until a fly came near the taskbar.
    while ((GetTickCount() - start < 10000 || highest >= area.top + 20) &&
           GetTickCount() - start < 30000 && !HasFailure()) {
        for (HWND fly : flies_) {
            const RECT r = WindowBounds(fly);
            ExpectWithinWorkArea(r, area);
            highest = std::min(highest, r.top);
        }
        Pump(5);
    }
    // A fly got near the taskbar: the limit there was met, not just never approached.
    EXPECT_LT(highest, area.top + 20) << "no fly came near the taskbar in 30 s";
}

}  // namespace
}  // namespace quillop::e2e
