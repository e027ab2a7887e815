// Writing pictures as PNG files that come out byte for byte the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spritegen {

// Encodes 8-bit straight RGBA pixels as a PNG (colour type 6, not interlaced, no time
// stamp, fixed compression settings).
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

// Writes bytes to a file, replacing it. Throws std::runtime_error on failure.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace spritegen
