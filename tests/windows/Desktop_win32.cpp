#include "tests/windows/Desktop_win32.h"

#include <cstdlib>

namespace quillop::e2e {

namespace {

struct Search {
    DWORD ProcessId;
    std::string Prefix;
    bool VisibleOnly;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search.ProcessId && (!search.VisibleOnly || IsWindowVisible(hwnd)) &&
        WindowTitle(hwnd).starts_with(search.Prefix)) {
        search.Found.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOfProcess(DWORD processId, const std::string& prefix, bool visibleOnly) {
    Search search{processId, prefix, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::string WindowTitle(HWND hwnd) {
    char title[256] = {};
    const int length = GetWindowTextA(hwnd, title, sizeof title);
    return std::string(title, length > 0 ? length : 0);
}

RECT WindowBounds(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Pump(10);
    }
    return true;
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

Program::Program(const std::string& path, const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    PROCESS_INFORMATION process{};
    if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        const ScopedKernelHandle thread(process.hThread);  // only the process is waited on
        process_ = ScopedKernelHandle(process.hProcess);
        id_ = process.dwProcessId;
    }
}

Program::~Program() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 255);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

DWORD Program::WaitForExit(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.Get(), milliseconds) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_.Get(), &code);
    }
    return code;
}

bool StartUnix(const std::string& program, const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = program + " " + arguments;
    if (!CreateProcessA(WindowsPath(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    const ScopedKernelHandle thread(process.hThread);
    const ScopedKernelHandle started(process.hProcess);
    return true;
}

bool RunShell(const std::string& command, DWORD timeoutMs) {
    static int runs = 0;
    const std::string done =
        Environment("QUILLOP_E2E_DIR", "/tmp") + "/shell-" + std::to_string(++runs) + ".done";
    DeleteFileA(WindowsPath(done).c_str());
    if (!StartUnix("/bin/sh", "-c \"" + command + "; touch " + done + "\"")) {
        return false;
    }
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(WindowsPath(done).c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Pump(2);
    }
    return true;
}

bool MovePointer(int x, int y) {
    if (!StartUnix("/usr/bin/xdotool",
                   "mousemove " + std::to_string(x) + " " + std::to_string(y))) {
        return false;
    }
    const DWORD start = GetTickCount();
    POINT at{};
    while (GetTickCount() - start < 2000) {
        if (GetCursorPos(&at) && at.x == x && at.y == y) {
            return true;
        }
        Sleep(1);
    }
    return false;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string Environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

}  // namespace quillop::e2e
