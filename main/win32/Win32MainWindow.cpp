#include "main/win32/Win32MainWindow.h"

#include <commctrl.h>

#include "clFly/Failure.h"
#include "clFly/win32/SystemError.h"
#include "clFly/win32/WindowObject.h"
#include "main/MainForm.h"
#include "main/SettingsLayout.h"
#include "main/win32/Win32SettingsControls.h"

namespace quillop {

namespace {

// A title bar with the caption only, a thin border, no resizing.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION;

// NOTE: a dialog moves the default button's heavy border to the push button that holds the
// focus; a plain window does not, and the dialog manager's own moves in IsDialogMessage undo
// any made while the focus changes. The border is set once the change is over.
constexpr UINT kShowDefaultButton = WM_APP + 1;

class Win32MainWindow final : public MainWindow {
  public:
    Win32MainWindow(HINSTANCE instance, HWND owner, Win32TrayIcon& tray, MainFormEvents& events);
    // Destroys the window; no message reaches this object afterwards.
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void Show() override;
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
    bool IsVisible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void SetInputEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    SettingsControls& Controls() override { return *controls_; }

    HWND Handle() const { return hwnd_; }

    // The window procedure of the main window.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // Activation: the first gives the focus to the first tab stop, later ones give it back to
    // the control that held it last.
    void OnActivate(bool active);
    // The icon's mouse message: a double click shows the window, a right release opens the menu.
    void OnTrayMessage(UINT mouseMessage);
    // The button Enter presses: the focused push button, or OK.
    int DefaultButtonId() const;
    // The tray menu at a screen point; its command goes to the events.
    void OpenMenu(POINT at);

    MainFormEvents& events_;
    Win32TrayIcon& tray_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<Win32SettingsControls> controls_;
    HWND lastFocus_ = nullptr;
    // While the tray menu is open: whether WM_CANCELMODE came meanwhile.
    bool menuOpen_ = false;
    bool menuCancelled_ = false;
};

Win32MainWindow::Win32MainWindow(HINSTANCE instance, HWND owner, Win32TrayIcon& tray,
                                 MainFormEvents& events)
    : events_(events), tray_(tray) {
    const Place& place = kSettingsWindowPlace;
    RECT frame{0, 0, place.Width, place.Height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    hwnd_ = CreateWindowExA(0, kMainWindowClass, kMainWindowCaption, kStyle, place.Left, place.Top,
                            frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                            instance, this);
    if (hwnd_ == nullptr) {
        throw Failure(SystemErrorText(GetLastError()));
    }
    controls_ = std::make_unique<Win32SettingsControls>(hwnd_);
    tray_.SetWindow(hwnd_);
}

Win32MainWindow::~Win32MainWindow() {
    tray_.Remove();
    tray_.SetWindow(nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

// Shows the window where it last stood, or only brings it forward when it is visible already.
void Win32MainWindow::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

// NOTE: a plain window, unlike a dialog, keeps no focus of its own across deactivation; the
// focus is saved while the window is still active, before the system moves it away.
void Win32MainWindow::OnActivate(bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) {
            lastFocus_ = focus;
        }
        return;
    }
    if (lastFocus_ == nullptr || !IsWindow(lastFocus_)) {
        lastFocus_ = controls_->FirstTabStop();
    }
    SetFocus(lastFocus_);
}

// NOTE: a dialog moves the default button to a push button that takes the focus; a plain
// window does not, and the dialog manager then presses OK whatever button holds the focus.
int Win32MainWindow::DefaultButtonId() const {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus) &&
        (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        return GetDlgCtrlID(focus);
    }
    return kIdOk;
}

void Win32MainWindow::OnTrayMessage(UINT mouseMessage) {
    POINT at{};
    GetCursorPos(&at);
    switch (TrayActionFor(mouseMessage)) {
        case TrayAction::ShowSettings:
            events_.OnMenuCommand(MenuCommand::Settings);
            break;
        case TrayAction::OpenMenu:
            SetForegroundWindow(hwnd_);
            OpenMenu(at);
            break;
        case TrayAction::Ignore:
            break;
    }
}

// NOTE: under Wine, the X server's late report that the window lost the focus (after it was
// shown and made the foreground window, as "Settings" does) arrives as WM_CANCELMODE and closes
// a menu that has only just opened. A menu closed so, without a choice and within half a second,
// opens once more; one the user closes with a key or a click elsewhere stays closed.
void Win32MainWindow::OpenMenu(POINT at) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            SetForegroundWindow(hwnd_);
        }
        menuOpen_ = true;
        menuCancelled_ = false;
        const DWORD opened = GetTickCount();
        const MenuCommand command = TrackTrayMenu(hwnd_, at);
        menuOpen_ = false;
        if (command != MenuCommand::None) {
            events_.OnMenuCommand(command);
            return;
        }
        if (!menuCancelled_ || GetTickCount() - opened > 500) {
            return;
        }
    }
}

// NOTE: as with the flies, each branch calls into the events last: the core may destroy the
// window object while a message box of that call is open.
LRESULT CALLBACK Win32MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = WindowObject<Win32MainWindow>(hwnd, message, lParam);
    if (self == nullptr || self->controls_ == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    MainFormEvents& events = self->events_;
    if (message == self->tray_.TaskbarCreatedMessage()) {
        self->tray_.OnTaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
        case WM_CLOSEAPP:
            events.OnCloseRequest();
            return 0;
        case WM_QUERYENDSESSION:
            return events.OnQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            events.OnEndSession(wParam != FALSE);
            return 0;
        case WM_ACTIVATE:
            self->OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(self->DefaultButtonId(), DC_HASDEFID);
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == BN_KILLFOCUS ||
                HIWORD(wParam) == EN_SETFOCUS) {
                PostMessageA(hwnd, kShowDefaultButton, 0, 0);
            } else if (LOWORD(wParam) == kIdOk && HIWORD(wParam) == BN_CLICKED) {
                events.OnOkClick();
            } else if (LOWORD(wParam) == kIdButton1 && HIWORD(wParam) == BN_CLICKED) {
                events.OnButton1Click();
            } else if (LOWORD(wParam) == kIdHomePage && HIWORD(wParam) == STN_CLICKED) {
                events.OnHomePageClick();
            }
            return 0;
        case kShowDefaultButton:
            self->controls_->ShowDefaultButton(GetFocus());
            return 0;
        case WM_NOTIFY:
            // The count buttons step the field themselves.
            return reinterpret_cast<const NMHDR*>(lParam)->code == UDN_DELTAPOS ? TRUE : 0;
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = self->controls_->LinkColours(reinterpret_cast<HWND>(lParam),
                                                            reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_CONTEXTMENU: {
            POINT at{};
            GetCursorPos(&at);
            self->OpenMenu(at);
            return 0;
        }
        case WM_TRAYICON:
            self->OnTrayMessage(static_cast<UINT>(lParam));
            return 0;
        case WM_CANCELMODE:
            self->menuCancelled_ = self->menuOpen_;
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Win32MainWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "MAINICON");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExA(&windowClass);
}

std::unique_ptr<MainWindow> CreateWin32MainWindow(HINSTANCE instance, HWND owner,
                                                  Win32TrayIcon& tray, MainFormEvents& events) {
    return std::make_unique<Win32MainWindow>(instance, owner, tray, events);
}

HWND MainWindowHandle(const MainWindow& window) {
    return static_cast<const Win32MainWindow&>(window).Handle();
}

}  // namespace quillop
