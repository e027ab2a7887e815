#include "main/qt/QtPlatform.h"

#include <dlfcn.h>
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStyleHints>
#include <QTimer>
#include <QUrl>

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "clFly/Failure.h"
#include "clFly/FlyScale.h"
#include "clFly/x11/XcbDesktop.h"
#include "clFly/x11/XcbFlyWindow.h"
#include "main/ErrorText.h"
#include "main/qt/QtSettingsStore.h"
#include "main/qt/QtSignalPipe.h"
#include "main/qt/QtSwaySession.h"
#include "main/qt/QtTimerWake.h"
#include "main/qt/QtTrayHost.h"
#include "main/qt/QtTrayIcon.h"

namespace quillop {

namespace {

// Milliseconds and nanoseconds of the monotonic clock.
class MonotonicClock final : public Clock {
  public:
    std::optional<std::uint64_t> HighResolutionCounter() const override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
               static_cast<std::uint64_t>(now.tv_nsec);
    }
    std::uint32_t TickCount() const override {
        return static_cast<std::uint32_t>(*HighResolutionCounter() / 1000000u);
    }
};

// Qt's connection to the X server; throws Failure when Qt does not run on X11.
xcb_connection_t* QtX11Connection() {
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        throw Failure(kNeedsX11Message);
    }
    return x11->connection();
}

// Hands the connection's events to the fly windows before Qt sees them.
class FlyEventFilter final : public QAbstractNativeEventFilter {
  public:
    explicit FlyEventFilter(std::unique_ptr<XcbFlyDisplay>& display) : display_(display) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        return display_ != nullptr && eventType == "xcb_generic_event_t" &&
               display_->Dispatch(static_cast<const xcb_generic_event_t*>(message));
    }

  private:
    std::unique_ptr<XcbFlyDisplay>& display_;
};

// Calls back when the X resources change; the event goes on to Qt.
class ResourceWatch final : public QAbstractNativeEventFilter {
  public:
    ResourceWatch(const XcbDesktop& desktop, std::function<void()> changed)
        : desktop_(desktop), changed_(std::move(changed)) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType == "xcb_generic_event_t" &&
            desktop_.IsResourceChange(static_cast<const xcb_generic_event_t*>(message))) {
            changed_();
        }
        return false;
    }

  private:
    const XcbDesktop& desktop_;
    std::function<void()> changed_;
};

// Turns a request to quit from outside the program (the session's end) into OnEndSession.
class QuitWatch final : public QObject {
  public:
    explicit QuitWatch(MainFormEvents*& events) : events_(events) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::Quit && events_ != nullptr) {
            events_->OnEndSession(true);
            return true;
        }
        return false;
    }

  private:
    MainFormEvents*& events_;
};

// The main window as the platform hands it out: once it is gone, the platform's signals, tray
// and session no longer reach the events of the main form it belonged to.
class ReleasingMainWindow final : public MainWindow {
  public:
    ReleasingMainWindow(std::unique_ptr<MainWindow> window, MainFormEvents*& events)
        : window_(std::move(window)), events_(events) {}
    ~ReleasingMainWindow() override { events_ = nullptr; }
    ReleasingMainWindow(const ReleasingMainWindow&) = delete;
    ReleasingMainWindow& operator=(const ReleasingMainWindow&) = delete;
    void Show() override { window_->Show(); }
    void Hide() override { window_->Hide(); }
    bool IsVisible() const override { return window_->IsVisible(); }
    void SetInputEnabled(bool enabled) override { window_->SetInputEnabled(enabled); }
    SettingsControls& Controls() override { return window_->Controls(); }

  private:
    std::unique_ptr<MainWindow> window_;
    MainFormEvents*& events_;
};

}  // namespace

// What the platform keeps of Qt and X.
struct QtPlatform::Shell {
    explicit Shell(xcb_connection_t* connection) : Desktop(connection) {}

