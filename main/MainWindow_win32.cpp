#include "main/MainWindow_win32.h"

#include "clFly/Failure.h"
#include "clFly/FlyWindow_win32.h"
#include "main/MainForm.h"

namespace quillop {

namespace {

class Win32MainWindow final : public MainWindow {
  public:
    Win32MainWindow(HINSTANCE instance, HWND owner, MainFormEvents& events);
    // Destroys the window; no message reaches this object afterwards.
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void Show() override { ShowWindow(hwnd_, SW_SHOWNORMAL); }
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
    bool IsVisible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void SetInputEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

    // The window procedure of the main window.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    MainFormEvents& events_;
    HWND hwnd_ = nullptr;
};

Win32MainWindow::Win32MainWindow(HINSTANCE instance, HWND owner, MainFormEvents& events)
    : events_(events) {
    hwnd_ = CreateWindowExA(0, kMainWindowClass, kMainWindowCaption,
                            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                            320, 240, owner, nullptr, instance, this);
    if (hwnd_ == nullptr) {
        throw Failure(SystemErrorText(GetLastError()));
    }
}

Win32MainWindow::~Win32MainWindow() {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

// NOTE: as with the flies, each branch calls into the events last: the core may destroy the
// window object while a message box of that call is open.
LRESULT CALLBACK Win32MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    MainFormEvents& events = self->events_;
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
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
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
                                                  MainFormEvents& events) {
    return std::make_unique<Win32MainWindow>(instance, owner, events);
}

}  // namespace quillop
