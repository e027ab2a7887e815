// Quillop with 99 flies, for the benchmark: the program's own platform layer and pictures, the
// flies brought up one by one as start-up does, and no main window (the benchmark ends it).
#include <windows.h>

#include "clFly/win32/ResourceSprites.h"
#include "main/Application.h"
#include "main/UserSettings.h"
#include "main/win32/Win32Platform.h"

// The benchmark program's entry.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    quillop::Win32Platform platform(instance);
    const quillop::ResourceSprites sprites(instance);
    quillop::Application app(platform, sprites);
    for (int i = 0; i < quillop::kMaxFlies; ++i) {
        if (quillop::TFlyForm* fly = app.CreateFly()) {
            fly->SetOnTop(true);
        }
        platform.ProcessMessages();
    }
    platform.RunMessageLoop();
    return 0;
}
