#include "main/qt/QtDesktopNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace quillop {

namespace {

// How long the notification service may take to answer.
constexpr int kAnswerMs = 2000;

}  // namespace

bool ShowDesktopNotice(const QString& summary, const QString& body) {
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
