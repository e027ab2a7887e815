// The settings window `frmMain` as both platforms lay it out: places in pixels at 96 dpi and the
// controls' captions.
#pragma once

namespace quillop {

struct Place {
    int Left;
    int Top;
    int Width;
    int Height;
};

// The window's place on the screen, by its client area.
constexpr Place kSettingsWindowPlace{527, 339, 280, 169};

// Places in the client area. Button1 lies below it, never seen.
constexpr Place kButton1Place{8, 200, 41, 25};
constexpr Place kGroupBoxPlace{8, 4, 265, 125};
constexpr Place kOkPlace{198, 136, 75, 25};
constexpr Place kHomePagePlace{8, 144, 112, 13};

// Places in the group box, from its corner. The count field holds its up and down buttons.
constexpr Place kOnTopPlace{16, 32, 97, 17};
constexpr Place kStartupPlace{16, 56, 105, 17};
constexpr Place kLabel1Place{16, 88, 105, 13};
constexpr Place kCountPlace{128, 80, 49, 22};

extern const char* const kButton1Caption;   // "Button1"
extern const char* const kGroupBoxCaption;  // " Settings "
extern const char* const kOnTopCaption;     // "Always on top"
extern const char* const kStartupCaption;   // "Load on startup"
extern const char* const kLabel1Caption;    // "Number of flies at start"
extern const char* const kOkCaption;        // "OK"
extern const char* const kHomePageCaption;  // "More fun program..."

}  // namespace quillop
