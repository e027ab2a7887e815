#include "clFly/SpriteCache.h"

#include <cmath>

namespace quillop {

const char* const kSpriteNotFoundMessage =
    "The png image could not be loaded from the resource ID.";

namespace {

// Where a name of the fly set ("1_1".."8_6") sits in the fly-set table, or -1 for any other.
int FlySetIndex(std::string_view name) {
    if (name.size() != 3 || name[1] != '_' || name[0] < '1' || name[0] > '0' + kDirections ||
        name[2] < '1' || name[2] > '0' + kFrames) {
        return -1;
    }
    return (name[0] - '1') * kFrames + (name[2] - '1');
}

// The cache's key of a picture at a scale: its own name at 1x, "name@<scale>" otherwise.
std::string CacheKey(std::string_view name, int scaleIndex) {
    static const char* const kSuffixes[kFlyScaleCount] = {"", "@1.25", "@1.5", "@1.75", "@2"};
    return std::string(name) + kSuffixes[scaleIndex];
}

}  // namespace

const CachedSprite& SpriteCache::Get(std::string_view name, double scale) {
    const int scaleIndex = FlyScaleIndex(scale);
    const int index = FlySetIndex(name);
    if (index >= 0 && flySet_[scaleIndex][index] != nullptr) {
        return *flySet_[scaleIndex][index];
    }
    const std::string key = CacheKey(name, scaleIndex);
    if (auto found = sprites_.find(key); found != sprites_.end()) {
        return *found->second;
    }
    const double exact = kFlyScales[scaleIndex];
    const auto bytes = source_.Find(ScaledSourceName(name, exact));
    if (!bytes) {
        throw Failure(kSpriteNotFoundMessage);
    }
    auto sprite = std::make_unique<CachedSprite>();
    sprite->Picture = DecodeSprite(*bytes);
    if (exact != 1.0 && exact != 2.0) {
        // The 2x picture shrunk to this scale: 60 x 60 times the scale for the fly set.
        const double ratio = exact / 2.0;
        sprite->Picture = ResampleSprite(
            sprite->Picture, static_cast<int>(std::lround(sprite->Picture.Width * ratio)),
            static_cast<int>(std::lround(sprite->Picture.Height * ratio)));
    }
    sprite->Id = Count();
    sprite->Name = std::string(name);
    sprite->Direction = index >= 0 ? index / kFrames + 1 : 0;
    sprite->Scale = exact;
    const CachedSprite& kept = *sprites_.emplace(key, std::move(sprite)).first->second;
    if (index >= 0) {
        flySet_[scaleIndex][index] = &kept;
    }
    return kept;
}

void SpriteCache::Preload(double scale) {
    for (int direction = 1; direction <= kDirections; ++direction) {
        for (int frame = 1; frame <= kFrames; ++frame) {
            try {
                Get(SpriteName(direction, frame), scale);
            } catch (const Failure&) {
                // Reported when a fly first tries to draw it.
            }
        }
    }
}

std::size_t SpriteCache::MemoryFor(double scale) const {
    std::size_t bytes = 0;
    for (const auto& [key, sprite] : sprites_) {
        if (sprite->Scale == scale) {
            bytes += sprite->Picture.Pixels.size();
        }
    }
    return bytes;
}

}  // namespace quillop
