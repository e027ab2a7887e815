// Quillop.exe on a screen of 192 dots per inch: the fly windows are per-monitor aware and
// twice the size in the screen's own pixels, and still keep within the work area.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/windows/Desktop_win32.h"
#include "tests/windows/Registry_win32.h"

namespace quillop::e2e {
namespace {

TEST(QuillopHighDpi, FliesAreDrawnForTheScreensDpi) {
    // NOTE: the driver reads places in physical pixels only when it is DPI aware itself.
    SetProcessDPIAware();
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 192) << "the script sets LogPixels to 192";
    ForgetSettings();
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    ASSERT_TRUE(program.Started()) << "Quillop.exe did not start";
    const DWORD start = GetTickCount();
    while (WindowsOfProcess(program.Id(), "frmPngFly").size() < 3 &&
           GetTickCount() - start < 15000) {
        Pump(10);
    }
    const std::vector<HWND> flies = WindowsOfProcess(program.Id(), "frmPngFly");
    ASSERT_EQ(flies.size(), 3u);
    const RECT area = WorkArea();
    const DWORD walking = GetTickCount();
    while (GetTickCount() - walking < 3000 && !HasFailure()) {
        for (HWND fly : flies) {
            const RECT r = WindowBounds(fly);
            EXPECT_EQ(r.right - r.left, 120);
            EXPECT_EQ(r.bottom - r.top, 120);
            // The overhangs, twice as long as at 96 dpi.
            EXPECT_GE(r.left, area.left - 40);
            EXPECT_LE(r.right, area.right + 40);
        }
        Pump(20);
    }
    PostMessageA(FindWindowA("TfrmMain", "Quillop 1.1"), 0x467, 0, 0);
    EXPECT_EQ(program.WaitForExit(5000), 0u);
}

}  // namespace
}  // namespace quillop::e2e
