#include "fakes/PngWriter.h"

#include <png.h>

#include <stdexcept>

namespace quillop::testing {

namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

int Channels(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        default:
            return 4;
    }
}

}  // namespace

std::vector<std::uint8_t> WritePng(int width, int height, int colorType,
                                   const std::vector<std::uint8_t>& samples) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("writing a test PNG failed");
    }
    png_set_write_fn(png, &out, AppendToVector, FlushNothing);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int stride = width * Channels(colorType);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, const_cast<png_bytep>(samples.data() + y * stride));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<std::uint8_t> SolidRgbaPng(int width, int height, std::uint8_t r, std::uint8_t g,
                                       std::uint8_t b, std::uint8_t a) {
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < width * height; ++i) {
        samples.insert(samples.end(), {r, g, b, a});
    }
    return WritePng(width, height, PNG_COLOR_TYPE_RGBA, samples);
}

}  // namespace quillop::testing
