#include "clFly/win32/Win32FlyWindow.h"

#include <cstring>
#include <utility>

#include "clFly/ExternalNames.h"
#include "clFly/Failure.h"
#include "clFly/FlyScale.h"
#include "clFly/win32/DpiAwareness.h"
#include "clFly/win32/ScopedWin.h"
#include "clFly/win32/SystemError.h"
#include "clFly/win32/WindowObject.h"

namespace quillop {

namespace {

constexpr UINT_PTR kMoveTimerId = 1;
// Flies are always drawn at full opacity; only the pictures' own alpha shows through.
constexpr BYTE kOpacity = 255;

class Win32FlyWindow final : public FlyWindow {
  public:
    Win32FlyWindow(HINSTANCE instance, SpriteBitmaps& bitmaps, FlyEvents& events,
                   const std::string& name, const Rect& bounds);
    // Stops the timer and destroys the window; no message reaches this object afterwards.
    ~Win32FlyWindow() override;
    Win32FlyWindow(const Win32FlyWindow&) = delete;
    Win32FlyWindow& operator=(const Win32FlyWindow&) = delete;

    void StartTimer(int intervalMs) override {
        SetTimer(hwnd_, kMoveTimerId, static_cast<UINT>(intervalMs), nullptr);
    }
    void StopTimer() override { KillTimer(hwnd_, kMoveTimerId); }
    PresentResult Present(Point at, const CachedSprite* sprite) override;
    void Show() override {
        const PerMonitorDpiScope physical;
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
    bool IsVisible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void SetInputEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    // The owner first, so that the window stays off the taskbar; then top-most or not, with
    // no flags but these, so the window is also activated and raised within its group.
    void SetTopMost(bool topMost) override {
        const PerMonitorDpiScope physical;
        SetOwnerToDesktop();
        SetWindowPos(hwnd_, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
    }
    double Scale() const override { return FlyScaleFor(static_cast<double>(dpi_) / kDefaultDpi); }

    // The window procedure of every fly window.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // The desktop as owner window keeps the window off the taskbar and apart from the
    // program's other windows.
    void SetOwnerToDesktop() {
        SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetDesktopWindow()));
    }
    // Sets one coordinate of the window's bounds: one SetWindowPos, neither activating nor
    // raising, and none when the value is already there.
    void SetBound(int Rect::*field, int value);
    // Gives the window per-pixel alpha; the system's text when that was refused.
    std::optional<std::string> MakeLayered();
    // Shows the picture with its top-left corner at `at`; false when the system refused.
    bool Draw(const CachedSprite& sprite, Point at);

