// The fly displays a platform offers, tried in order at the start (as GLFW and SDL choose
// their video backends), and the choice among them.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "clFly/FlyDisplay.h"

namespace quillop {

// One line of a platform's table of fly displays.
struct FlyDisplayEntry {
    const char* Name;
    // Whether the display can run here; `why` says so in a few words either way.
    bool (*Probe)(std::string& why);
    std::unique_ptr<FlyDisplay> (*Create)(const FlyDisplaySetup& setup);
    // The toolkit's platform that the shell's own windows go on with it ("xcb" for Qt).
    const char* ToolkitPlatform;
};

// The display chosen, or why none was.
struct FlyDisplayChoice {
    const FlyDisplayEntry* Entry = nullptr;
    // For the log when one was chosen; the error otherwise.
    std::string Message;
};

// The first display whose probe succeeds or, when `wanted` is not empty, the one it names (an
// unknown name, or a display that cannot run, is an error naming what there is). `noneMessage`
// is the error when no display can run.
FlyDisplayChoice ChooseFlyDisplay(std::span<const FlyDisplayEntry> displays,
                                  std::string_view wanted, std::string_view noneMessage);

}  // namespace quillop
