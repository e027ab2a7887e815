// Quillop for Windows: flies crawl over the desktop. The command line is not read.
#include <windows.h>

#include "clFly/win32/ResourceSprites.h"
#include "main/MainForm.h"
#include "main/win32/Win32Platform.h"

// The program's entry: the flies of the settings, then the message loop until the main window
// closes.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    quillop::Win32Platform platform(instance);
    const quillop::ResourceSprites sprites(instance);
    return quillop::RunQuillop(platform, sprites);
}
