#include "main/qt/QtTrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

#include "clFly/FlyDisplay.h"
#include "main/qt/QtDesktopNotice.h"

namespace quillop {

namespace {

constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
// How long the watcher may take to answer.
constexpr int kAnswerMs = 500;

// A watcher whose host (the panel's tray) is registered.
bool StatusNotifierHostPresent() {
    if (!HasSessionBus()) {
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kWatcherService)) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << QString(kWatcherService) << QString("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kAnswerMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

}  // namespace

bool TrayHostPresent(const FlyDisplay& display) {
    return StatusNotifierHostPresent() || display.HasOwnTray();
}

}  // namespace quillop
