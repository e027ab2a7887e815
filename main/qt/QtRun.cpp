// Start-up on Qt: the fly display, the application, one program per display.
#include "main/qt/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "clFly/ExternalNames.h"
#include "clFly/Failure.h"
#include "clFly/FlyDisplayChoice.h"
#include "clFly/wayland/WaylandDisplay.h"
#include "clFly/x11/X11Display.h"
#include "main/ErrorText.h"
#include "main/qt/QtDesktopNotice.h"
#include "main/qt/QtSingleInstance.h"

namespace quillop {

const char* const kNeedsDisplayMessage =
    "Quillop needs an X11 display (X11 or XWayland) or a Wayland desktop with the layer shell.";

namespace {

// The fly displays, tried in order. A new display is a folder of clFly/ and one line here.
// Native flies where the compositor offers the layer shell (KWin, sway, Hyprland, niri);
// XWayland elsewhere (GNOME Shell, weston) and on X11.
const FlyDisplayEntry kFlyDisplays[] = {
    {"wayland", ProbeWaylandDisplay, CreateWaylandDisplay, "wayland"},
    {"x11", ProbeX11Display, CreateX11Display, "xcb"},
};

}  // namespace

int RunOnQt(const char* programPath, const std::function<int(Platform&)>& program) {
    // The program takes no arguments, so Qt is given none to interpret either.
    int argc = 1;
    char* argv[] = {const_cast<char*>(programPath), nullptr};
    const FlyDisplayChoice display = ChooseFlyDisplay(
        kFlyDisplays, qgetenv("QUILLOP_DISPLAY").toStdString(), kNeedsDisplayMessage);
    // Started from a menu or at logon, nobody reads stderr: the desktop shows a failure too.
    std::fprintf(stderr, "%s\n", display.Message.c_str());
    if (display.Entry == nullptr) {
        const QCoreApplication core(argc, argv);
        ShowDesktopNotice(QString::fromUtf8(kApplicationTitle),
                          QString::fromStdString(display.Message));
        return 1;
    }
    // NOTE: the shell's windows go where the flies are, whatever platform the session chose for
    // Qt programs (sway's and Hyprland's guides set "wayland", while X11 flies need "xcb").
    // Programs started from here, such as the browser, get the session's choice.
    const std::optional<QByteArray> chosen =
        qEnvironmentVariableIsSet("QT_QPA_PLATFORM")
            ? std::optional<QByteArray>(qgetenv("QT_QPA_PLATFORM"))
            : std::nullopt;
    qputenv("QT_QPA_PLATFORM", display.Entry->ToolkitPlatform);
    QApplication app(argc, argv);
    // Every window's class (Qt's windows take the application's name as their WM_CLASS class)
    // and, on Wayland, the app id: by these the desktop finds the menu entry, its name and icon.
    QCoreApplication::setApplicationName(QString::fromUtf8(kX11Class));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillop"));
    if (chosen) {
        qputenv("QT_QPA_PLATFORM", *chosen);
    } else {
        qunsetenv("QT_QPA_PLATFORM");
    }
    QIcon icon;
    for (const QString& file : QDir(":/quillop").entryList({"app*.png"})) {
        icon.addFile(":/quillop/" + file);
    }
    QApplication::setWindowIcon(icon);
    // A second start on the same display shows the running program's settings instead.
    SingleInstance instance;
    if (const std::optional<int> exitCode = instance.Claim()) {
        return *exitCode;
    }
    std::unique_ptr<QtPlatform> platform;
    try {
        platform = std::make_unique<QtPlatform>(*display.Entry);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    instance.OnLaterStart([&platform] { platform->ShowSettings(); });
    return program(*platform);
}

}  // namespace quillop
