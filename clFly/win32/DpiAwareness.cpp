#include "clFly/win32/DpiAwareness.h"

namespace quillop {

namespace {

// DPI_AWARENESS_CONTEXT values, which older SDK headers lack.
const auto kPerMonitorAwareV2 = reinterpret_cast<void*>(static_cast<INT_PTR>(-4));
const auto kPerMonitorAware = reinterpret_cast<void*>(static_cast<INT_PTR>(-3));

using SetContext = void*(WINAPI*)(void*);
using GetDpi = UINT(WINAPI*)(HWND);

// The user32 functions of Windows 10 (1607 and later), or nullptr.
struct DpiFunctions {
    SetContext SetThreadContext = nullptr;
    GetDpi ForWindow = nullptr;
};

// NOTE: taking the address of a function the 32-bit program's import table would otherwise
// need is what lets it start on Windows versions without it.
const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        if (const HMODULE user32 = GetModuleHandleA("user32.dll")) {
            f.SetThreadContext = reinterpret_cast<SetContext>(
                reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
            f.ForWindow = reinterpret_cast<GetDpi>(
                reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
        }
        return f;
    }();
    return functions;
}

}  // namespace

PerMonitorDpiScope::PerMonitorDpiScope() {
    const SetContext set = Functions().SetThreadContext;
    if (set == nullptr) {
        return;
    }
    // Version 2 (Windows 10 1703) also scales the non-client area; the fly windows have none,
    // so the first version serves as well where it is the only one.
    previous_ = set(kPerMonitorAwareV2);
    if (previous_ == nullptr) {
        previous_ = set(kPerMonitorAware);
    }
}

PerMonitorDpiScope::~PerMonitorDpiScope() {
    if (previous_ != nullptr) {
        Functions().SetThreadContext(previous_);
    }
}

UINT WindowDpi(HWND window) {
    const GetDpi forWindow = Functions().ForWindow;
    const UINT dpi = forWindow != nullptr ? forWindow(window) : 0;
    return dpi != 0 ? dpi : kDefaultDpi;
}

}  // namespace quillop
