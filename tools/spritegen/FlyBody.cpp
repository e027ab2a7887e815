#include <cmath>

#include "Fly.h"

namespace spritegen {

namespace {

// Where the body parts sit, in fly units.
constexpr Vec2 kAbdomen{-4.4, 0};
constexpr double kAbdomenRx = 7.2, kAbdomenRy = 4.3;
constexpr Vec2 kThorax{5.6, 0};
constexpr double kThoraxRx = 4.4, kThoraxRy = 4.1;
constexpr Vec2 kScutellum{1.3, 0};
constexpr Vec2 kHead{12.0, 0};
constexpr double kHeadRx = 2.8, kHeadRy = 4.1;

// Posterior edges of the four visible abdominal segments.
constexpr double kSegmentEdges[] = {0.6, -2.6, -5.6, -8.6};

// The abdomen: grey with a dark middle line, dark segment edges, silvery patches that
// alternate like a chequerboard and yellowish-brown sides at the front.
void DrawAbdomen(Raster& r, const Placement& p, const FlyStyle& style) {
    const Vec2 lo{kAbdomen.x - kAbdomenRx, -kAbdomenRy};
    const Vec2 hi{kAbdomen.x + kAbdomenRx, kAbdomenRy};
    Paint(r, p, lo, hi, [&](Vec2 q, Color& out) {
        const Vec2 n{(q.x - kAbdomen.x) / kAbdomenRx, q.y / kAbdomenRy};
        if (n.x * n.x + n.y * n.y > 1.0) {
            return false;
        }
        Color c = Rgb(88, 82, 74);
        const double side = SmoothStep(0.40, 0.80, std::abs(n.y));
        const double front = 1.0 - SmoothStep(-4.5, -8.5, q.x);
        c = Mix(c, Rgb(170, 134, 80), 0.8 * side * front);
        if (style.detail) {
            int segment = 0;
            for (double edge : kSegmentEdges) {
                segment += q.x < edge ? 1 : 0;
            }
            if ((segment + (q.y > 0 ? 1 : 0)) % 2 == 0) {
                c = Mix(c, Rgb(156, 152, 142), 0.45 * (1.0 - side));
            }
            const double middle = 1.0 - SmoothStep(0.3, 0.75, std::abs(q.y));
            c = Mix(c, Rgb(34, 31, 29), 0.8 * middle);
            for (double edge : kSegmentEdges) {
                const double d = edge - q.x;
                if (d >= 0 && d < 0.6) {
                    c = Mix(c, Rgb(30, 27, 25), 0.75);
                }
            }
            c = Scaled(c, 0.88 + 0.24 * SmoothNoise(q, 0.55, 11));
        }
        out = Shade(c, DomeShading(p, n, 0.75, 0.25));
        out.a = 1;
        return true;
    });
}

// The scutellum: the rounded shield behind the thorax.
void DrawScutellum(Raster& r, const Placement& p) {
    const double rx = 1.9, ry = 2.4;
    Paint(r, p, {kScutellum.x - rx, -ry}, {kScutellum.x + rx, ry}, [&](Vec2 q, Color& out) {
        const Vec2 n{(q.x - kScutellum.x) / rx, q.y / ry};
        if (n.x * n.x + n.y * n.y > 1.0) {
            return false;
        }
        Color c = Mix(Rgb(104, 102, 95), Rgb(52, 50, 47), SmoothStep(0.3, 1.0, -n.x));
        out = Shade(c, DomeShading(p, n, 0.6, 0.2));
        out.a = 1;
        return true;
    });
}

// The thorax: broad, nearly square, ash grey with four dark lengthwise stripes.
void DrawThorax(Raster& r, const Placement& p, const FlyStyle& style) {
    const Vec2 lo{kThorax.x - kThoraxRx, -kThoraxRy};
    const Vec2 hi{kThorax.x + kThoraxRx, kThoraxRy};
    Paint(r, p, lo, hi, [&](Vec2 q, Color& out) {
        const Vec2 n{(q.x - kThorax.x) / kThoraxRx, q.y / kThoraxRy};
        const double e = 2.6;
        if (std::pow(std::abs(n.x), e) + std::pow(std::abs(n.y), e) > 1.0) {
            return false;
        }
        Color c = Rgb(140, 138, 128);
        const double y = std::abs(q.y);
        const auto stripe = [&](double centre, double half, double from, double to) {
            const double across = 1.0 - SmoothStep(half - 0.12, half + 0.12, std::abs(y - centre));
            const double along = SmoothStep(from - 0.4, from + 0.4, q.x) *
                                 (1.0 - SmoothStep(to - 0.4, to + 0.4, q.x));
            return across * along;
        };
        const double stripes =
            style.detail ? std::max(stripe(0.85, 0.42, 1.6, 9.8), stripe(2.45, 0.5, 2.2, 9.2))
                         : stripe(1.4, 0.8, 1.8, 9.6);
        c = Mix(c, Rgb(28, 27, 28), 0.9 * stripes);
        c = Mix(c, Rgb(80, 78, 72), SmoothStep(0.85, 1.0, std::abs(n.y)));
        if (style.detail) {
            c = Scaled(c, 0.95 + 0.1 * SmoothNoise(q, 0.7, 23));
        }
        out = Shade(c, DomeShading(p, {n.x * 0.9, n.y * 0.9}, 0.7, 0.3));
        out.a = 1;
        return true;
    });
}

// The head: two large red-brown compound eyes that follow the outline of the head, a dark
// stripe between them on a silvery face and a grey rim behind them.
void DrawHead(Raster& r, const Placement& p, const FlyStyle& style) {
    const double eyeRx = 2.6 * style.eyeScale, eyeRy = 2.4 * style.eyeScale;
    const double eyeY = 2.1 * style.eyeScale;
    const double frons = 0.72 / style.eyeScale;
    Paint(r, p, {kHead.x - kHeadRx, -kHeadRy}, {kHead.x + kHeadRx, kHeadRy},
          [&](Vec2 q, Color& out) {
              const Vec2 n{(q.x - kHead.x) / kHeadRx, q.y / kHeadRy};
              if (n.x * n.x + n.y * n.y > 1.0) {
                  return false;
              }
              const Vec2 eyeCentre{kHead.x + 0.35, q.y < 0 ? -eyeY : eyeY};
              const Vec2 e{(q.x - eyeCentre.x) / eyeRx, (q.y - eyeCentre.y) / eyeRy};
              const double e2 = e.x * e.x + e.y * e.y;
              if (e2 <= 1.0 && std::abs(q.y) > frons) {
                  Color c = Rgb(128, 40, 28);
                  if (style.detail) {
                      c = Scaled(c, 0.9 + 0.2 * SmoothNoise(q, 0.3, 37));
                  }
                  c = Mix(c, Rgb(84, 24, 16), SmoothStep(0.5, 1.0, e2));
                  const Shading head = DomeShading(p, n, 0.8, 0.0);
                  const Shading eye = DomeShading(p, e, 1.0, 0.35);
                  out = Shade(c, {0.5 * (head.factor + eye.factor), eye.highlight});
                  out.a = 1;
                  return true;
              }
              Color c = Rgb(176, 172, 160);
              c = Mix(c, Rgb(36, 28, 24), 1.0 - SmoothStep(0.3, 0.5, std::abs(q.y)));
              c = Mix(c, Rgb(64, 61, 57), SmoothStep(-0.1, -0.6, n.x));
              out = Shade(c, DomeShading(p, n, 0.8, 0.2));
              out.a = 1;
              return true;
          });
    // The short antennae lie in a groove at the front of the face.
    const Color antenna = Rgb(96, 70, 52);
    for (double side : {-1.0, 1.0}) {
        PaintCapsule(r, p, {kHead.x + 1.7, side * 0.38}, {kHead.x + 2.55, side * 0.5}, 0.3,
                     antenna);
    }
}

// Short black bristles on the thorax, scutellum and abdomen tip.
void DrawBristles(Raster& r, const Placement& p) {
    struct Bristle {
        Vec2 from, to;
    };
    const Bristle bristles[] = {
        {{9.0, 3.6}, {8.3, 4.6}},     {{6.9, 3.95}, {6.0, 4.9}}, {{4.4, 3.9}, {3.5, 4.8}},
        {{2.6, 3.3}, {1.6, 4.1}},     {{0.1, 1.1}, {-1.0, 1.5}}, {{-10.8, 2.2}, {-11.8, 2.9}},
        {{-11.5, 0.9}, {-12.6, 1.2}},
    };
    Random random(0x2545f491u);
    const Color black = Rgb(20, 18, 17, 0.9);
    for (const Bristle& b : bristles) {
        for (double side : {-1.0, 1.0}) {
            const Vec2 jitter{random.Between(-0.15, 0.15), random.Between(-0.15, 0.15)};
            const Vec2 from{b.from.x, side * b.from.y};
            const Vec2 to{b.to.x + jitter.x, side * b.to.y + jitter.y};
            PaintCapsule(r, p, from, to, 0.13, black);
        }
    }
}

}  // namespace

void DrawBody(Raster& r, const Placement& p, const FlyStyle& style) {
    DrawAbdomen(r, p, style);
    DrawScutellum(r, p);
    DrawThorax(r, p, style);
    DrawHead(r, p, style);
    if (style.detail) {
        DrawBristles(r, p);
    }
}

void DrawFly(Raster& r, const Placement& p, const LegPose& pose, const FlyStyle& style) {
    DrawLegs(r, p, pose, style);
    DrawBody(r, p, style);
    DrawWings(r, p, style);
}

}  // namespace spritegen
