// Quillop whose fly draws the system refuses: each refusal is reported, but a fly never stacks
// its reports, a hidden fly reports nothing more, and a fly destroyed while its report is open
// is not touched again.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/windows/Desktop_win32.h"
#include "tests/windows/Registry_win32.h"
#include "tests/windows/Tray_win32.h"

namespace quillop::e2e {
namespace {

// The message boxes the program has open.
std::vector<HWND> OpenBoxes(DWORD processId) {
    std::vector<HWND> boxes;
    for (HWND window : WindowsOfProcess(processId, "Quillop")) {
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770") {
            boxes.push_back(window);
        }
    }
    return boxes;
}

// Presses OK on every open box, the way a person would close them.
void CloseBoxes(const std::vector<HWND>& boxes) {
    for (HWND box : boxes) {
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
}

// Closes the boxes as they come for a while, returning the most that were open at once.
std::size_t CloseBoxesFor(DWORD processId, DWORD milliseconds) {
    std::size_t most = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        const std::vector<HWND> boxes = OpenBoxes(processId);
        most = std::max(most, boxes.size());
        for (HWND box : boxes) {
            EXPECT_EQ(BoxText(box), "No!!!!!");
        }
        CloseBoxes(boxes);
        Pump(100);
    }
    return most;
}

// Whether a box opens within the time.
bool WaitForBox(DWORD processId, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (OpenBoxes(processId).empty() && GetTickCount() - start < milliseconds) {
        Pump(10);
    }
    return !OpenBoxes(processId).empty();
}

// A run of each test's own with the first settings, its reports closed until its three flies
// show.
class QuillopRefusedDraws : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetSettings();
        program_ = std::make_unique<Program>(Environment("QUILLOP_REFUSING_EXE"));
        ASSERT_TRUE(program_->Started()) << "the test program did not start";
        const DWORD start = GetTickCount();
        while (WindowsOfProcess(program_->Id(), "frmPngFly").size() < 3 &&
               GetTickCount() - start < 20000) {
            CloseBoxesFor(program_->Id(), 200);
        }
        flies_ = WindowsOfProcess(program_->Id(), "frmPngFly");
        ASSERT_EQ(flies_.size(), 3u);
    }

    // Asks two of the flies to close, closing the reports meanwhile: only the third one shows.
    void CloseTwoFlies() {
        PostMessageA(flies_[0], WM_CLOSE, 0, 0);
        PostMessageA(flies_[1], WM_CLOSE, 0, 0);
        CloseBoxesFor(program_->Id(), 1000);
    }

    std::unique_ptr<Program> program_;
    std::vector<HWND> flies_;
};

TEST_F(QuillopRefusedDraws, AFlyNeverStacksItsReports) {
    // Without care, a failing fly would open a box inside its last box at every tick. All three
    // may be resting at first, for up to six seconds.
    ASSERT_TRUE(WaitForBox(program_->Id(), 8000)) << "no fly reported its refused draw";
    EXPECT_LE(CloseBoxesFor(program_->Id(), 3000), 3u)
        << "at most one report of each of the three flies at a time";
}

TEST_F(QuillopRefusedDraws, HiddenFliesReportNothingMore) {
    CloseTwoFlies();
    EXPECT_FALSE(IsWindowVisible(flies_[0]));
    EXPECT_FALSE(IsWindowVisible(flies_[1]));
    EXPECT_LE(CloseBoxesFor(program_->Id(), 2000), 1u) << "only the shown fly still draws";
}

TEST_F(QuillopRefusedDraws, AFlyDestroyedWhileItsReportIsOpenIsLeftAlone) {
    CloseTwoFlies();
    const HWND control = FindWindowA("QuillopTestControl", nullptr);
    ASSERT_NE(control, nullptr);
    // The shown fly reports at its next draw, after a rest of up to six seconds.
    ASSERT_TRUE(WaitForBox(program_->Id(), 8000));
    PostMessageA(control, WM_APP + 1, 0, 0);  // close all flies, inside the box's modal loop
    Pump(300);
    EXPECT_TRUE(WindowsOfProcess(program_->Id(), "frmPngFly", false).empty());
    CloseBoxesFor(program_->Id(), 1000);
    Pump(1000);
    EXPECT_TRUE(OpenBoxes(program_->Id()).empty()) << "a destroyed fly drew again";
    EXPECT_EQ(program_->WaitForExit(0), STILL_ACTIVE) << "the program ended";
}

}  // namespace
}  // namespace quillop::e2e
