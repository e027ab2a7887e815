#include "clFly/SpriteCache.h"

namespace quillop {

const char* const kSpriteNotFoundMessage =
    "The png image could not be loaded from the resource ID.";

const CachedSprite& SpriteCache::Get(std::string_view name) {
    if (auto found = sprites_.find(name); found != sprites_.end()) {
        return *found->second;
    }
    const auto bytes = source_.Find(name);
    if (!bytes) {
        throw Failure(kSpriteNotFoundMessage);
    }
    auto sprite = std::make_unique<CachedSprite>();
    sprite->Picture = DecodeSprite(*bytes);
    sprite->Id = Count();
    sprite->Name = std::string(name);
    return *sprites_.emplace(sprite->Name, std::move(sprite)).first->second;
}

void SpriteCache::Preload() {
    for (int direction = 1; direction <= kDirections; ++direction) {
        for (int frame = 1; frame <= kFrames; ++frame) {
            try {
                Get(SpriteName(direction, frame));
            } catch (const Failure&) {
                // Reported when a fly first tries to draw it.
            }
        }
    }
}

}  // namespace quillop
