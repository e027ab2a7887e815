#include "main/win32/Win32Platform.h"

#include "clFly/Failure.h"
#include "clFly/win32/DpiAwareness.h"
#include "main/ErrorText.h"
#include "main/win32/Win32MainWindow.h"
#include "main/win32/Win32SettingsStore.h"

#include <shellapi.h>

namespace quillop {

namespace {

const char* const kApplicationWindowClass = "QuillopApplication";

// The file name of the running executable, without its directory.
std::string ModuleFileName() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    const auto slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::optional<std::uint64_t> Win32Clock::HighResolutionCounter() const {
    LARGE_INTEGER counter;
    if (!QueryPerformanceCounter(&counter)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(counter.QuadPart);
}

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance), tray_(instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "MAINICON");
    windowClass.lpszClassName = kApplicationWindowClass;
    RegisterClassExA(&windowClass);
    RegisterMainWindowClass(instance);
    RegisterFlyWindowClass(instance);
    appWindow_ = CreateWindowExA(0, kApplicationWindowClass, kApplicationTitle,
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr);
}

Win32Platform::~Win32Platform() {
    if (appWindow_ != nullptr) {
        DestroyWindow(appWindow_);
    }
}

std::unique_ptr<MainWindow> Win32Platform::CreateMainWindow(MainFormEvents& events) {
    auto window = CreateWin32MainWindow(instance_, appWindow_, tray_, events);
    settingsWindow_ = MainWindowHandle(*window);
    return window;
}

std::unique_ptr<FlyWindow> Win32Platform::CreateFlyWindow(FlyEvents& events,
                                                          const std::string& name,
                                                          const Rect& bounds) {
    return CreateWin32FlyWindow(instance_, bitmaps_, events, name, bounds);
}

Size Win32Platform::ScreenSize() {
    // The flies walk in the screen's own pixels.
    const PerMonitorDpiScope physical;
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Rect Win32Platform::WorkArea() {
    const PerMonitorDpiScope physical;
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        const Size screen = ScreenSize();
        return {0, 0, screen.Width, screen.Height};
    }
    // The primary screen's top-left corner is the desktop's origin, so a taskbar at the top or
    // left moves the work area's corner off it.
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

void Win32Platform::ShowMessageBox(const std::string& text, const std::string& caption,
                                   BoxIcon icon) {
    const HWND active = GetActiveWindow();
    const UINT type = MB_OK | (icon == BoxIcon::Stop ? MB_ICONSTOP : 0);
    MessageBoxA(appWindow_, text.c_str(), caption.c_str(), type);
    if (active != nullptr && IsWindow(active)) {
        SetActiveWindow(active);
    }
}

// NOTE: WM_TIMER is made up whenever the queue is otherwise empty and a timer is due, so with
// many flies ticking, "handle until the queue is empty" may never end. Only messages stamped no
// later than the call are handled; the first younger one is the last.
void Win32Platform::ProcessMessages() {
    const DWORD start = GetTickCount();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
        if (static_cast<LONG>(message.time - start) > 0) {
            return;
        }
    }
}

void Win32Platform::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        Dispatch(message);
    }
}

void Win32Platform::Dispatch(MSG& message) {
    // Only keyboard messages can be the dialog keys (Tab, Enter, Escape, arrows, access keys);
    // the flies' many timer messages skip the check.
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (key && settingsWindow_ != nullptr && IsWindow(settingsWindow_) &&
        IsDialogMessageA(settingsWindow_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

std::unique_ptr<SettingsStore> Win32Platform::CreateSettingsStore() {
    return CreateRegistryStore();
}

void Win32Platform::OpenWebPage(const std::string& address) {
    const std::wstring wide(address.begin(), address.end());
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void Win32Platform::ReportStartupFailure(const std::exception& failure) {
    std::string className = "Exception";
    std::uintptr_t offset = 0;
    if (const auto* own = dynamic_cast<const Failure*>(&failure)) {
        className = own->ClassName();
        offset = reinterpret_cast<std::uintptr_t>(own->RaisedAt()) -
                 reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    }
    const std::string text =
        ApplicationErrorText(className, ModuleFileName(), offset, failure.what());
    MessageBoxA(nullptr, text.c_str(), kApplicationErrorCaption,
                MB_OK | MB_TASKMODAL | MB_ICONSTOP);
}

}  // namespace quillop
