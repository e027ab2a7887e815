// What a sway session knows and its XWayland root window does not, asked of sway over its
// socket: the work area that the panels' exclusive zones leave of the visible workspace, and
// where the windows stand and when each was last raised.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "clFly/StackingRules.h"

namespace quillop {

// The framing of sway's IPC socket (the i3 protocol): every message is the magic "i3-ipc", the
// payload's length and the message's type (both 32-bit, in the machine's byte order), then the
// payload, JSON. Events have the type's highest bit set.
struct SwayMessage {
    std::uint32_t Type = 0;
    std::string Payload;
    bool operator==(const SwayMessage&) const = default;
};

// What a piece of the stream completed: the messages in order, then what was wrong with the
// stream (empty while nothing was).
struct SwayFrames {
    std::vector<SwayMessage> Messages;
    std::string Error;
};

// Cuts the bytes read from sway's socket into messages.
class SwayFramer {
  public:
    // The longest payload taken: sway's whole tree is a few kilobytes a window, a few megabytes
    // on the busiest desktop, while a corrupt length could ask for 4 GiB.
    static constexpr std::uint32_t kMaxPayload = 16U << 20U;

    // Takes bytes as read and gives the messages they complete. After a header without the
    // magic or with too long a payload the stream cannot be followed: the error is given then
    // and on every later call, and nothing more is taken until Reset().
    SwayFrames Feed(std::string_view bytes);
    // Forgets everything read, for a new connection.
    void Reset();

  private:
    std::string buffer_;
    std::string error_;
};

// One message to send, header and payload.
std::string SwayFrame(std::uint32_t type, std::string_view payload);

// The work area of the visible workspace (of `visible`, sway's rectangles) that stands on the
// screen Qt gives as `screen` with `ratio` device pixels a logical pixel: in device pixels from
// the screen's corner; nothing when no workspace stands there.
std::optional<Rect> SwayWorkArea(std::span<const QRect> visible, const QRect& screen, double ratio);

class SwaySession final {
  public:
    // Does nothing outside a sway session (no $SWAYSOCK). `windowsChanged` is called whenever
    // Windows() changed.
    explicit SwaySession(std::function<void()> windowsChanged);
    // The work area of the visible workspace on `screen` as last heard, in device pixels from
    // the screen's corner; nothing outside sway or before its first answer.
    std::optional<Rect> Area(const QScreen& screen) const {
        return SwayWorkArea(visible_, screen.geometry(), screen.devicePixelRatio());
    }
    // The windows of the visible workspaces, as last heard.
    const std::vector<RaisedWindow>& Windows() const { return windows_; }
    // Whether the program runs in a sway session.
    bool Active() const { return socket_ != nullptr; }

  private:
    // Sends one message of the given type.
    void Send(std::uint32_t type, const QByteArray& payload = {});
    // Asks for the workspaces and the windows again, unless answers are still to come.
    void Ask();
    // Takes every message the socket completed; drops the connection after a framing error.
    void Read();
    // Takes one message; one that is not the JSON expected changes nothing.
    void Take(const SwayMessage& message);
    void TakeWorkspaces(const QJsonArray& answer);
    void TakeTree(const QJsonObject& root);
    void TakeWindowEvent(const QJsonObject& event);
    // What can go wrong with sway's socket, each said once on stderr.
    enum Fault { kFraming, kNotJson, kRefused, kFaults };
    void Report(Fault fault, const QString& text);

    std::function<void()> windowsChanged_;
    SwayFramer framer_;
    std::array<bool, kFaults> reported_ = {};
    // Answers still to come, and whether the windows are to be asked for again after them.
    int waiting_ = 0;
    bool treeAgain_ = false;
    // The rectangles of the visible workspaces: what the panels leave of each output.
    std::vector<QRect> visible_;
    std::vector<RaisedWindow> windows_;
    // When each window (by sway's container id) was last focused, which raises it.
    std::unordered_map<qint64, std::int64_t> raisedAt_;
    QTimer refresh_;
    // Last, so that it goes first: a socket that closes as it goes still reaches the fields.
    std::unique_ptr<QLocalSocket> socket_;
};

}  // namespace quillop
