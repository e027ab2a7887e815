#include "clFly/win32/ResourceSprites.h"

#include <string>

namespace quillop {

std::optional<std::span<const std::uint8_t>> ResourceSprites::Find(std::string_view name) const {
    const std::string key(name);
    HRSRC resource = FindResourceA(module_, key.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (resource == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module_, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return std::nullopt;
    }
    return std::span(static_cast<const std::uint8_t*>(data), SizeofResource(module_, resource));
}

}  // namespace quillop