    XcbDesktop Desktop;
    MonotonicClock Clock;
    QtTimerWake FlyWake;
    // Made with the first fly, so that a screen without per-pixel alpha fails the start-up.
    std::unique_ptr<XcbFlyDisplay> Display;
    std::unique_ptr<FlyEventFilter> Filter;
    std::unique_ptr<SignalPipe> Signals;
    // Wakes the loop when other windows are restacked while no fly is due to step.
    std::unique_ptr<QSocketNotifier> StackingNotifier;
    QTimer StackingPause;
    std::unique_ptr<QuitWatch> Quit;
    std::unique_ptr<PopupMenu> Menu;
    std::unique_ptr<TrayIcon> Tray;
    // Whether the X server is XWayland; there a sway session may know the work area and the
    // windows that are to cover the flies.
    bool XWayland = false;
    std::unique_ptr<SwaySession> Sway;
    // The flies' scale: the primary screen's device pixels per logical pixel, snapped.
    double Scale = 1.0;
    // The X resources' dots per inch and Qt's ratio at the start, and the ratio after a change
    // of the resources (0 before any).
    double StartDpi = 0;
    double StartRatio = 1.0;
    double ResourceRatio = 0;
    std::unique_ptr<QAbstractNativeEventFilter> ResourceWatch;

    // Restacks the flies if need be and sends the requests waiting to the server.
    void Flush() const;
    // Reads the primary screen's scale again and hands it to the flies.
    void UpdateScale();
    // NOTE: the compositors that XWayland serves draw the windows that bypass the window
    // manager above all others. GNOME Shell stacks the windows it manages among its own, so a
    // fly that is not top-most is one of those there (sway tells where its windows stand, and
    // KWin 5.27 stopped every X client for a minute taking 99 of them).
    bool ManagedBelow() const {
        return XWayland && !Sway->Active() && Desktop.WindowManagerName() == "GNOME Shell";
    }
};

void QtPlatform::Shell::UpdateScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    Scale = FlyScaleFor(ResourceRatio > 0 ? ResourceRatio : ratio);
    if (Display != nullptr) {
        Display->SetScale(Scale);
    }
}

void QtPlatform::Shell::Flush() const {
    if (Display != nullptr) {
        Display->Flush();
    }
    Desktop.Flush();
}

QtPlatform::QtPlatform() : shell_(std::make_unique<Shell>(QtX11Connection())) {
    Shell& shell = *shell_;
    // The connections below end with this object, so none outlives the platform.
    shell.Quit = std::make_unique<QuitWatch>(mainEvents_);
    qApp->installEventFilter(shell.Quit.get());
    shell.Filter = std::make_unique<FlyEventFilter>(shell.Display);
    qApp->installNativeEventFilter(shell.Filter.get());
    // The flies' steps wait in the connection's buffer and go out together before Qt sleeps.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     shell.Quit.get(), [&shell] { shell.Flush(); });

    // SIGTERM, SIGINT and SIGHUP close the program as "Exit" does once the first fly is made, and
    // end it at once before, while the settings are read.
    shell.Signals = std::make_unique<SignalPipe>([this] {
        if (mainEvents_ != nullptr) {
            mainEvents_->OnCloseRequest();
        } else {
            Terminate();
        }
    });

    // NOTE: XWayland names its outputs XWAYLAND0, XWAYLAND1, ... in RandR, which Qt's screens
    // carry; an X server nested in a sway session keeps to its own work area.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr && primary->name().startsWith("XWAYLAND")) {
        shell.XWayland = true;
        shell.Sway = std::make_unique<SwaySession>([&shell] {
            if (shell.Display != nullptr) {
                shell.Display->SetRaisedWindows(shell.Sway->Windows());
            }
        });
    }

    QGuiApplication::setQuitOnLastWindowClosed(false);
    WatchScale();
#if QT_CONFIG(sessionmanager)
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, shell.Quit.get(),
                     [this](QSessionManager& manager) {
                         if (mainEvents_ != nullptr && !mainEvents_->OnQueryEndSession()) {
                             manager.cancel();
                         }
                     });
