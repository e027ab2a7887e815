// The fly window on Windows: a layered pop-up window showing one sprite bitmap.
//
// Errors: a window that cannot be made throws Failure with the system's text; a refused style
// or draw comes back in the step's PresentResult.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "clFly/FlyWindow.h"
#include "clFly/win32/ScopedWin.h"

namespace quillop {

// One 32-bit top-down DIB section per cached sprite, made on first use and shared by every
// fly, so that a step presents a ready bitmap.
class SpriteBitmaps {
  public:
    SpriteBitmaps() = default;
    SpriteBitmaps(const SpriteBitmaps&) = delete;
    SpriteBitmaps& operator=(const SpriteBitmaps&) = delete;

    // The bitmap holding the sprite's premultiplied pixels; nullptr when none can be made.
    HBITMAP Get(const CachedSprite& sprite);

  private:
    std::vector<ScopedBitmap> bitmaps_;
};

// Registers the fly window class of the module; call once before the first fly window.
void RegisterFlyWindowClass(HINSTANCE instance);

// Creates a hidden fly window. Throws Failure with the system's text when the system refuses.
std::unique_ptr<FlyWindow> CreateWin32FlyWindow(HINSTANCE instance, SpriteBitmaps& bitmaps,
                                                FlyEvents& events, const std::string& name,
                                                const Rect& bounds);

}  // namespace quillop
