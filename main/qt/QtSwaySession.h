// The work area under sway, whose XWayland root window carries none: the rectangle that the
// panels' exclusive zones leave of the visible workspace, asked of sway over its socket.
#pragma once

#include <QLocalSocket>
#include <QRect>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

namespace quillop {

class SwayWorkArea final {
  public:
    // Does nothing outside a sway session (no $SWAYSOCK).
    SwayWorkArea();
    // The work area of the visible workspace on the output at `screen`, as last heard; nothing
    // outside sway or before its first answer.
    std::optional<QRect> Area(const QRect& screen) const;

  private:
    // Asks for the workspaces again, unless a question is still open.
    void Ask();
    // Takes a complete answer from the socket's buffer.
    void Read();

    QByteArray buffer_;
    bool asking_ = false;
    // The rectangles of the visible workspaces: what the panels leave of each output.
    std::vector<QRect> visible_;
    QTimer refresh_;
    // Last, so that it goes first: a socket that closes as it goes still reaches the fields.
    std::unique_ptr<QLocalSocket> socket_;
};

}  // namespace quillop
