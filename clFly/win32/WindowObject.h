// The object behind a window of the program: the parameter its CreateWindowEx call was given.
#pragma once

#include <windows.h>

namespace quillop {

// For a window procedure: the object the window was created for, kept in GWLP_USERDATA from
// WM_NCCREATE to WM_NCDESTROY. Null at those two messages and outside that time, when the
// procedure leaves the message to DefWindowProc.
template <class Object>
Object* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return nullptr;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return nullptr;
    }
    return reinterpret_cast<Object*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace quillop