    SpriteBitmaps& bitmaps_;
    FlyEvents& events_;
    HWND hwnd_ = nullptr;
    Rect bounds_;
    bool owned_ = false;
    // The dots per inch of the monitor the window is on.
    UINT dpi_ = kDefaultDpi;
};

Win32FlyWindow::Win32FlyWindow(HINSTANCE instance, SpriteBitmaps& bitmaps, FlyEvents& events,
                               const std::string& name, const Rect& bounds)
    : bitmaps_(bitmaps), events_(events), bounds_(bounds) {
    // The fly windows alone are per-monitor aware: they are placed and drawn in the screen's
    // own pixels, with pictures for its DPI, while the rest of the program keeps its look.
    const PerMonitorDpiScope physical;
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kFlyWindowClass, name.c_str(),
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, bounds.Left, bounds.Top,
                            bounds.Width, bounds.Height, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) {
        throw Failure(SystemErrorText(GetLastError()));
    }
    dpi_ = WindowDpi(hwnd_);
}

Win32FlyWindow::~Win32FlyWindow() {
    KillTimer(hwnd_, kMoveTimerId);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

std::optional<std::string> Win32FlyWindow::MakeLayered() {
    const LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
    if ((style & WS_EX_LAYERED) != 0) {
        return std::nullopt;
    }
    // The previous extended style of a fly window is never 0, so 0 means the write failed.
    if (SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, style | WS_EX_LAYERED) == 0) {
        return SystemErrorText(GetLastError());
    }
    return std::nullopt;
}

PresentResult Win32FlyWindow::Present(Point at, const CachedSprite* sprite) {
    const PerMonitorDpiScope physical;
    // The owner is set once before the first step; SetTopMost sets it again each time.
    if (!owned_) {
        SetOwnerToDesktop();
        owned_ = true;
    }
    // The left, then the top, then (with a picture) the width, then the height.
    SetBound(&Rect::Left, at.Left);
    SetBound(&Rect::Top, at.Top);
    PresentResult result;
    if (sprite == nullptr) {
        return result;
    }
    result.Refusal = MakeLayered();
    SetBound(&Rect::Width, sprite->Picture.Width);
    SetBound(&Rect::Height, sprite->Picture.Height);
    result.Shown = Draw(*sprite, at);
    return result;
}

void Win32FlyWindow::SetBound(int Rect::*field, int value) {
    if (bounds_.*field == value) {
        return;
    }
    bounds_.*field = value;
    SetWindowPos(hwnd_, nullptr, bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32FlyWindow::Draw(const CachedSprite& sprite, Point at) {
    const HBITMAP bitmap = bitmaps_.Get(sprite);
    if (bitmap == nullptr) {
        return false;
    }
    ScopedScreenDC screen;
    ScopedMemoryDC memory(screen.Get());
    ScopedSelectObject selection(memory.Get(), bitmap);
    if (screen.Get() == nullptr || memory.Get() == nullptr || !selection.Selected()) {
        return false;
    }
    POINT destination{at.Left, at.Top};
    SIZE size{sprite.Picture.Width, sprite.Picture.Height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, kOpacity, AC_SRC_ALPHA};
    return UpdateLayeredWindow(hwnd_, screen.Get(), &destination, &size, memory.Get(), &source, 0,
                               &blend, ULW_ALPHA) != FALSE;
}

// NOTE: a handler may destroy this very window object (the core destroys a fly from inside a
// message box's modal loop), so each branch calls into the events last and touches nothing after.
LRESULT CALLBACK Win32FlyWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<Win32FlyWindow>(hwnd, message, lParam);
    if (self == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    FlyEvents& events = self->events_;
    switch (message) {
        case WM_TIMER:
            if (wParam == kMoveTimerId) {
                events.OnTimer();
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
            events.OnMouseMove();
            return 0;
        case WM_LBUTTONDBLCLK:
            events.OnDoubleClick();
            return 0;
        case WM_CLOSE:
            events.OnCloseRequest();
            return 0;
        case kDpiChangedMessage:
            // The fly takes the new monitor's scale at its next step, which resizes the window
            // to the picture; the size the system suggests is left alone.
            self->dpi_ = HIWORD(wParam);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

HBITMAP SpriteBitmaps::Get(const CachedSprite& sprite) {
    const auto index = static_cast<std::size_t>(sprite.Id);
    if (index < bitmaps_.size() && bitmaps_[index]) {
        return bitmaps_[index].Get();
    }
    const Sprite& picture = sprite.Picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height;  // negative: rows run top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        return nullptr;
    }
    std::memcpy(bits, picture.Pixels.data(), picture.Pixels.size());
    GdiFlush();
    if (index >= bitmaps_.size()) {
        bitmaps_.resize(index + 1);
    }
    bitmaps_[index] = std::move(bitmap);
    return bitmaps_[index].Get();
}

void RegisterFlyWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = Win32FlyWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kFlyWindowClass;
    RegisterClassExA(&windowClass);
}

std::unique_ptr<FlyWindow> CreateWin32FlyWindow(HINSTANCE instance, SpriteBitmaps& bitmaps,
                                                FlyEvents& events, const std::string& name,
                                                const Rect& bounds) {
    return std::make_unique<Win32FlyWindow>(instance, bitmaps, events, name, bounds);
}

}  // namespace quillop
