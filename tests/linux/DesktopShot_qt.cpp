// A screenshot of the whole Wayland desktop, native windows and XWayland's alike, through the
// compositor's own D-Bus interface: KWin's ScreenShot2 (which needs
// KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 in KWin's environment) or GNOME Shell's Screenshot
// (which answers only the names of its own tools: this one takes org.gnome.Screenshot first).
//
// Usage: quillop_desktopshot FILE.png
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace {

// KWin writes the picture into a pipe and tells its size and format in its answer.
bool ShootKWin(QDBusConnection& bus, const QString& file) {
    int ends[2];
    if (pipe(ends) != 0 || fcntl(ends[0], F_SETFL, O_NONBLOCK) != 0) {
        return false;
    }
    // The headless session has one screen, which is the active one.
    QDBusMessage capture =
        QDBusMessage::createMethodCall("org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2",
                                       "org.kde.KWin.ScreenShot2", "CaptureActiveScreen");
    capture << QVariantMap{{"native-resolution", true}}
            << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    close(ends[1]);
    // NOTE: the call keeps a copy of the pipe's end, so no end of file comes: the picture is
    // read until it has the size the answer tells.
    QDBusPendingCall call = bus.asyncCall(capture);
    QByteArray data;
    QVariantMap info;
    qsizetype size = -1;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && (size < 0 || data.size() < size)) {
        char buffer[65536];
        const ssize_t count = read(ends[0], buffer, sizeof buffer);
        if (count > 0) {
            data.append(buffer, static_cast<qsizetype>(count));
            continue;
        }
        QCoreApplication::processEvents();
        if (size < 0 && call.isFinished()) {
            QDBusPendingReply<QVariantMap> reply(call);
            if (reply.isError()) {
                std::fprintf(stderr, "KWin: %s\n", qPrintable(reply.error().message()));
                break;
            }
            info = reply.value();
            if (info.value("type").toString() != "raw") {
                std::fprintf(stderr, "KWin sent no raw picture\n");
                break;
            }
            size = qsizetype{info.value("stride").toInt()} * info.value("height").toInt();
        }
        pollfd readable{ends[0], POLLIN, 0};
        poll(&readable, 1, 20);
    }
    close(ends[0]);
    if (size < 0 || data.size() < size) {
        std::fprintf(stderr, "KWin sent %lld bytes of %lld\n", static_cast<long long>(data.size()),
                     static_cast<long long>(size));
        return false;
    }
    const QImage image(reinterpret_cast<const uchar*>(data.constData()),
                       info.value("width").toInt(), info.value("height").toInt(),
                       info.value("stride").toInt(),
                       static_cast<QImage::Format>(info.value("format").toUInt()));
    return image.save(file, "PNG");
}

// GNOME Shell writes the file itself.
bool ShootGnome(QDBusConnection& bus, const QString& file) {
    if (!bus.registerService("org.gnome.Screenshot")) {
        std::fprintf(stderr, "cannot own org.gnome.Screenshot\n");
        return false;
    }
    QDBusMessage shot =
        QDBusMessage::createMethodCall("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                       "org.gnome.Shell.Screenshot", "Screenshot");
    shot << false << false << QDir().absoluteFilePath(file);
    // NOTE: the shell learns of the name's new owner by a signal that may come after the call.
    QDBusMessage reply;
    for (int attempt = 0; attempt < 20; ++attempt) {
        reply = bus.call(shot);
        if (reply.type() != QDBusMessage::ErrorMessage ||
            reply.errorName() != "org.freedesktop.DBus.Error.AccessDenied") {
            break;
        }
        QThread::msleep(50);
    }
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "GNOME Shell: %s\n", qPrintable(reply.errorMessage()));
        return false;
    }
    return !reply.arguments().isEmpty() && reply.arguments()[0].toBool();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* names = bus.interface();
    if (names == nullptr) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    bool shot = false;
    if (names->isServiceRegistered("org.kde.KWin.ScreenShot2")) {
        shot = ShootKWin(bus, file);
    } else if (names->isServiceRegistered("org.gnome.Shell.Screenshot")) {
        shot = ShootGnome(bus, file);
    } else {
        std::fprintf(stderr, "neither KWin's nor GNOME Shell's screenshot service is there\n");
    }
    return shot ? 0 : 1;
}
