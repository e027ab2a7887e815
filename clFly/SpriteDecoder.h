// Decoding of the fly pictures: PNG bytes in memory to premultiplied 32-bit pixels.
//
// Errors: a picture that cannot be decoded throws Failure with libpng's message; the fly's
// handlers catch it and show it through the default error handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "clFly/Failure.h"

namespace quillop {

// One decoded picture: 4 bytes a pixel (blue, green, red, alpha), colour premultiplied by
// alpha, rows top to bottom.
struct Sprite {
    int Width = 0;
    int Height = 0;
    int ColorType = 0;  // the PNG's own colour type
    std::vector<std::uint8_t> Pixels;
};

// Decodes a whole PNG file held in memory. Throws Failure with libpng's message when the
// bytes are not a picture libpng can read.
Sprite DecodeSprite(std::span<const std::uint8_t> png);

// Premultiplies one colour sample by alpha with truncating division.
constexpr std::uint8_t Premultiply(std::uint8_t sample, std::uint8_t alpha) {
    return static_cast<std::uint8_t>(alpha * sample / 255);
}

}  // namespace quillop
