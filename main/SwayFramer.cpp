#include "main/SwayFramer.h"

#include <cstring>

namespace quillop {

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
