// The framing of sway's IPC socket (the i3 protocol): every message is the magic "i3-ipc", the
// payload's length and the message's type (both 32-bit, in the machine's byte order), then the
// payload, JSON. Events have the type's highest bit set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillop {

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

}  // namespace quillop
