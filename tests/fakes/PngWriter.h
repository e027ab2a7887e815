// Small PNG files made by the tests themselves.
#pragma once

#include <cstdint>
#include <vector>

namespace quillop::testing {

// Encodes 8-bit samples (channels per pixel as the colour type says) into a PNG file.
std::vector<std::uint8_t> WritePng(int width, int height, int colorType,
                                   const std::vector<std::uint8_t>& samples);

// A width x height RGBA picture filled with one straight (not premultiplied) colour.
std::vector<std::uint8_t> SolidRgbaPng(int width, int height, std::uint8_t r, std::uint8_t g,
                                       std::uint8_t b, std::uint8_t a);

}  // namespace quillop::testing
