// The sizes a fly is drawn at: the desktop's scale, snapped to one the pictures are made for,
// and the pictures of the scales between 1x and 2x, made from the 2x set.
#pragma once

#include <string>
#include <string_view>

#include "clFly/SpriteDecoder.h"

namespace quillop {

// The scales a fly is shown at, smallest first.
constexpr double kFlyScales[] = {1.0, 1.25, 1.5, 1.75, 2.0};
constexpr int kFlyScaleCount = sizeof kFlyScales / sizeof kFlyScales[0];

// The side of the 1x pictures, in pixels.
constexpr int kSpriteSide = 60;

// The fly's scale for a desktop that shows `ratio` device pixels per logical pixel: the
// nearest scale of kFlyScales (a tie goes to the smaller), 1 below it and for nonsense, 2 above.
double FlyScaleFor(double ratio);

// The desktop's ratio after its dots per inch changed from `before` to `after` while the
// program ran: the ratio at the start times the change, so that a factor of the user's own
// (QT_SCALE_FACTOR) stays; the ratio unchanged when either is unknown (0).
double RatioAfterDpiChange(double ratio, double before, double after);

// Where a scale of kFlyScales stands in the list; 0 for any other value.
int FlyScaleIndex(double scale);

// The name of a picture's source at a scale: the 1x name itself, "name@2x" for every other
// scale (the scales between are made from the 2x picture).
std::string ScaledSourceName(std::string_view name, double scale);

// A premultiplied picture shrunk to width x height by averaging the area each new pixel
// covers. Averaging premultiplied samples keeps every colour within its alpha, so soft edges
// neither darken nor brighten.
Sprite ResampleSprite(const Sprite& from, int width, int height);

}  // namespace quillop
