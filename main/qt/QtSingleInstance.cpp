#include "main/qt/QtSingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalSocket>

namespace quillop {

namespace {

// What a later start sends the running program.
constexpr char kShowSettings[] = "settings\n";
// How long a later start waits for the running program to answer.
constexpr int kAnswerMs = 3000;

// The display without its screen number (":0.0" and ":0" are the same display), made fit for
// a file name.
QString DisplayKey() {
    QString display = qEnvironmentVariable("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon >= 0 && dot > colon) {
        display.truncate(dot);
    }
    if (display.startsWith("unix:")) {
        display.remove(0, 4);
    }
    for (QChar& c : display) {
        if (!c.isLetterOrNumber() && c != '.' && c != '-') {
            c = '_';
        }
    }
    return display;
}

// The socket's path: in the user's runtime folder, else in the temporary folder under the
// user's number.
QString SocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime + "/quillop-" + DisplayKey();
    }
    return QDir::tempPath() + QString("/quillop-%1-").arg(getuid()) + DisplayKey();
}

}  // namespace

SingleInstance::SingleInstance() : name_(SocketPath()) {
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto take = [this, socket] {
                if (!socket->canReadLine()) {
                    return;
                }
                if (socket->readLine() == kShowSettings && onStart_) {
                    onStart_();
                }
                socket->disconnectFromServer();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, take);
            take();
        }
    });
}

bool SingleInstance::Claim() {
    // NOTE: the socket is made with the user's umask (no access options): with them, Qt makes
    // it elsewhere and renames it into place, over the socket of a program already running.
    // Made first, it tells of a running program by failing.
    if (server_.listen(name_) || server_.serverError() != QAbstractSocket::AddressInUseError) {
        return false;
    }
    if (AskRunning()) {
        return true;
    }
    // A program that was killed leaves its socket behind, and nobody answers on it.
    QLocalServer::removeServer(name_);
    server_.listen(name_);
    return false;
}

bool SingleInstance::AskRunning() const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMs)) {
        return false;
    }
    socket.write(kShowSettings);
    if (!socket.waitForBytesWritten(kAnswerMs)) {
        return false;
    }
    // The running program closes the connection once it has taken the request.
    socket.waitForDisconnected(kAnswerMs);
    return true;
}

}  // namespace quillop
