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

Raster RenderSprite(int direction, int frame) {
    const int size = kSpriteSize * kSupersample;
    const Step step = DirectionStep(direction);
    // The middle of the fly's length (head front to wing tips) sits a little up and left of
    // the sprite's centre, leaving room for the shadow.
    const Vec2 centre{28.5 * kSupersample, 28.5 * kSupersample};
    const Placement p =
        Placement::Heading(step.dx, step.dy, kSupersample * kFlyScale, {0.8, 0}, centre);
    Raster fly(size, size);
    DrawFly(fly, p, WalkPose(frame), FlyStyle{});
    Raster out = fly.Shadow(kShadowDx * kSupersample, kShadowDy * kSupersample, kSupersample,
                            kShadowStrength);
    out.Composite(fly);
    return out.Reduced(kSupersample);
}

}  // namespace spritegen
