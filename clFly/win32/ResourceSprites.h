// The fly pictures as RCDATA resources of the executable.
#pragma once

#include <windows.h>

#include "clFly/SpriteSource.h"

namespace quillop {

// Finds each picture as the raw-data resource of its name in the given module.
class ResourceSprites final : public SpriteSource {
  public:
    explicit ResourceSprites(HMODULE module) : module_(module) {}
    std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const override;

  private:
    HMODULE module_;
};

}  // namespace quillop
