// Draws Quillop's artwork into a source tree: the 48 fly sprites, the icons and the review
// sheet. Usage: spritegen <repository root>
#include <cstdio>
#include <exception>
#include <string>

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
        std::vector<Raster> sprites;
        for (int d = 1; d <= kDirections; ++d) {
            for (int f = 1; f <= kFrames; ++f) {
                Raster sprite = RenderSprite(d, f);
                const std::string name = std::to_string(d) + "_" + std::to_string(f);
                WriteFile(root + "/resources/" + name + ".png",
                          EncodePng(sprite.Width(), sprite.Height(), sprite.ToRgba8()));
                sprites.push_back(
                    Raster::FromRgba8(sprite.Width(), sprite.Height(), sprite.ToRgba8()));
            }
        }
        WriteIcons(root + "/resources");
        const Raster sheet = ReviewSheet(sprites);
        WriteFile(root + "/docs/sprites.png",
                  EncodePng(sheet.Width(), sheet.Height(), sheet.ToRgba8()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spritegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
