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

SingleInstance::SingleInstance() : name_(SocketPath()) {}

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

bool SingleInstance::Serve(std::function<void()> onStart) {
    // Only this user may reach the socket.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // NOTE: a program that was killed leaves its socket file behind; nobody answers on it, as
    // AskRunning found, so it is taken over.
    QLocalServer::removeServer(name_);
    if (!server_.listen(name_)) {
        return false;
    }
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this, onStart] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto take = [socket, onStart] {
                if (!socket->canReadLine()) {
                    return;
                }
                if (socket->readLine() == kShowSettings) {
                    onStart();
                }
                socket->disconnectFromServer();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, take);
            take();
        }
    });
    return true;
}

}  // namespace quillop
