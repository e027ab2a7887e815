#include "main/qt/QtSwaySession.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstring>
#include <utility>

namespace quillop {

namespace {

// sway's messages: a magic string, the payload's length and the message type, in the
// machine's byte order, then the payload. Events have the type's highest bit set.
constexpr char kMagic[] = "i3-ipc";
constexpr int kMagicLength = 6;
constexpr int kHeaderLength = kMagicLength + 8;
constexpr std::uint32_t kGetWorkspaces = 1;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kWindowEvent = 0x80000003;
// How often everything is asked for again: panels come, go and change size, and windows are
// moved and resized without an event.
constexpr int kRefreshMs = 1000;

// Adds the windows among `node` and its children that are shown on a visible workspace.
void CollectWindows(const QJsonObject& node, const std::unordered_map<qint64, std::int64_t>& raised,
                    std::vector<RaisedWindow>& windows) {
    if (node["pid"].toInt() > 0 && node["visible"].toBool()) {
        // The window's rectangle, and its title bar just above it.
        const QJsonObject rect = node["rect"].toObject();
        const int title = node["deco_rect"].toObject()["height"].toInt();
        const auto found = raised.find(node["id"].toInteger());
        windows.push_back({{rect["x"].toInt(), rect["y"].toInt() - title, rect["width"].toInt(),
                            rect["height"].toInt() + title},
                           found != raised.end() ? found->second : 0});
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node[children].toArray()) {
            CollectWindows(child.toObject(), raised, windows);
        }
    }
}

}  // namespace

SwaySession::SwaySession(std::function<void()> windowsChanged)
    : windowsChanged_(std::move(windowsChanged)) {
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty()) {
        return;
    }
    socket_ = std::make_unique<QLocalSocket>();
    QObject::connect(socket_.get(), &QLocalSocket::readyRead, socket_.get(), [this] { Read(); });
    QObject::connect(socket_.get(), &QLocalSocket::connected, socket_.get(), [this] {
        Send(kSubscribe, R"(["window"])");
        Send(kGetWorkspaces);
        Send(kGetTree);
    });
    QObject::connect(socket_.get(), &QLocalSocket::disconnected, socket_.get(), [this] {
        waiting_ = 0;
        buffer_.clear();
    });
    socket_->setServerName(path);
    refresh_.setInterval(kRefreshMs);
    QObject::connect(&refresh_, &QTimer::timeout, socket_.get(), [this] { Ask(); });
    refresh_.start();
    Ask();
}

std::optional<QRect> SwaySession::Area(const QRect& screen) const {
    for (const QRect& usable : visible_) {
        if (screen.contains(usable)) {
            return usable;
        }
    }
    return std::nullopt;
}

void SwaySession::Send(std::uint32_t type, const QByteArray& payload) {
    QByteArray message(kMagic, kMagicLength);
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message.append(payload);
    if (socket_->write(message) == message.size()) {
        ++waiting_;
    }
}

void SwaySession::Ask() {
    if (socket_->state() == QLocalSocket::UnconnectedState) {
        // Once connected, the socket asks for everything.
        socket_->connectToServer();
    } else if (waiting_ == 0 && socket_->state() == QLocalSocket::ConnectedState) {
        Send(kGetWorkspaces);
        Send(kGetTree);
    }
}

void SwaySession::Read() {
    buffer_.append(socket_->readAll());
    while (buffer_.size() >= kHeaderLength) {
        std::uint32_t header[2] = {};
        std::memcpy(header, buffer_.constData() + kMagicLength, sizeof header);
        const qsizetype length = kHeaderLength + static_cast<qsizetype>(header[0]);
        if (buffer_.size() < length) {
            return;
        }
        const QJsonDocument message =
            QJsonDocument::fromJson(buffer_.mid(kHeaderLength, length - kHeaderLength));
        buffer_.remove(0, length);
        if (header[1] == kWindowEvent) {
            TakeWindowEvent(message.object());
            continue;
        }
        waiting_ = std::max(waiting_ - 1, 0);
        if (header[1] == kGetWorkspaces) {
            TakeWorkspaces(message);
        } else if (header[1] == kGetTree) {
            TakeTree(message.object());
        }
    }
}

void SwaySession::TakeWorkspaces(const QJsonDocument& answer) {
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

void SwaySession::TakeTree(const QJsonObject& root) {
    std::vector<RaisedWindow> windows;
    CollectWindows(root, raisedAt_, windows);
    if (treeAgain_) {
        treeAgain_ = false;
        Send(kGetTree);
    }
    if (windows != windows_) {
        windows_ = std::move(windows);
        windowsChanged_();
    }
}

void SwaySession::TakeWindowEvent(const QJsonObject& event) {
    const QString change = event["change"].toString();
    const qint64 id = event["container"].toObject()["id"].toInteger();
    // A window is raised when it takes the focus, and a new one comes up on top (sway sends no
    // focus event for the first window of a workspace).
    if (change == "new" || change == "focus") {
        raisedAt_[id] = SteadyClockMs();
    } else if (change == "close") {
        raisedAt_.erase(id);
    }
    // A new title, mark or urgency hint moves nothing; a terminal that sets its title at every
    // prompt would otherwise cost a whole tree each time.
    if (change == "title" || change == "mark" || change == "urgent") {
        return;
    }
    // The windows as they stand after the change; one question at a time.
    if (waiting_ == 0) {
        Send(kGetTree);
    } else {
        treeAgain_ = true;
    }
}

}  // namespace quillop
