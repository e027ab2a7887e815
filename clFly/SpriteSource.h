// Where the 48 fly pictures come from: each platform finds them by name in its own way.
//
// Errors: a name without a picture is an empty answer, never an exception; the cache turns it
// into the failure the user sees.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillop {

constexpr int kDirections = 8;
constexpr int kFrames = 6;
constexpr int kSpriteCount = kDirections * kFrames;

// The picture name "d_f" of a direction 1..8 and a frame 1..6.
std::string SpriteName(int direction, int frame);

// Finds a sprite's PNG bytes by name.
class SpriteSource {
  public:
    virtual ~SpriteSource() = default;
    // The bytes of the picture called name, or nothing when no picture has that name.
    virtual std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const = 0;
};

}  // namespace quillop