#endif
}

QtPlatform::~QtPlatform() {
    shell_->Signals.reset();
    qApp->removeNativeEventFilter(shell_->Filter.get());
    qApp->removeNativeEventFilter(shell_->ResourceWatch.get());
}

std::unique_ptr<MainWindow> QtPlatform::CreateMainWindow(MainFormEvents& events) {
    if (shell_->Menu == nullptr) {
        shell_->Menu = std::make_unique<PopupMenu>(mainEvents_);
        shell_->Tray = std::make_unique<TrayIcon>(
            mainEvents_, *shell_->Menu, [this] { return TrayHostPresent(shell_->Desktop); });
    }
    auto window = std::make_unique<ReleasingMainWindow>(
        CreateQtMainWindow(events, *shell_->Menu, shell_->Desktop), mainEvents_);
    mainEvents_ = &events;
    return window;
}

std::unique_ptr<FlyWindow> QtPlatform::CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                       const Rect& bounds) {
    Shell& shell = *shell_;
    if (shell.Display == nullptr) {
        shell.Signals->ThroughLoop();
        const QStyleHints* hints = QGuiApplication::styleHints();
        shell.Display = std::make_unique<XcbFlyDisplay>(
            shell.Desktop.Connection(), shell.Desktop.ScreenNumber(),
            DoubleClickRules{hints->mouseDoubleClickInterval(), hints->mouseDoubleClickDistance()},
            shell.FlyWake, shell.XWayland, shell.ManagedBelow());
        shell.Display->SetScale(shell.Scale);
        if (shell.Sway != nullptr) {
            shell.Display->SetRaisedWindows(shell.Sway->Windows());
        }
        WatchStacking();
    }
    return shell.Display->CreateWindow(events, name, bounds);
}

void QtPlatform::WatchStacking() {
    Shell& shell = *shell_;
    const int socket = shell.Display->StackingWatch();
    if (socket < 0) {
        return;
    }
    // Every step of every fly comes back on the watching connection, so it wakes the loop at
    // most 25 times a second; walking flies wake it far more often, and each wake-up reads it.
    shell.StackingNotifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    shell.StackingPause.setSingleShot(true);
    shell.StackingPause.setInterval(40);
    QObject::connect(shell.StackingNotifier.get(), &QSocketNotifier::activated,
                     &shell.StackingPause, [&shell] {
                         shell.StackingNotifier->setEnabled(false);
                         shell.StackingPause.start();
                         shell.Flush();
                     });
    QObject::connect(&shell.StackingPause, &QTimer::timeout, shell.StackingNotifier.get(),
                     [&shell] { shell.StackingNotifier->setEnabled(true); });
}

