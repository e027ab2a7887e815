#include "main/qt/QtSingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quillop {

namespace {

// What a later start sends the running program.
constexpr char kShowSettings[] = "settings\n";
// How long a later start waits for the running program to answer, and for the holder of the
// lock to listen.
constexpr int kAnswerMs = 3000;
// How often a later start looks again for the holder of the lock.
constexpr int kRetryMs = 50;

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

// The folder of the lock and the socket: the user's runtime folder, else the user's own folder
// in the temporary folder. Empty, said on stderr, when that one is not private.
QString LockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime;
    }
    const QString folder = QDir::tempPath() + QString("/quillop-%1").arg(getuid());
    const QString problem = PrivateFolderProblem(folder);
    if (!problem.isEmpty()) {
        std::fprintf(stderr,
                     "Quillop runs without looking for a copy already running on this display: "
                     "%s.\n",
                     qPrintable(problem));
        return {};
    }
    return folder;
}

}  // namespace

QString PrivateFolderProblem(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return QString("%1 cannot be made (%2)").arg(folder, std::strerror(errno));
    }
    // NOTE: lstat, as another user's link there would lead to a folder of their choice.
    struct stat info {};
    if (lstat(path.constData(), &info) != 0) {
        return QString("%1 cannot be read (%2)").arg(folder, std::strerror(errno));
    }
    if (!S_ISDIR(info.st_mode)) {
        return QString("%1 is not a folder").arg(folder);
    }
    if (info.st_uid != getuid()) {
        return QString("%1 belongs to another user (%2)").arg(folder).arg(info.st_uid);
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return QString("others may write in %1").arg(folder);
    }
    return {};
}

SingleInstance::SingleInstance() {
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

std::optional<int> SingleInstance::Claim() {
    const QString folder = LockFolder();
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    name_ = folder + "/quillop-" + DisplayKey();
    lock_ = std::make_unique<QLockFile>(name_ + ".lock");
    // NOTE: by default QLockFile also takes a lock older than 30 s for stale; here only a
    // holder that is gone makes it stale.
    lock_->setStaleLockTime(0);
    const QDeadlineTimer deadline(kAnswerMs);
    do {
        if (lock_->tryLock(0)) {
            Listen();
            return std::nullopt;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            std::fprintf(stderr,
                         "Quillop runs without looking for a copy already running on this "
                         "display: %s cannot be made.\n",
                         qPrintable(name_ + ".lock"));
            return std::nullopt;
        }
        if (AskRunning()) {
            return 0;
        }
        // The holder took the lock a moment ago and does not listen yet, or it was killed and
        // another start is removing its lock.
        QThread::msleep(kRetryMs);
    } while (!deadline.hasExpired());
    qint64 pid = 0;
    lock_->getLockInfo(&pid, nullptr, nullptr);
    std::fprintf(stderr,
                 "Quillop already runs on this display (process %lld) but does not answer.\n",
                 static_cast<long long>(pid));
    return 1;
}

void SingleInstance::Listen() {
    // Only the holder of the lock listens: a socket that is there was left by a killed program.
    QLocalServer::removeServer(name_);
    if (!server_.listen(name_)) {
        std::fprintf(stderr, "Quillop cannot take later starts at %s: %s\n", qPrintable(name_),
                     qPrintable(server_.errorString()));
    }
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
