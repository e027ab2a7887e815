// The 48 walking sprites: 8 directions, 6 frames each.
#pragma once

#include <string>

#include "Raster.h"

namespace spritegen {

constexpr int kSpriteSize = 60;
constexpr int kDirections = 8;
constexpr int kFrames = 6;

// The step on screen (x right, y down) along which the head of direction 1..8 points.
struct Step {
    double dx, dy;
};
Step DirectionStep(int direction);

// The scales the sprites are drawn at: 60 x 60 and 120 x 120.
constexpr int kSpriteScales[] = {1, 2};

// The file name (without ".png") of a sprite: "d_f" at 1x, "d_f@2x" at 2x.
std::string SpriteFileName(int direction, int frame, int scale);

// Draws the sprite of direction 1..8 and frame 1..6 at its final size, 60 x 60 times scale:
// the same drawing with every length multiplied by scale.
Raster RenderSprite(int direction, int frame, int scale = 1);

}  // namespace spritegen