void QtPlatform::WatchScale() {
    Shell& shell = *shell_;
    // Qt tells of a screen added, a new primary screen (which may have a scale of its own) and
    // a change of a screen's dots per inch or size.
    const auto watch = [&shell](QScreen* screen) {
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, shell.Quit.get(),
                         [&shell] { shell.UpdateScale(); });
        QObject::connect(screen, &QScreen::geometryChanged, shell.Quit.get(),
                         [&shell] { shell.UpdateScale(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    QObject::connect(qApp, &QGuiApplication::screenAdded, shell.Quit.get(), watch);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, shell.Quit.get(),
                     [&shell] { shell.UpdateScale(); });
    // NOTE: Qt 6.4 reads Xft.dpi once, at its start; a change of the resources while the
    // program runs (xrdb, a desktop's scale setting) is read here and scales the ratio Qt
    // started with.
    const QScreen* screen = QGuiApplication::primaryScreen();
    shell.StartRatio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    shell.StartDpi = shell.Desktop.ResourceDpi();
    shell.ResourceWatch = std::make_unique<ResourceWatch>(shell.Desktop, [&shell] {
        shell.ResourceRatio =
            RatioAfterDpiChange(shell.StartRatio, shell.StartDpi, shell.Desktop.ResourceDpi());
        shell.UpdateScale();
    });
    qApp->installNativeEventFilter(shell.ResourceWatch.get());
    shell.UpdateScale();
}

namespace {

// A size of Qt's logical pixels in the device pixels the fly windows are placed in.
Size DevicePixels(const QScreen* screen, QSize size) {
    const qreal ratio = screen->devicePixelRatio();
    return {qRound(size.width() * ratio), qRound(size.height() * ratio)};
}

}  // namespace

Size QtPlatform::ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? DevicePixels(screen, screen->geometry().size()) : Size{};
}

Rect QtPlatform::WorkArea() {
    // NOTE: Qt keeps the work area of _NET_WORKAREA up to date from the root window's
    // property changes, so reading it costs no request to the server.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QRect whole = screen->geometry();
    const QRect area = screen->availableGeometry();
    // NOTE: sway writes no work area on XWayland's root window; it tells it over its own socket.
    if (const auto sway = shell_->Sway != nullptr ? shell_->Sway->Area(*screen) : std::nullopt) {
        return *sway;
    }
    // Qt's screens keep their corner in device pixels and scale what lies within them.
    const Size corner = DevicePixels(screen, QSize(area.x() - whole.x(), area.y() - whole.y()));
    const Size size = DevicePixels(screen, area.size());
    return {corner.Width, corner.Height, size.Width, size.Height};
}

Point QtPlatform::ScreenOrigin() {
    // With several monitors the primary one need not stand at the root window's corner.
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? Point{screen->geometry().x(), screen->geometry().y()} : Point{};
}

const Clock& QtPlatform::SystemClock() {
    return shell_->Clock;
}

void QtPlatform::ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    const xcb_window_t previous = shell_->Desktop.ActiveWindow();
    QMessageBox box(icon == BoxIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    shell_->Desktop.Activate(previous);
}

void QtPlatform::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    shell_->Flush();
}

void QtPlatform::RunMessageLoop() {
    // A close that came while the flies were starting has already ended the program.
    if (!terminated_) {
        shell_->Signals->ThroughLoop();
        QApplication::exec();
    }
}

void QtPlatform::Terminate() {
    terminated_ = true;
    QCoreApplication::exit(0);
}

void QtPlatform::ReportStartupFailure(const std::exception& failure) {
    std::string className = "Exception";
    std::string module =
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString())
            .filename()
            .string();
    std::uintptr_t offset = 0;
    if (const auto* own = dynamic_cast<const Failure*>(&failure)) {
        className = own->ClassName();
        Dl_info info{};
        if (own->RaisedAt() != nullptr && dladdr(own->RaisedAt(), &info) != 0 &&
            info.dli_fbase != nullptr) {
            if (info.dli_fname != nullptr && info.dli_fname[0] != '\0') {
                module = std::filesystem::path(info.dli_fname).filename().string();
            }
            offset = reinterpret_cast<std::uintptr_t>(own->RaisedAt()) -
                     reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        }
    }
    QMessageBox box(
        QMessageBox::Critical, QString::fromUtf8(kApplicationErrorCaption),
        QString::fromStdString(ApplicationErrorText(className, module, offset, failure.what())),
        QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::unique_ptr<SettingsStore> QtPlatform::CreateSettingsStore() {
    return CreateConfigFileStore();
}

void QtPlatform::AddTrayIcon() {
    if (shell_->Tray != nullptr) {
        shell_->Tray->Add();
    }
}

void QtPlatform::RemoveTrayIcon() {
    if (shell_->Tray != nullptr) {
        shell_->Tray->Remove();
    }
}

void QtPlatform::OpenWebPage(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void QtPlatform::ShowSettings() {
    if (mainEvents_ != nullptr) {
        mainEvents_->OnMenuCommand(MenuCommand::Settings);
    }
}

}  // namespace quillop
