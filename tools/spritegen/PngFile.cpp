#include "PngFile.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace spritegen {

namespace {

// Collects libpng's output in memory.
void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Runs libpng; false when libpng reported an error. Kept free of objects with destructors
// because libpng leaves by longjmp on errors.
bool RunEncoder(png_structp png, png_infop info, int width, int height, png_bytepp rows,
                std::vector<std::uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_compression_window_bits(png, 15);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> pixels = rgba;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows[y] = pixels.data() + static_cast<std::size_t>(y) * width * 4;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool ok = info && RunEncoder(png, info, width, height, rows.data(), &out);
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        throw std::runtime_error("libpng could not encode a picture");
    }
    return out;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        throw std::runtime_error("cannot write " + path);
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace spritegen
