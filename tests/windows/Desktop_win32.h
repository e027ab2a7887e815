// What the end-to-end driver sees of the desktop and does on it: windows of another process,
// the program's process, and X tools run through Wine's start of Unix programs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "clFly/win32/ScopedWin.h"

namespace quillop::e2e {

// The visible top-level windows of a process whose titles begin with prefix.
std::vector<HWND> WindowsOfProcess(DWORD processId, const std::string& prefix,
                                   bool visibleOnly = true);
std::string WindowTitle(HWND hwnd);
RECT WindowBounds(HWND hwnd);
bool SameRect(const RECT& a, const RECT& b);
// The work area as the system reports it to this process.
RECT WorkArea();

// Waits, handling the driver's own window messages meanwhile.
void Pump(DWORD milliseconds);

// Waits until `done` holds, for up to timeoutMs (15 s unless given: a loaded machine can take
// long), handling the driver's messages meanwhile; whether it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);

// A started program; killed when the owner goes if it still runs.
class Program {
  public:
    explicit Program(const std::string& path, const std::string& arguments = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    // The exit code, or STILL_ACTIVE when the program does not end within the time.
    DWORD WaitForExit(DWORD milliseconds);

  private:
    ScopedKernelHandle process_;
    DWORD id_ = 0;
};

// Starts a Unix program without waiting. NOTE: Wine gives no waitable handle for a Unix
// process, so callers wait on its visible effect or on RunShell's done file.
bool StartUnix(const std::string& program, const std::string& arguments);
// Runs a shell command line (no double quotes in it) and waits until it has finished.
bool RunShell(const std::string& command, DWORD timeoutMs = 10000);
// Moves the pointer with xdotool and waits until the system sees it there.
bool MovePointer(int x, int y);
// The Windows path of a Unix path.
std::string WindowsPath(const std::string& unixPath);
// An environment variable, or fallback.
std::string Environment(const char* name, const std::string& fallback = "");

}  // namespace quillop::e2e
