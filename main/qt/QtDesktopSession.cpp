#include "main/qt/QtDesktopSession.h"

#include <QGuiApplication>
#include <QScreen>

#include <utility>

#include "main/qt/QtSwaySession.h"

namespace quillop {

namespace {

// A size of Qt's logical pixels in the device pixels the fly windows are placed in.
Size DevicePixels(const QScreen* screen, QSize size) {
    const qreal ratio = screen->devicePixelRatio();
    return {qRound(size.width() * ratio), qRound(size.height() * ratio)};
}

const std::vector<RaisedWindow> kNoWindows;

}  // namespace

DesktopSession::DesktopSession(std::function<void()> raisedChanged) {
    // NOTE: XWayland names its outputs XWAYLAND0, XWAYLAND1, ... in RandR, which Qt's screens
    // carry; an X server nested in a sway session keeps to its own work area.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr && primary->name().startsWith("XWAYLAND")) {
        nested_ = true;
        sway_ = std::make_unique<SwaySession>(std::move(raisedChanged));
    }
}

DesktopSession::~DesktopSession() = default;

bool DesktopSession::RaisedWindowsKnown() const {
    return sway_ != nullptr && sway_->Active();
}

const std::vector<RaisedWindow>& DesktopSession::RaisedWindows() const {
    return sway_ != nullptr ? sway_->Windows() : kNoWindows;
}

Size DesktopSession::ScreenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? DevicePixels(screen, screen->geometry().size()) : Size{};
}

Rect DesktopSession::WorkArea() const {
    // NOTE: Qt keeps the work area of _NET_WORKAREA up to date from the root window's
    // property changes, so reading it costs no request to the server.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QRect whole = screen->geometry();
    const QRect area = screen->availableGeometry();
    // NOTE: sway writes no work area on XWayland's root window; it tells it over its own socket.
    if (const auto sway = sway_ != nullptr ? sway_->Area(*screen) : std::nullopt) {
        return *sway;
    }
    // Qt's screens keep their corner in device pixels and scale what lies within them.
    const Size corner = DevicePixels(screen, QSize(area.x() - whole.x(), area.y() - whole.y()));
    const Size size = DevicePixels(screen, area.size());
    return {corner.Width, corner.Height, size.Width, size.Height};
}

Point DesktopSession::ScreenOrigin() const {
    // With several monitors the primary one need not stand at the root window's corner.
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? Point{screen->geometry().x(), screen->geometry().y()} : Point{};
}

}  // namespace quillop
