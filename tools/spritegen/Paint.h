// Shapes in a figure's own coordinates, placed on a raster by a rotation and scale.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "Raster.h"

namespace spritegen {

struct Vec2 {
    double x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double k) {
    return {a.x * k, a.y * k};
}

// Places a figure's own coordinates (x forward, y to its right) on a raster: raster
// position = origin + scale * rotation(heading) * local.
struct Placement {
    Vec2 origin;
    double cosH = 1, sinH = 0;
    double scale = 1;

    // A placement whose heading is the direction of (dx, dy) on screen (y down), with the
    // local point pivot landing on the raster point at.
    static Placement Heading(double dx, double dy, double scale, Vec2 pivot, Vec2 at);

    Vec2 ToRaster(Vec2 p) const {
        return {origin.x + scale * (cosH * p.x - sinH * p.y),
                origin.y + scale * (sinH * p.x + cosH * p.y)};
    }
    Vec2 ToLocal(Vec2 q) const {
        const double dx = (q.x - origin.x) / scale;
        const double dy = (q.y - origin.y) / scale;
        return {cosH * dx + sinH * dy, -sinH * dx + cosH * dy};
    }
    // A local direction turned into screen axes (no scaling).
    Vec2 ToScreenDir(Vec2 d) const { return {cosH * d.x - sinH * d.y, sinH * d.x + cosH * d.y}; }
};

// Decides the colour of one point of a shape given in local coordinates; false when the
// point lies outside the shape.
using Shader = std::function<bool(Vec2 local, Color& out)>;

// Paints a shape whose local bounding box is lo..hi: every raster pixel centre that the
// shader claims is composited over with the shader's colour.
void Paint(Raster& r, const Placement& p, Vec2 lo, Vec2 hi, const Shader& shader);

// Paints a round-ended line of the given radius from a to b in one colour.
void PaintCapsule(Raster& r, const Placement& p, Vec2 a, Vec2 b, double radius, const Color& c);

// Distance from point q to the segment a..b.
double SegmentDistance(Vec2 q, Vec2 a, Vec2 b);

// Distance from point q to a polyline.
double PolylineDistance(Vec2 q, const std::vector<Vec2>& points);

// Brightness of a rounded (ellipsoid-like) surface at a point whose offset from the
// centre, divided by the radii, is n; the light comes from the upper left of the screen.
// flat < 1 makes the surface flatter. Returns a colour factor around 1 and a highlight.
struct Shading {
    double factor;
    double highlight;
};
Shading DomeShading(const Placement& p, Vec2 n, double flat, double gloss);

// Applies shading to a colour: multiplies by the factor and brightens towards white.
Color Shade(const Color& c, const Shading& s);

// A repeatable value in 0..1 for a grid cell, for surface texture.
double CellNoise(int x, int y, std::uint32_t salt);

// Smooth value noise in 0..1 over local coordinates with the given cell size.
double SmoothNoise(Vec2 q, double cell, std::uint32_t salt);

// A small random number generator whose starting state is fixed, so every run draws the
// same numbers.
class Random {
  public:
    explicit Random(std::uint32_t state) : state_(state) {}
    // The next number in 0..1.
    double Next();
    // The next number in lo..hi.
    double Between(double lo, double hi) { return lo + (hi - lo) * Next(); }

  private:
    std::uint32_t state_;
};

// Smooth step from 0 at e0 to 1 at e1.
double SmoothStep(double e0, double e1, double x);

}  // namespace spritegen
