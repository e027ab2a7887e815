#include <cmath>
#include <numbers>
#include <vector>

#include "Fly.h"

namespace spritegen {

namespace {

// One left leg at rest: hip, knee, ankle and the tip of the foot. Right legs are mirrored.
struct LegShape {
    Vec2 hip, knee, ankle, toe;
    double reach;  // swing angle in radians at full swing
};

constexpr LegShape kLegs[3] = {
    {{8.1, -2.4}, {10.5, -5.6}, {13.9, -7.9}, {15.6, -8.6}, 0.24},
    {{5.0, -2.8}, {4.7, -7.3}, {1.8, -11.2}, {0.7, -12.7}, 0.28},
    {{2.6, -2.4}, {-0.1, -7.4}, {-5.8, -11.0}, {-7.6, -11.8}, 0.22},
};

// Turns point q around centre by angle a (screen-like axes, y to the right of the fly).
Vec2 Turn(Vec2 q, Vec2 centre, double a) {
    const Vec2 d = q - centre;
    return {centre.x + d.x * std::cos(a) - d.y * std::sin(a),
            centre.y + d.x * std::sin(a) + d.y * std::cos(a)};
}

}  // namespace

LegPose WalkPose(int frame) {
    // Each tripod swings forward in two frame steps and pushes back in four, so both
    // tripods stand on the ground for a moment between swings.
    constexpr double kTripodA[6] = {-1.0, 0.0, 1.0, 0.5, 0.0, -0.5};
    const double a = kTripodA[(frame - 1) % 6];
    const double b = kTripodA[(frame + 2) % 6];
    LegPose pose;
    pose.swing = {a, b, a, b, a, b};  // L1 L2 L3 R1 R2 R3
    return pose;
}

void DrawLegs(Raster& r, const Placement& p, const LegPose& pose, const FlyStyle& style) {
    const Color femur = Rgb(48, 42, 37);
    const Color tibia = Rgb(36, 32, 29);
    const Color tarsus = Rgb(26, 23, 21);
    for (int side = 0; side < 2; ++side) {
        const double mirror = side == 0 ? 1.0 : -1.0;
        for (int i = 0; i < 3; ++i) {
            const LegShape& leg = kLegs[i];
            const auto place = [&](Vec2 q) { return Vec2{q.x, q.y * mirror}; };
            const double swing = pose.swing[side * 3 + i];
            // Positive angles bring a left foot forward; the right side turns the other way.
            const double a = swing * leg.reach * mirror;
            const Vec2 hip = place(leg.hip);
            const Vec2 knee = Turn(place(leg.knee), hip, a);
            const Vec2 ankle = Turn(Turn(place(leg.ankle), hip, a), knee, 0.35 * a);
            Vec2 toe = Turn(Turn(place(leg.toe), hip, a), knee, 0.35 * a);
            toe = ankle + (toe - ankle) * style.tarsusLength;
            const double w = style.legWidth;
            PaintCapsule(r, p, hip, knee, 0.52 * w, femur);
            PaintCapsule(r, p, knee, ankle, 0.36 * w, tibia);
            PaintCapsule(r, p, ankle, toe, 0.28 * w, tarsus);
        }
    }
}

namespace {

// The outline of a wing: its length, its greatest width, the bulge of its middle line
// towards the inside.
constexpr double kWingLength = 19.0;
constexpr double kWingWidth = 6.4;
constexpr Vec2 kWingBase{4.4, 1.4};
constexpr double kWingAngle = 0.27;  // radians away from the body axis

// Half the width of the wing at t = 0..1 along it.
double WingHalfWidth(double t) {
    if (t <= 0.0 || t >= 1.0) {
        return 0.0;
    }
    return 0.5 * kWingWidth * std::pow(std::sin(std::numbers::pi * std::pow(t, 1.3)), 0.55);
}

// The wing's middle line at t, towards the leading (outer) edge when positive.
double WingMiddle(double t) {
    return -0.5 * std::sin(std::numbers::pi * t);
}

// Veins as (t along the wing, s across it from -1 trailing to 1 leading edge).
const std::vector<std::vector<Vec2>> kVeins = {
    {{0.03, 0.3}, {0.2, 0.62}, {0.4, 0.95}, {0.44, 1.05}},                 // R1
    {{0.03, 0.2}, {0.3, 0.42}, {0.6, 0.6}, {0.8, 0.8}, {0.85, 1.05}},      // R2+3
    {{0.04, 0.08}, {0.35, 0.18}, {0.7, 0.26}, {0.95, 0.25}, {1.0, 0.22}},  // R4+5
    {{0.05, -0.05}, {0.35, -0.14}, {0.6, -0.3}, {0.74, -0.38}, {0.88, -0.05}, {0.985, 0.1}},  // M
    {{0.04, -0.2}, {0.3, -0.46}, {0.55, -0.74}, {0.7, -1.05}},  // CuA1
    {{0.03, -0.3}, {0.18, -0.78}, {0.25, -1.05}},               // A1
    {{0.42, 0.2}, {0.42, -0.16}},                               // r-m
    {{0.64, -0.32}, {0.61, -0.8}},                              // dm-cu
};

// The veins turned into polylines in wing coordinates (u along, v across).
std::vector<std::vector<Vec2>> VeinLines() {
    std::vector<std::vector<Vec2>> lines;
    for (const auto& vein : kVeins) {
        std::vector<Vec2> line;
        for (std::size_t i = 1; i < vein.size(); ++i) {
            for (int k = 0; k < 8; ++k) {
                const double f = k / 8.0;
                const Vec2 ts = vein[i - 1] + (vein[i] - vein[i - 1]) * f;
                const double t = std::min(ts.x, 0.999);
                line.push_back({t * kWingLength, WingMiddle(t) + ts.y * WingHalfWidth(t)});
            }
        }
        const Vec2 end = vein.back();
        const double t = std::min(end.x, 0.999);
        line.push_back({t * kWingLength, WingMiddle(t) + end.y * WingHalfWidth(t)});
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

void DrawWings(Raster& r, const Placement& p, const FlyStyle& style) {
    const auto veins = VeinLines();
    for (double side : {-1.0, 1.0}) {
        const Vec2 base{kWingBase.x, kWingBase.y * side};
        const Vec2 along{-std::cos(kWingAngle), side * std::sin(kWingAngle)};
        const Vec2 across{side * along.y, -side * along.x};  // towards the outer edge
        const Vec2 lo{base.x - kWingLength - 1, side < 0 ? -12.0 : -4.0};
        const Vec2 hi{base.x + 1, side < 0 ? 4.0 : 12.0};
        Paint(r, p, lo, hi, [&](Vec2 q, Color& out) {
            const Vec2 d = q - base;
            const double u = d.x * along.x + d.y * along.y;
            const double v = d.x * across.x + d.y * across.y;
            const double t = u / kWingLength;
            const double half = WingHalfWidth(t);
            const double off = v - WingMiddle(t);
            if (half <= 0.0 || std::abs(off) > half) {
                return false;
            }
            const double edge = half - std::abs(off);
            const double smoke = std::pow(1.0 - t, 3.0);
            out = Rgb(206, 210, 216, style.wingAlpha * (1.0 + 0.8 * smoke));
            out = Mix(out, Rgb(120, 110, 96, out.a), 0.5 * smoke);
            const bool costa = off > 0 && t < 0.8 && edge < 0.36;
            if (edge < style.wingEdgeWidth || costa) {
                out = Rgb(74, 66, 58, style.wingEdgeAlpha);
            }
            if (style.detail) {
                for (const auto& line : veins) {
                    if (PolylineDistance({u, v}, line) < style.veinWidth) {
                        out = Rgb(70, 58, 48, 0.6);
                        break;
                    }
                }
            }
            return true;
        });
    }
}

}  // namespace spritegen
