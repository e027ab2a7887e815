// The fly's window as each platform provides it, and what a fly needs from its application.
//
// Errors: a platform's fly window returns what the system refused (PresentResult) and throws
// Failure only when a window cannot be made at all; the fly turns both into reports through
// its host (ShowNotice, ShowFailure) and never lets them end the program.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "clFly/RandomSource.h"
#include "clFly/SpriteCache.h"
#include "clFly/Walker.h"

namespace quillop {

// Where a fly window stands: its top-left corner on the screen.
struct Point {
    int Left = 0;
    int Top = 0;
    bool operator==(const Point&) const = default;
};

// What the system refused of one step; the fly reports it and walks on.
struct PresentResult {
    // The system's text when it refused the window's per-pixel transparency.
    std::optional<std::string> Refusal;
    // False when the system refused to show the picture.
    bool Shown = true;
};

// A borderless, taskbar-less top-level window showing one premultiplied picture at full
// opacity. Destroying the object destroys the window and its timer.
class FlyWindow : public TimerDriver {
  public:
    // One step: stands the window's top-left corner at `at` and, given a picture, shows it
    // there at the picture's size. Nothing is shown of a window that is hidden.
    virtual PresentResult Present(Point at, const CachedSprite* sprite) = 0;
    // Shows the window as a normal window.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetInputEnabled(bool enabled) = 0;
    // Puts the window above all normal windows, or back among them, raising it within its
    // group either way.
    virtual void SetTopMost(bool topMost) = 0;
    // The scale (one of kFlyScales) of the fly on the screen the window is on now.
    virtual double Scale() const { return 1.0; }
};

// What the platform tells a fly about its window.
class FlyEvents {
  public:
    virtual ~FlyEvents() = default;
    virtual void OnTimer() = 0;
    virtual void OnMouseMove() = 0;
    // A double click of the left button.
    virtual void OnDoubleClick() = 0;
    // Any request to close the window.
    virtual void OnCloseRequest() = 0;
};

// What a fly needs from its application.
class FlyHost {
  public:
    virtual ~FlyHost() = default;
    // Creates the fly's window hidden, with the given name and window text.
    virtual std::unique_ptr<FlyWindow> CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                       const Rect& bounds) = 0;
    // Hides the application's own top-level window, so the program keeps no taskbar button.
    virtual void HideApplicationWindow() = 0;
    virtual Size ScreenSize() = 0;
    // The primary screen's work area, measured from that screen's top-left corner.
    virtual Rect WorkArea() = 0;
    // Where the primary screen's top-left corner stands on the desktop; the walker's
    // positions are measured from there.
    virtual Point ScreenOrigin() = 0;
    virtual const Clock& SystemClock() = 0;
    virtual SpriteCache& Sprites() = 0;
    virtual RandomSource& Random() = 0;
    // The default error handler: a failure's message in a stop box captioned with the title.
    virtual void ShowFailure(const std::string& message) = 0;
    // The program's own report: plain text in a box without an icon.
    virtual void ShowNotice(const std::string& text) = 0;
};

}  // namespace quillop
