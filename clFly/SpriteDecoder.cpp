#include "clFly/SpriteDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace quillop {

namespace {

// What libpng's callbacks share: the bytes being read and the last error message.
struct ReadState {
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position;
    char Message[256];
};

// Feeds libpng from memory; reading past the end is an error of the file.
void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > state->Size - state->Position) {
        png_error(png, "Read Error");
    }
    std::memcpy(out, state->Data + state->Position, length);
    state->Position += length;
}

// Keeps libpng's message and returns to the setjmp point of DecodeRows.
[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    std::snprintf(state->Message, sizeof state->Message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The largest sprite accepted, and the largest chunk of data read into memory whole.
constexpr png_uint_32 kMaxSpriteSide = 256;
constexpr png_alloc_size_t kMaxChunkBytes = 64 * 1024;

// Holds libpng to what a sprite needs, so that a small hostile file cannot make it allocate
// much: the picture's size is limited, a chunk claiming more data than a sprite ever holds is
// refused in its header, and the chunks a sprite does not use (text, colour profiles, and the
// like) are passed over instead of being kept.
void LimitToSprites(png_structp png) {
    png_set_user_limits(png, kMaxSpriteSide, kMaxSpriteSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // NOTE: libpng only warns of a chunk that is too large and then allocates it all the same;
    // as errors, such faults refuse the file.
    png_set_benign_errors(png, 0);
    static const png_byte kTransparency[] = "tRNS";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kTransparency, 1);
}

struct Decoded {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int ColorType = 0;
};

// Decodes into BGRA rows held by the caller. NOTE: libpng reports errors with longjmp, so this
// frame holds no object with a destructor; everything that owns memory lives in the caller.
bool DecodeRows(ReadState& state, std::vector<std::uint8_t>& pixels, std::vector<png_bytep>& rows,
                Decoded& out) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(state.Message, sizeof state.Message, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(state.Message, sizeof state.Message, "Out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &state, ReadFromMemory);
    LimitToSprites(png);
    png_read_info(png, info);
    out.Width = png_get_image_width(png, info);
    out.Height = png_get_image_height(png, info);
    out.ColorType = png_get_color_type(png, info);
    png_set_strip_16(png);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if ((out.ColorType & PNG_COLOR_MASK_ALPHA) == 0) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != out.Width * 4u) {
        png_error(png, "Unsupported pixel format");
    }
    pixels.resize(static_cast<std::size_t>(out.Width) * out.Height * 4);
    rows.resize(out.Height);
    for (png_uint_32 y = 0; y < out.Height; ++y) {
        rows[y] = pixels.data() + static_cast<std::size_t>(y) * out.Width * 4;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

Sprite DecodeSprite(std::span<const std::uint8_t> png) {
    ReadState state{png.data(), png.size(), 0, {}};
    Sprite sprite;
    std::vector<png_bytep> rows;
    Decoded decoded;
    if (!DecodeRows(state, sprite.Pixels, rows, decoded)) {
        throw Failure(state.Message);
    }
    sprite.Width = static_cast<int>(decoded.Width);
    sprite.Height = static_cast<int>(decoded.Height);
    sprite.ColorType = decoded.ColorType;
    std::uint8_t* p = sprite.Pixels.data();
    for (std::size_t i = 0; i < sprite.Pixels.size(); i += 4) {
        const std::uint8_t alpha = p[i + 3];
        p[i] = Premultiply(p[i], alpha);
        p[i + 1] = Premultiply(p[i + 1], alpha);
        p[i + 2] = Premultiply(p[i + 2], alpha);
    }
    return sprite;
}

std::string SpriteName(int direction, int frame) {
    // Every step asks for a name: the one-digit names of the fly set are built directly.
    if (direction >= 0 && direction <= 9 && frame >= 0 && frame <= 9) {
        return {static_cast<char>('0' + direction), '_', static_cast<char>('0' + frame)};
    }
    return std::to_string(direction) + "_" + std::to_string(frame);
}

}  // namespace quillop
