#include "resources/EmbeddedSprites.h"

#include <cstddef>

namespace quillop {

// Filled by the generated table of the build.
struct EmbeddedPicture {
    const char* Name;
    const std::uint8_t* Data;
    std::size_t Size;
};
extern const EmbeddedPicture kEmbeddedPictures[];
extern const std::size_t kEmbeddedPictureCount;

namespace {

class EmbeddedSpriteSource final : public SpriteSource {
  public:
    std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const override {
        for (std::size_t i = 0; i < kEmbeddedPictureCount; ++i) {
            if (name == kEmbeddedPictures[i].Name) {
                return std::span(kEmbeddedPictures[i].Data, kEmbeddedPictures[i].Size);
            }
        }
        return std::nullopt;
    }
};

}  // namespace

const SpriteSource& EmbeddedSprites() {
    static const EmbeddedSpriteSource source;
    return source;
}

}  // namespace quillop
