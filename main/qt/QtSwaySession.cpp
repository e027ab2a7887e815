#include "main/qt/QtSwaySession.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quillop {

namespace {

// sway's message types; events have the highest bit set.
constexpr std::uint32_t kGetWorkspaces = 1;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kEvent = 0x80000000;
constexpr std::uint32_t kWindowEvent = kEvent | 3;
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

std::optional<Rect> SwayWorkArea(std::span<const QRect> visible, const QRect& screen,
                                 double ratio) {
    // NOTE: sway's rectangles are in its layout's pixels, which are XWayland's pixels whatever
    // the outputs' scale; Qt counts those as device pixels, keeps a screen's corner in them and
    // divides its size by its own ratio (read from the X resources, not from sway).
    const QRect device(screen.topLeft(),
                       QSize(qRound(screen.width() * ratio), qRound(screen.height() * ratio)));
    for (const QRect& usable : visible) {
        // By its corner: the size Qt divided and this multiplies again may be a pixel short.
        if (device.contains(usable.topLeft())) {
            return Rect{usable.x() - screen.x(), usable.y() - screen.y(), usable.width(),
                        usable.height()};
        }
    }
    return std::nullopt;
}

SwaySession::SwaySession(std::function<void()> windowsChanged)
    : windowsChanged_(std::move(windowsChanged)) {
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty()) {
        return;
    }
    socket_ = std::make_unique<QLocalSocket>();
    QObject::connect(socket_.get(), &QLocalSocket::readyRead, socket_.get(), [this] { Read(); });
    QObject::connect(socket_.get(), &QLocalSocket::connected, socket_.get(), [this] {
        // Nothing of a connection dropped is waited for.
        framer_.Reset();
        waiting_ = 0;
        treeAgain_ = false;
        Send(kSubscribe, R"(["window"])");
        Send(kGetWorkspaces);
        Send(kGetTree);
    });
    socket_->setServerName(path);
    refresh_.setInterval(kRefreshMs);
    QObject::connect(&refresh_, &QTimer::timeout, socket_.get(), [this] { Ask(); });
    refresh_.start();
    Ask();
}

void SwaySession::Send(std::uint32_t type, const QByteArray& payload) {
    const std::string message =
        SwayFrame(type, {payload.constData(), static_cast<std::size_t>(payload.size())});
    if (socket_->write(message.data(), static_cast<qint64>(message.size())) ==
        static_cast<qint64>(message.size())) {
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
    const QByteArray bytes = socket_->readAll();
    const SwayFrames frames =
        framer_.Feed({bytes.constData(), static_cast<std::size_t>(bytes.size())});
    for (const SwayMessage& message : frames.Messages) {
        Take(message);
    }
    if (!frames.Error.empty()) {
        // Past a bad header the stream cannot be followed; the next refresh connects anew.
        Report(kFraming, QString::fromStdString(frames.Error) + "; the connection is dropped");
        socket_->abort();
    }
}

void SwaySession::Take(const SwayMessage& message) {
    if ((message.Type & kEvent) == 0) {
        waiting_ = std::max(waiting_ - 1, 0);
    }
    QJsonParseError error{};
    const QJsonDocument answer = QJsonDocument::fromJson(
        QByteArray::fromRawData(message.Payload.data(),
                                static_cast<qsizetype>(message.Payload.size())),
        &error);
    const bool array = message.Type == kGetWorkspaces;
    if (error.error != QJsonParseError::NoError ||
        (array ? !answer.isArray() : !answer.isObject())) {
        Report(kNotJson,
               QString("sway's message of type 0x%1 is not the JSON expected (%2); what was "
                       "last heard is kept")
                   .arg(message.Type, 0, 16)
                   .arg(error.error != QJsonParseError::NoError ? error.errorString()
                                                                : "another kind"));
        return;
    }
    if (message.Type == kSubscribe && !answer["success"].toBool()) {
        Report(kRefused, "sway refused to send window events (" + answer["error"].toString() +
                             "); the windows are asked for every second");
    } else if (message.Type == kWindowEvent) {
        TakeWindowEvent(answer.object());
    } else if (message.Type == kGetWorkspaces) {
        TakeWorkspaces(answer.array());
    } else if (message.Type == kGetTree) {
        TakeTree(answer.object());
    }
}

void SwaySession::TakeWorkspaces(const QJsonArray& answer) {
    std::vector<QRect> visible;
    for (const QJsonValue& workspace : answer) {
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

void SwaySession::Report(Fault fault, const QString& text) {
    if (!reported_[fault]) {
        reported_[fault] = true;
        std::fprintf(stderr, "Quillop: %s\n", qPrintable(text));
    }
}

namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderLength = kMagic.size() + 2 * sizeof(std::uint32_t);

}  // namespace

SwayFrames SwayFramer::Feed(std::string_view bytes) {
    SwayFrames frames;
    if (error_.empty()) {
        buffer_.append(bytes);
    }
    std::size_t at = 0;
    while (error_.empty() && buffer_.size() - at >= kHeaderLength) {
        if (std::string_view(buffer_).substr(at, kMagic.size()) != kMagic) {
            error_ = "sway's socket sent a message without the \"i3-ipc\" magic";
            break;
        }
        std::uint32_t header[2] = {};
        std::memcpy(header, buffer_.data() + at + kMagic.size(), sizeof header);
        if (header[0] > kMaxPayload) {
            error_ = "sway's socket announced a message of " + std::to_string(header[0]) +
                     " bytes, more than the " + std::to_string(kMaxPayload) + " taken";
            break;
        }
        if (buffer_.size() - at - kHeaderLength < header[0]) {
            break;
        }
        frames.Messages.push_back({header[1], buffer_.substr(at + kHeaderLength, header[0])});
        at += kHeaderLength + header[0];
    }
    buffer_.erase(0, error_.empty() ? at : buffer_.size());
    frames.Error = error_;
    return frames;
}

void SwayFramer::Reset() {
    buffer_.clear();
    error_.clear();
}

std::string SwayFrame(std::uint32_t type, std::string_view payload) {
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    std::string message(kMagic);
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message.append(payload);
    return message;
}

}  // namespace quillop
