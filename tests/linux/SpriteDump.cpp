// The fly's pictures as the program draws them at a scale, over an opaque colour and cut to the
// pixels that differ from it, for end-to-end tests to find in screenshots: DIR/NAME.rgb (rows of
// 8-bit red, green, blue) and on stdout a line "NAME WIDTH HEIGHT" for each.
//
// Usage: quillop_spritedump SCALE RRGGBB DIR
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clFly/SpriteCache.h"
#include "resources/EmbeddedSprites.h"

using namespace quillop;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SCALE RRGGBB DIR\n", argv[0]);
        return 2;
    }
    const double scale = std::atof(argv[1]);
    const unsigned long colour = std::strtoul(argv[2], nullptr, 16);
    const int below[3] = {static_cast<int>(colour >> 16 & 0xFF),
                          static_cast<int>(colour >> 8 & 0xFF), static_cast<int>(colour & 0xFF)};
    SpriteCache cache(EmbeddedSprites());
    for (int direction = 1; direction <= kDirections; ++direction) {
        for (int frame = 1; frame <= kFrames; ++frame) {
            const std::string name = SpriteName(direction, frame);
            const Sprite& picture = cache.Get(name, scale).Picture;
            // Premultiplied blue, green, red, alpha over the colour, as red, green, blue.
            std::vector<unsigned char> rgb;
            for (std::size_t i = 0; i + 3 < picture.Pixels.size(); i += 4) {
                const int rest = 255 - picture.Pixels[i + 3];
                for (int c = 0; c < 3; ++c) {
                    const int over = picture.Pixels[i + 2 - c] + (below[c] * rest + 127) / 255;
                    rgb.push_back(static_cast<unsigned char>(over));
                }
            }
            int left = picture.Width, top = picture.Height, right = 0, bottom = 0;
            for (int y = 0; y < picture.Height; ++y) {
                for (int x = 0; x < picture.Width; ++x) {
                    const unsigned char* p =
                        &rgb[(static_cast<std::size_t>(y) * picture.Width + x) * 3];
                    if (p[0] != below[0] || p[1] != below[1] || p[2] != below[2]) {
                        left = std::min(left, x);
                        right = std::max(right, x + 1);
                        top = std::min(top, y);
                        bottom = y + 1;
                    }
                }
            }
            const std::string path = std::string(argv[3]) + "/" + name + ".rgb";
            FILE* file = std::fopen(path.c_str(), "wb");
            if (file == nullptr || right <= left) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
            for (int y = top; y < bottom; ++y) {
                std::fwrite(&rgb[(static_cast<std::size_t>(y) * picture.Width + left) * 3], 1,
                            static_cast<std::size_t>(right - left) * 3, file);
            }
            std::fclose(file);
            std::printf("%s %d %d\n", name.c_str(), right - left, bottom - top);
        }
    }
    return 0;
}
