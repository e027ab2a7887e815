#include "main/qt/QtDesktopNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

namespace quillop {

namespace {

// How long the notification service may take to answer.
constexpr int kAnswerMs = 2000;

}  // namespace

// NOTE: asked for the session bus without an address, libdbus starts a bus of its own through
// dbus-launch (dbus-x11), which outlives the program and leaves files in ~/.dbus.
bool HasSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + "/bus").exists();
}

bool ShowDesktopNotice(const QString& summary, const QString& body) {
    if (!HasSessionBus()) {
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                         "/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "Notify");
    // Application, id to replace, icon, summary, body, actions, hints, timeout (the server's).
    notify << QString("Quillop") << 0u << QString("quillop") << summary << body << QStringList()
           << QVariantMap() << -1;
    return bus.call(notify, QDBus::Block, kAnswerMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace quillop
