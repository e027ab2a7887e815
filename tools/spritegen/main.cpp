// Draws Quillop's artwork into a source tree: the 48 fly sprites at 1x and 2x, the icons and the
// review sheet. Usage: spritegen <repository root>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Icons.h"
#include "PngFile.h"
#include "Sheet.h"
#include "Sprites.h"

using namespace spritegen;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    try {
        std::vector<Raster> sheet;
        for (const int scale : kSpriteScales) {
            for (int d = 1; d <= kDirections; ++d) {
                for (int f = 1; f <= kFrames; ++f) {
                    Raster sprite = RenderSprite(d, f, scale);
                    const std::vector<std::uint8_t> rgba = sprite.ToRgba8();
                    WriteFile(root + "/resources/" + SpriteFileName(d, f, scale) + ".png",
                              EncodePng(sprite.Width(), sprite.Height(), rgba));
                    if (scale == 1) {
                        sheet.push_back(Raster::FromRgba8(sprite.Width(), sprite.Height(), rgba));
                    }
                }
            }
        }
        WriteIcons(root + "/resources");
        const Raster review = ReviewSheet(sheet);
        WriteFile(root + "/docs/sprites.png",
                  EncodePng(review.Width(), review.Height(), review.ToRgba8()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spritegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
