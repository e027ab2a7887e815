// The decoded fly pictures, kept premultiplied so that a draw does not decode again.
//
// Errors: a missing or damaged picture throws Failure at each Get that asks for it (nothing is
// kept of it); the fly catches it, as it does the decoder's.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "clFly/FlyScale.h"
#include "clFly/SpriteDecoder.h"
#include "clFly/SpriteSource.h"

namespace quillop {

// One decoded picture of the cache. Id numbers the cached pictures 0, 1, 2... in the order
// they were first decoded, so that a platform can keep its own copy of each (a bitmap, a
// pixmap) in a plain array.
struct CachedSprite {
    int Id = 0;
    std::string Name;
    // The heading (1..8) of a picture of the fly set, 0 for any other picture.
    int Direction = 0;
    // The scale (one of kFlyScales) the picture was made for.
    double Scale = 1.0;
    Sprite Picture;
};

// Decodes each picture the first time it is asked for at a scale and keeps it. A picture
// that cannot be decoded is not kept: every later request fails again with the same message.
// The 1x and 2x pictures are decoded as drawn; those of the scales between are made from the
// 2x picture once, the first time they are asked for.
class SpriteCache {
  public:
    explicit SpriteCache(const SpriteSource& source) : source_(source) {}

    // The named picture at a scale of kFlyScales; throws Failure when there is no such picture
    // or it cannot be decoded.
    const CachedSprite& Get(std::string_view name, double scale = 1.0);
    // Decodes all 48 pictures of the fly set at a scale now, leaving out those that fail.
    void Preload(double scale = 1.0);
    // The bytes of picture memory kept for a scale.
    std::size_t MemoryFor(double scale) const;
    int Count() const { return static_cast<int>(sprites_.size()); }

  private:
    const SpriteSource& source_;
    std::map<std::string, std::unique_ptr<CachedSprite>, std::less<>> sprites_;
    // The fly set's pictures once decoded, by scale, direction and frame ("1_1" first): a
    // walking fly asks for one at every step, and this spares it the search by name.
    std::array<std::array<const CachedSprite*, kDirections * kFrames>, kFlyScaleCount> flySet_{};
};

extern const char* const kSpriteNotFoundMessage;

}  // namespace quillop
