// Where a picture shows on a display whose logical pixels are several device pixels each (a
// Wayland output's scale): the rectangles of its visible pixels, which take pointer input, in
// either kind of pixel, the logical places at which its device pixels stay whole, and the work
// area within an output.
#pragma once

#include <vector>

#include "clFly/FlyWindow.h"

namespace quillop {

// The rectangles that cover a picture's visible pixels (alpha > 0) in squares of `block` pixels
// (1: those pixels exactly): each row of squares as runs of the squares that hold one, a run
// repeated in the rows below taken into one rectangle.
std::vector<Rect> VisibleRects(const Sprite& picture, int block = 1);

// A rectangle of device pixels in the logical pixels of `scale` device pixels each, rounded
// outward so that it covers every device pixel of it.
Rect LogicalCover(Rect device, double scale);

// The rectangle around the visible rectangles, widened to whole cells of `cell` pixels counted
// from the picture's corner (so it may reach past the picture); empty for none.
Rect CellBounds(const std::vector<Rect>& visible, int cell);

// The fewest logical pixels that make a whole number of device pixels at `scale` (1 at a
// whole-number scale, 2 at 1.5, 4 at 1.25 and 1.75).
int LogicalGrid(double scale);

// The logical place nearest to a device position on the LogicalGrid, where a picture's
// corner falls on a whole device pixel and the picture shows unblurred.
Point LogicalPlace(Point device, double scale);

// The work area on an output, in its logical pixels from its corner: `area`, in pixels that
// are the outputs' logical pixels times `factor`, within the output at `origin` (logical) of
// `size`; the whole output when the two do not meet.
Rect WorkAreaOnOutput(const Rect& area, double factor, Point origin, Size size);

}  // namespace quillop
