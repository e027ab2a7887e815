// The settings window's controls on Windows: their layout, and the count field's editing rules
// (an EDIT with an UPDOWN beside it) and the link label's cursor.
#pragma once

#include <windows.h>

#include "clFly/win32/ScopedWin.h"
#include "main/Platform.h"

namespace quillop {

// Control identifiers. OK is IDOK so that the dialog manager presses it on Enter.
enum ControlId : int {
    kIdOk = IDOK,
    kIdButton1 = 100,
    kIdGroupBox1,
    kIdOnTop,
    kIdStartup,
    kIdLabel1,
    kIdCount,
    kIdCountButtons,
    kIdHomePage,
};

// The controls of `frmMain`, created in their tab order: Button1, chbOnTop, chbStartup, sedFly,
// bOK. They hold the user settings while the program runs.
class Win32SettingsControls final : public SettingsControls {
  public:
    // Creates the controls on window, laid out at 96 dpi.
    explicit Win32SettingsControls(HWND window);
    Win32SettingsControls(const Win32SettingsControls&) = delete;
    Win32SettingsControls& operator=(const Win32SettingsControls&) = delete;

    bool OnTopChecked() const override { return Checked(onTop_); }
    void SetOnTopChecked(bool checked) override { Check(onTop_, checked); }
    bool StartupChecked() const override { return Checked(startup_); }
    void SetStartupChecked(bool checked) override { Check(startup_, checked); }
    std::string CountText() const override;
    void SetCountText(const std::string& text) override;

    // The first control in the tab order, which takes the focus at the first activation.
    HWND FirstTabStop() const { return button1_; }
    // Draws the button Enter would press, for the control that holds the focus, as the default.
    void ShowDefaultButton(HWND focus);
    // The colours of the link label; null for the other controls.
    HBRUSH LinkColours(HWND control, HDC dc) const;

  private:
    static bool Checked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static void Check(HWND box, bool checked) {
        SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    ScopedFont font_;
    ScopedFont linkFont_;
    HWND button1_ = nullptr;
    HWND onTop_ = nullptr;
    HWND startup_ = nullptr;
    HWND count_ = nullptr;
    HWND countButtons_ = nullptr;
    HWND homePage_ = nullptr;
    HWND ok_ = nullptr;
    int pressedButton_ = 0;  // the count button held down: +1 up, -1 down, 0 none
};

}  // namespace quillop
