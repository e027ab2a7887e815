#include "main/qt/QtSwayWorkArea.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstring>

namespace quillop {

namespace {

// sway's messages: a magic string, the payload's length and the message type, in the
// machine's byte order, then the payload.
constexpr char kMagic[] = "i3-ipc";
constexpr int kMagicLength = 6;
constexpr int kHeaderLength = kMagicLength + 8;
constexpr std::uint32_t kGetWorkspaces = 1;
// How often the work area is asked for again (panels come, go and change size).
constexpr int kRefreshMs = 1000;

}  // namespace

SwayWorkArea::SwayWorkArea() {
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty()) {
        return;
    }
    socket_ = std::make_unique<QLocalSocket>();
    QObject::connect(socket_.get(), &QLocalSocket::readyRead, socket_.get(), [this] { Read(); });
    QObject::connect(socket_.get(), &QLocalSocket::disconnected, socket_.get(), [this] {
        asking_ = false;
        buffer_.clear();
    });
    socket_->setServerName(path);
    refresh_.setInterval(kRefreshMs);
    QObject::connect(&refresh_, &QTimer::timeout, socket_.get(), [this] { Ask(); });
    refresh_.start();
    Ask();
}

std::optional<QRect> SwayWorkArea::Area(const QRect& screen) const {
    for (const QRect& usable : visible_) {
        if (screen.contains(usable)) {
            return usable;
        }
    }
    return std::nullopt;
}

void SwayWorkArea::Ask() {
    if (asking_) {
        return;
    }
    if (socket_->state() == QLocalSocket::UnconnectedState) {
        socket_->connectToServer();
    }
    QByteArray message(kMagic, kMagicLength);
    const std::uint32_t header[2] = {0, kGetWorkspaces};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    asking_ = socket_->write(message) == message.size();
}

void SwayWorkArea::Read() {
    buffer_.append(socket_->readAll());
    if (buffer_.size() < kHeaderLength) {
        return;
    }
    std::uint32_t header[2] = {};
    std::memcpy(header, buffer_.constData() + kMagicLength, sizeof header);
    if (buffer_.size() < kHeaderLength + static_cast<qsizetype>(header[0])) {
        return;
    }
    const QJsonDocument answer =
        QJsonDocument::fromJson(buffer_.mid(kHeaderLength, static_cast<qsizetype>(header[0])));
    buffer_.remove(0, kHeaderLength + static_cast<qsizetype>(header[0]));
    asking_ = false;
    std::vector<QRect> visible;
    for (const QJsonValue& workspace : answer.array()) {
        const QJsonObject rect = workspace["rect"].toObject();
        if (workspace["visible"].toBool()) {
            visible.emplace_back(rect["x"].toInt(), rect["y"].toInt(), rect["width"].toInt(),
                                 rect["height"].toInt());
        }
    }
    visible_ = std::move(visible);
}

}  // namespace quillop
