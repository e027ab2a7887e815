#include "clFly/SpriteCache.h"

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

}  // namespace

const CachedSprite& SpriteCache::Get(std::string_view name) {
    const int index = FlySetIndex(name);
    if (index >= 0 && flySet_[index] != nullptr) {
        return *flySet_[index];
    }
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
    sprite->Direction = index >= 0 ? index / kFrames + 1 : 0;
    const CachedSprite& kept = *sprites_.emplace(sprite->Name, std::move(sprite)).first->second;
    if (index >= 0) {
        flySet_[index] = &kept;
    }
    return kept;
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
