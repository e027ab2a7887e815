// A sprite source that answers every name with the same solid 60 x 60 picture.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "clFly/SpriteSource.h"
#include "fakes/PngWriter.h"

namespace quillop::testing {

struct OneSprite final : SpriteSource {
    std::optional<std::span<const std::uint8_t>> Find(std::string_view) const override {
        return std::span(picture);
    }
    std::vector<std::uint8_t> picture = SolidRgbaPng(60, 60, 1, 2, 3, 255);
};

}  // namespace quillop::testing
