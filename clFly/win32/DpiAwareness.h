// Per-monitor DPI awareness for the fly windows, where the system has it: the functions are
// looked up at run time, so the program still starts on systems that lack them.
#pragma once

#include <windows.h>

namespace quillop {

// The dots per inch of a screen at 100 %, and the message a per-monitor aware window gets when
// it comes onto a monitor of another DPI (both missing from headers for older systems).
constexpr UINT kDefaultDpi = 96;
constexpr UINT kDpiChangedMessage = 0x02E0;

// While it lives, the calling thread works in physical pixels (per-monitor aware): windows it
// makes are per-monitor aware, and the sizes and places it reads or sets are the screen's own.
// Does nothing on a system without SetThreadDpiAwarenessContext.
class PerMonitorDpiScope {
  public:
    PerMonitorDpiScope();
    ~PerMonitorDpiScope();
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

  private:
    void* previous_ = nullptr;
};

// The dots per inch of the monitor a window is on, as the window sees it: the monitor's own for
// a per-monitor aware window, 96 for any other and on systems without GetDpiForWindow.
UINT WindowDpi(HWND window);

}  // namespace quillop
