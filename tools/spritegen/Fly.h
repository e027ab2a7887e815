// The house fly drawn from above, in its own coordinates: x points from the tail to the
// head, y to the fly's right, one unit is one pixel of a 60 x 60 sprite.
#pragma once

#include <array>

#include "Paint.h"
#include "Raster.h"

namespace spritegen {

// How boldly the fly is drawn: fine detail for sprites, heavier strokes for tiny icons.
struct FlyStyle {
    double legWidth = 1.0;      // multiplies the thickness of the legs
    double tarsusLength = 1.0;  // multiplies the length of the feet
    bool detail = true;         // thorax stripes, abdomen pattern, wing veins, bristles
    double wingAlpha = 0.26;    // opacity of the wing membrane
    double wingEdgeAlpha = 0.5;
    double wingEdgeWidth = 0.2;
    double veinWidth = 0.16;
    double eyeScale = 1.0;  // multiplies the size of the compound eyes
};

// Swing of each leg from -1 (foot back) to 1 (foot forward); order L1 L2 L3 R1 R2 R3.
struct LegPose {
    std::array<double, 6> swing{};
};

// The leg positions of walking frame 1..6: an alternating tripod gait in which L1, R2, L3
// swing while R1, L2, R3 push, then the other way round. Frames 2 and 5 are the moments
// when all feet pass their middle position.
LegPose WalkPose(int frame);

// The six legs, drawn first so the body covers their roots.
void DrawLegs(Raster& r, const Placement& p, const LegPose& pose, const FlyStyle& style);

// Abdomen, thorax, head and bristles.
void DrawBody(Raster& r, const Placement& p, const FlyStyle& style);

// The two wings folded back over the abdomen, drawn last.
void DrawWings(Raster& r, const Placement& p, const FlyStyle& style);

// Legs, body and wings in that order.
void DrawFly(Raster& r, const Placement& p, const LegPose& pose, const FlyStyle& style);

}  // namespace spritegen
