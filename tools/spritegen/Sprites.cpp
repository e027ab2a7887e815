#include "Sprites.h"

#include "Fly.h"
#include "Paint.h"

namespace spritegen {

namespace {

constexpr int kSupersample = 8;
// Screen offset and softness of the shadow, in sprite pixels.
constexpr int kShadowDx = 3, kShadowDy = 3;
constexpr double kShadowStrength = 0.42;
// Sprite pixels per fly unit.
constexpr double kFlyScale = 1.08;

}  // namespace

Step DirectionStep(int direction) {
    constexpr Step kSteps[kDirections] = {{-1.5, -3.0}, {1.0, -3.0}, {3.0, -2.0}, {2.5, 1.0},
                                          {2.0, 3.0},   {-1.0, 2.5}, {-3.0, 1.5}, {-3.0, -1.5}};
    return kSteps[direction - 1];
}

std::string SpriteFileName(int direction, int frame, int scale) {
    std::string name = std::to_string(direction) + "_" + std::to_string(frame);
    return scale == 1 ? name : name + "@" + std::to_string(scale) + "x";
}

Raster RenderSprite(int direction, int frame, int scale) {
    // Samples per sprite pixel stay the same at every scale, so each pixel of the larger
    // sprite is as finely drawn as one of the 60 x 60 set.
    const int ss = kSupersample * scale;
    const int size = kSpriteSize * ss;
    const Step step = DirectionStep(direction);
    // The middle of the fly's length (head front to wing tips) sits a little up and left of
    // the sprite's centre, leaving room for the shadow.
    const Vec2 centre{28.5 * ss, 28.5 * ss};
    const Placement p = Placement::Heading(step.dx, step.dy, ss * kFlyScale, {0.8, 0}, centre);
    Raster fly(size, size);
    DrawFly(fly, p, WalkPose(frame), FlyStyle{});
    Raster out = fly.Shadow(kShadowDx * ss, kShadowDy * ss, ss, kShadowStrength);
    out.Composite(fly);
    return out.Reduced(kSupersample);
}

}  // namespace spritegen
