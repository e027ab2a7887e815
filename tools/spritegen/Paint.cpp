#include "Paint.h"

#include <algorithm>
#include <cmath>

namespace spritegen {

Placement Placement::Heading(double dx, double dy, double scale, Vec2 pivot, Vec2 at) {
    Placement p;
    const double len = std::hypot(dx, dy);
    p.cosH = dx / len;
    p.sinH = dy / len;
    p.scale = scale;
    p.origin = {0, 0};
    const Vec2 moved = p.ToRaster(pivot);
    p.origin = at - moved;
    return p;
}

void Paint(Raster& r, const Placement& p, Vec2 lo, Vec2 hi, const Shader& shader) {
    const Vec2 corners[4] = {p.ToRaster(lo), p.ToRaster({hi.x, lo.y}), p.ToRaster(hi),
                             p.ToRaster({lo.x, hi.y})};
    double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec2& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(minX)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(minY)) - 1);
    const int x1 = std::min(r.Width() - 1, static_cast<int>(std::ceil(maxX)) + 1);
    const int y1 = std::min(r.Height() - 1, static_cast<int>(std::ceil(maxY)) + 1);
    Color c;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const Vec2 q = p.ToLocal({x + 0.5, y + 0.5});
            if (q.x < lo.x || q.y < lo.y || q.x > hi.x || q.y > hi.y) {
                continue;
            }
            if (shader(q, c)) {
                r.Over(x, y, c);
            }
        }
    }
}

double SegmentDistance(Vec2 q, Vec2 a, Vec2 b) {
    const Vec2 ab = b - a;
    const Vec2 aq = q - a;
    const double len2 = ab.x * ab.x + ab.y * ab.y;
    const double t = len2 > 0 ? std::clamp((aq.x * ab.x + aq.y * ab.y) / len2, 0.0, 1.0) : 0.0;
    const Vec2 d = aq - ab * t;
    return std::hypot(d.x, d.y);
}

double PolylineDistance(Vec2 q, const std::vector<Vec2>& points) {
    double best = 1e9;
    for (std::size_t i = 1; i < points.size(); ++i) {
        best = std::min(best, SegmentDistance(q, points[i - 1], points[i]));
    }
    return best;
}

void PaintCapsule(Raster& r, const Placement& p, Vec2 a, Vec2 b, double radius, const Color& c) {
    const Vec2 lo{std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius};
    const Vec2 hi{std::max(a.x, b.x) + radius, std::max(a.y, b.y) + radius};
    Paint(r, p, lo, hi, [&](Vec2 q, Color& out) {
        if (SegmentDistance(q, a, b) > radius) {
            return false;
        }
        out = c;
        return true;
    });
}

Shading DomeShading(const Placement& p, Vec2 n, double flat, double gloss) {
    const double r2 = std::min(1.0, n.x * n.x + n.y * n.y);
    const Vec2 s = p.ToScreenDir(n);
    double nx = s.x, ny = s.y, nz = std::sqrt(1.0 - r2) / std::max(flat, 1e-3);
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= len;
    ny /= len;
    nz /= len;
    // Light from the upper left and above; the half vector for the highlight.
    const double lx = -0.48, ly = -0.56, lz = 0.675;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    double hx = lx, hy = ly, hz = lz + 1.0;
    const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl;
    hy /= hl;
    hz /= hl;
    const double shine = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 28.0) * gloss;
    return {0.42 + 0.78 * diffuse, shine};
}

Color Shade(const Color& c, const Shading& s) {
    Color out = Scaled(c, s.factor);
    return Mix(out, {1, 1, 1, c.a}, std::clamp(s.highlight, 0.0, 1.0));
}

double CellNoise(int x, int y, std::uint32_t salt) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^
                      static_cast<std::uint32_t>(y) * 0xd8163841u ^ salt * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffffffu) / static_cast<double>(0x1000000);
}

double SmoothNoise(Vec2 q, double cell, std::uint32_t salt) {
    const double fx = q.x / cell + 1000.0;
    const double fy = q.y / cell + 1000.0;
    const int ix = static_cast<int>(std::floor(fx));
    const int iy = static_cast<int>(std::floor(fy));
    const double tx = SmoothStep(0, 1, fx - ix);
    const double ty = SmoothStep(0, 1, fy - iy);
    const double a = CellNoise(ix, iy, salt), b = CellNoise(ix + 1, iy, salt);
    const double c = CellNoise(ix, iy + 1, salt), d = CellNoise(ix + 1, iy + 1, salt);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

double Random::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return (state_ & 0xffffffu) / static_cast<double>(0x1000000);
}

double SmoothStep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace spritegen
