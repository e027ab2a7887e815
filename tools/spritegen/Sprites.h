// The 48 walking sprites: 8 directions, 6 frames each.
#pragma once

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

// Draws the sprite of direction 1..8 and frame 1..6 at its final 60 x 60 size.
Raster RenderSprite(int direction, int frame);

}  // namespace spritegen
