#include "main/qt/QtPlatform.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStyleHints>
#include <QTimer>
#include <QUrl>

#include <string_view>

#include "clFly/Failure.h"
#include "clFly/FlyDisplayChoice.h"
#include "main/qt/QtDesktopSession.h"
#include "main/qt/QtFormLink.h"
#include "main/qt/QtScaleTracker.h"
#include "main/qt/QtSettingsStore.h"
#include "main/qt/QtSignalPipe.h"
#include "main/qt/QtStartupReport.h"
#include "main/qt/QtTimerWake.h"
#include "main/qt/QtTrayHost.h"
#include "main/qt/QtTrayIcon.h"

namespace quillop {

namespace {

// Qt's native connection to the X server for a display on "xcb"; throws Failure when Qt has
// none. Other displays make connections of their own.
void* QtNativeConnection(const FlyDisplayEntry& display) {
    if (std::string_view(display.ToolkitPlatform) != "xcb") {
        return nullptr;
    }
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        throw Failure(kNeedsDisplayMessage);
    }
    return x11->connection();
}

// Hands the toolkit's native events to the fly display before Qt sees them.
class DisplayEventFilter final : public QAbstractNativeEventFilter {
  public:
    explicit DisplayEventFilter(FlyDisplay& display) : display_(display) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        return display_.HandleNativeEvent(
            std::string_view(eventType.constData(), static_cast<std::size_t>(eventType.size())),
            message);
    }

  private:
    FlyDisplay& display_;
};

}  // namespace

// What the platform keeps of Qt and the display.
struct QtPlatform::Shell {
    SteadyClock Clock;
    QtTimerWake FlyWake;
    FormLink Link;
    ScaleTracker Scale;
    std::unique_ptr<DesktopSession> Session;
    std::unique_ptr<FlyDisplay> Display;
    std::unique_ptr<DisplayEventFilter> Filter;
    std::unique_ptr<SignalPipe> Signals;
    // Wakes the loop when the display has something to flush while no fly is due to step.
    std::unique_ptr<QSocketNotifier> DisplayNotifier;
    QTimer DisplayPause;
    std::unique_ptr<PopupMenu> Menu;
    std::unique_ptr<TrayIcon> Tray;
};

QtPlatform::QtPlatform(const FlyDisplayEntry& display) : shell_(std::make_unique<Shell>()) {
    Shell& shell = *shell_;
    void* connection = QtNativeConnection(display);
    shell.Session = std::make_unique<DesktopSession>([&shell] {
        if (shell.Display != nullptr) {
            shell.Display->SetRaisedWindows(shell.Session->RaisedWindows());
        }
    });
    const QStyleHints* hints = QGuiApplication::styleHints();
    FlyDisplaySetup setup;
    setup.Connection = connection;
    setup.DoubleClick =
        DoubleClickRules{hints->mouseDoubleClickInterval(), hints->mouseDoubleClickDistance()};
    setup.Wake = &shell.FlyWake;
    setup.Events = &shell.Scale;
    setup.Nested = shell.Session->Nested();
    setup.RaisedWindowsKnown = shell.Session->RaisedWindowsKnown();
    shell.Display = display.Create(setup);
    shell.Display->SetRaisedWindows(shell.Session->RaisedWindows());
    shell.Scale.Follow([&shell] { return shell.Display->ScaleHintDpi(); },
                       [&shell](double scale) { shell.Display->SetScale(scale); });

    // The connections below end with this object, so none outlives the platform.
    shell.Filter = std::make_unique<DisplayEventFilter>(*shell.Display);
    qApp->installNativeEventFilter(shell.Filter.get());
    // The flies' steps wait in the display's buffer and go out together before Qt sleeps.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &shell.Link, [&shell] { shell.Display->Flush(); });

    // SIGTERM, SIGINT and SIGHUP close the program as "Exit" does once the first fly is made, and
    // end it at once before, while the settings are read.
    shell.Signals = std::make_unique<SignalPipe>([this] {
        if (shell_->Link.Events() != nullptr) {
            shell_->Link.Events()->OnCloseRequest();
        } else {
            Terminate();
        }
    });
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

QtPlatform::~QtPlatform() {
    shell_->Signals.reset();
    qApp->removeNativeEventFilter(shell_->Filter.get());
}

std::unique_ptr<MainWindow> QtPlatform::CreateMainWindow(MainFormEvents& events) {
    Shell& shell = *shell_;
    if (shell.Menu == nullptr) {
        shell.Menu = std::make_unique<PopupMenu>(shell.Link.Events());
        shell.Tray = std::make_unique<TrayIcon>(
            shell.Link.Events(), *shell.Menu, [&shell] { return TrayHostPresent(*shell.Display); });
    }
    return shell.Link.Link(CreateQtMainWindow(events, *shell.Menu, *shell.Display), events);
}

std::unique_ptr<FlyWindow> QtPlatform::CreateFlyWindow(FlyEvents& events, const std::string& name,
                                                       const Rect& bounds) {
    std::unique_ptr<FlyWindow> window = shell_->Display->CreateWindow(events, name, bounds);
    if (shell_->DisplayNotifier == nullptr) {
        shell_->Signals->ThroughLoop();
        WatchDisplay();
    }
    return window;
}

void QtPlatform::WatchDisplay() {
    Shell& shell = *shell_;
    const int descriptor = shell.Display->WakeDescriptor();
    if (descriptor < 0) {
        return;
    }
    // NOTE: the X11 display watches the other windows' stacking on a connection to which every
    // step of every fly comes back, so it wakes the loop at most 25 times a second; walking
    // flies wake it far more often, and each wake-up reads it.
    shell.DisplayNotifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    shell.DisplayPause.setSingleShot(true);
    shell.DisplayPause.setInterval(40);
    QObject::connect(shell.DisplayNotifier.get(), &QSocketNotifier::activated, &shell.DisplayPause,
                     [&shell] {
                         shell.DisplayNotifier->setEnabled(false);
                         shell.DisplayPause.start();
                         shell.Display->Flush();
                     });
    QObject::connect(&shell.DisplayPause, &QTimer::timeout, shell.DisplayNotifier.get(),
                     [&shell] { shell.DisplayNotifier->setEnabled(true); });
}

Size QtPlatform::ScreenSize() {
    if (const auto screen = shell_->Display->ScreenBounds()) {
        return {screen->Width, screen->Height};
    }
    return shell_->Session->ScreenSize();
}

Rect QtPlatform::WorkArea() {
    return shell_->Display->WorkArea().value_or(shell_->Session->WorkArea());
}

Point QtPlatform::ScreenOrigin() {
    if (const auto screen = shell_->Display->ScreenBounds()) {
        return {screen->Left, screen->Top};
    }
    return shell_->Session->ScreenOrigin();
}

const Clock& QtPlatform::SystemClock() {
    return shell_->Clock;
}

void QtPlatform::ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    const std::uint64_t previous = shell_->Display->ActiveWindow();
    QMessageBox box(icon == BoxIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    shell_->Display->Activate(previous);
}

void QtPlatform::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    shell_->Display->Flush();
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
    ShowStartupFailure(failure);
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
    if (shell_->Link.Events() != nullptr) {
        shell_->Link.Events()->OnMenuCommand(MenuCommand::Settings);
    }
}

}  // namespace quillop
