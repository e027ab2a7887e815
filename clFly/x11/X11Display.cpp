#include "clFly/x11/X11Display.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <utility>

#include "clFly/x11/XcbDesktop.h"
#include "clFly/x11/XcbFlyWindow.h"

namespace quillop {

namespace {

class X11Display final : public FlyDisplay {
  public:
    explicit X11Display(const FlyDisplaySetup& setup)
        : setup_(setup), desktop_(static_cast<xcb_connection_t*>(setup.Connection)) {}

    std::unique_ptr<FlyWindow> CreateWindow(FlyEvents& events, const std::string& name,
                                            const Rect& bounds) override {
        // Made with the first fly, so that a screen without per-pixel alpha fails the start-up.
        if (flies_ == nullptr) {
            flies_ = std::make_unique<XcbFlyDisplay>(desktop_.Connection(), desktop_.ScreenNumber(),
                                                     setup_.DoubleClick, *setup_.Wake,
                                                     setup_.Nested, ManagedBelow());
            flies_->SetScale(scale_);
            flies_->SetRaisedWindows(raised_);
        }
        return flies_->CreateWindow(events, name, bounds);
    }
    void SetScale(double scale) override {
        scale_ = scale;
        if (flies_ != nullptr) {
            flies_->SetScale(scale);
        }
    }
    void SetRaisedWindows(std::vector<RaisedWindow> windows) override {
        if (flies_ != nullptr) {
            flies_->SetRaisedWindows(std::move(windows));
        } else {
            raised_ = std::move(windows);
        }
    }
    int WakeDescriptor() const override { return flies_ != nullptr ? flies_->StackingWatch() : -1; }
    void Flush() override {
        if (flies_ != nullptr) {
            flies_->Flush();
        }
        desktop_.Flush();
    }
    bool HandleNativeEvent(std::string_view type, const void* event) override {
        if (type != "xcb_generic_event_t") {
            return false;
        }
        const auto* generic = static_cast<const xcb_generic_event_t*>(event);
        if (desktop_.IsResourceChange(generic) && setup_.Events != nullptr) {
            setup_.Events->OnScaleHintChanged();
        }
        return flies_ != nullptr && flies_->Dispatch(generic);
    }

    std::uint64_t ActiveWindow() const override { return desktop_.ActiveWindow(); }
    void Activate(std::uint64_t window) const override {
        desktop_.Activate(static_cast<xcb_window_t>(window));
    }
    void NameWindow(std::uint64_t window, std::string_view instance,
                    std::string_view className) const override {
        desktop_.SetWindowClass(static_cast<xcb_window_t>(window), instance, className);
    }
    void PrepareDialog(std::uint64_t window) const override {
        desktop_.SetDialogFrameHints(static_cast<xcb_window_t>(window));
    }
    bool HasOwnTray() const override { return desktop_.HasSystemTray(); }
    double ScaleHintDpi() const override { return desktop_.ResourceDpi(); }

  private:
    // NOTE: the compositors that XWayland serves draw the windows that bypass the window
    // manager above all others. GNOME Shell stacks the windows it manages among its own, so a
    // fly that is not top-most is one of those there (sway tells where its windows stand, and
    // KWin 5.27 stopped every X client for a minute taking 99 of them).
    bool ManagedBelow() const {
        return setup_.Nested && !setup_.RaisedWindowsKnown &&
               desktop_.WindowManagerName() == "GNOME Shell";
    }

    FlyDisplaySetup setup_;
    XcbDesktop desktop_;
    std::unique_ptr<XcbFlyDisplay> flies_;
    double scale_ = 1.0;
    std::vector<RaisedWindow> raised_;
};

}  // namespace

bool ProbeX11Display(std::string& why) {
    const char* name = std::getenv("DISPLAY");
    const std::string display = name != nullptr && name[0] != '\0' ? name : "";
    if (display.empty()) {
        why = "DISPLAY is not set";
        return false;
    }
    const bool reachable = CanReachX11Display();
    why = (reachable ? "an X server answers at " : "no X server answers at ") + display;
    return reachable;
}

std::unique_ptr<FlyDisplay> CreateX11Display(const FlyDisplaySetup& setup) {
    return std::make_unique<X11Display>(setup);
}

}  // namespace quillop
