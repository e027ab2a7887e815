#include "tests/windows/Tray_win32.h"

#include <shellapi.h>

#include "tests/windows/Desktop_win32.h"

namespace quillop::e2e {

HWND MainWindowOf(DWORD processId, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "TfrmMain", "Quillop 1.1")) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId) {
                return window;
            }
        }
        Pump(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::vector<HWND> FliesOf(DWORD processId, bool visibleOnly) {
    return WindowsOfProcess(processId, "frmPngFly", visibleOnly);
}

std::vector<HWND> WaitForFlyCount(DWORD processId, std::size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    std::vector<HWND> flies = FliesOf(processId, false);
    while (flies.size() != count && GetTickCount() - start < timeoutMs) {
        Pump(20);
        flies = FliesOf(processId, false);
    }
    return flies;
}

bool TrayIconPresent(HWND mainWindow) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = mainWindow;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    lstrcpyA(data.szTip, "Vantrel");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

HWND OpenMenuWindow() {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(menu)) {
            return menu;
        }
    }
    return nullptr;
}

HWND OpenTrayMenu(HWND mainWindow) {
    PostMessageA(mainWindow, kTrayIcon, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = OpenMenuWindow()) != nullptr; });
    return menu;
}

void PressMenuKey(HWND menu, char key) {
    PostMessageA(menu, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    PostMessageA(menu, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
}

bool ChooseFromTrayMenu(HWND mainWindow, char key) {
    const HWND menu = OpenTrayMenu(mainWindow);
    if (menu == nullptr) {
        return false;
    }
    return PressMenuKeyUntilClosed(menu, key);
}

// NOTE: under Wine the program may see a menu that has only just opened cancelled and open it
// once more; a key posted to the cancelled one is lost, so it goes to the new one as well.
bool PressMenuKeyUntilClosed(HWND menu, char key) {
    PressMenuKey(menu, key);
    const DWORD start = GetTickCount();
    while (const HWND open = OpenMenuWindow()) {
        if (GetTickCount() - start > 5000) {
            return false;
        }
        if (open != menu) {
            menu = open;
            PressMenuKey(menu, key);
        }
        Pump(10);
    }
    return true;
}

HWND FocusOf(HWND mainWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(mainWindow, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void PressKey(HWND mainWindow, WORD virtualKey) {
    const HWND focus = FocusOf(mainWindow);
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(focus, WM_KEYUP, virtualKey, 0xC0000001);
    Pump(100);
}

void TypeText(HWND mainWindow, const std::string& text) {
    for (char c : text) {
        PostMessageA(FocusOf(mainWindow), WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump(30);
    }
    Pump(100);
}

POINT ClickAt(HWND window, int x, int y, int button) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    if (MovePointer(at.x, at.y)) {
        RunShell("xdotool click " + std::to_string(button));
        Pump(300);
    }
    return at;
}

ForeignWindow::ForeignWindow()
    : hwnd_(CreateWindowExA(0, "STATIC", "Another program", WS_OVERLAPPEDWINDOW, 40, 40, 200, 100,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}

bool ForeignWindow::Activate() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != hwnd_ && GetTickCount() - start < 3000) {
        Pump(20);
    }
    Pump(200);
    return GetForegroundWindow() == hwnd_;
}

HWND ControlOf(HWND mainWindow, const char* className, const char* text) {
    return FindWindowExA(mainWindow, nullptr, className, text);
}

std::string TextOf(HWND window) {
    char text[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool IsTopMost(HWND window) {
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

HWND WaitForBox(const char* caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        const HWND box = FindWindowA("#32770", caption);
        if (box != nullptr && IsWindowVisible(box)) {
            return box;
        }
        Pump(20);
    }
    return nullptr;
}

std::string BoxText(HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void CloseBox(HWND box) {
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

bool SaveScreen(const std::string& file, const RECT& rect) {
    const std::string geometry = std::to_string(rect.right - rect.left) + "x" +
                                 std::to_string(rect.bottom - rect.top) + "+" +
                                 std::to_string(rect.left) + "+" + std::to_string(rect.top);
    return RunShell("import -window root -crop " + geometry + " +repage " + file);
}

}  // namespace quillop::e2e
