#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace spritegen {

Color Mix(const Color& x, const Color& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

Color Scaled(const Color& c, double k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}

Raster::Raster(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

void Raster::Over(int x, int y, const Color& straight, double coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    const double a = std::clamp(straight.a * coverage, 0.0, 1.0);
    Color& d = pixels_[Index(x, y)];
    const double keep = 1.0 - a;
    d.r = std::clamp(straight.r, 0.0, 1.0) * a + d.r * keep;
    d.g = std::clamp(straight.g, 0.0, 1.0) * a + d.g * keep;
    d.b = std::clamp(straight.b, 0.0, 1.0) * a + d.b * keep;
    d.a = a + d.a * keep;
}

void Raster::Composite(const Raster& src, int dx, int dy) {
    for (int y = 0; y < src.height_; ++y) {
        for (int x = 0; x < src.width_; ++x) {
            const int tx = x + dx;
            const int ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) {
                continue;
            }
            const Color& s = src.At(x, y);
            Color& d = pixels_[Index(tx, ty)];
            const double keep = 1.0 - s.a;
            d.r = s.r + d.r * keep;
            d.g = s.g + d.g * keep;
            d.b = s.b + d.b * keep;
            d.a = s.a + d.a * keep;
        }
    }
}

void Raster::Fill(const Color& straight) {
    for (Color& p : pixels_) {
        p = {straight.r * straight.a, straight.g * straight.a, straight.b * straight.a, straight.a};
    }
}

Raster Raster::Reduced(int factor) const {
    Raster out(width_ / factor, height_ / factor);
    const double n = static_cast<double>(factor) * factor;
    for (int y = 0; y < out.height_; ++y) {
        for (int x = 0; x < out.width_; ++x) {
            Color sum;
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    const Color& s = At(x * factor + i, y * factor + j);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            out.pixels_[out.Index(x, y)] = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
        }
    }
    return out;
}

Raster Raster::Enlarged(int factor) const {
    Raster out(width_ * factor, height_ * factor);
    for (int y = 0; y < out.height_; ++y) {
        for (int x = 0; x < out.width_; ++x) {
            out.pixels_[out.Index(x, y)] = At(x / factor, y / factor);
        }
    }
    return out;
}

namespace {

// One pass of a running-sum box blur along rows (step 1) or columns (step width).
void BoxPass(std::vector<double>& v, int count, int lines, int step, int lineStep, int radius) {
    std::vector<double> line(count);
    const double n = 2.0 * radius + 1.0;
    for (int l = 0; l < lines; ++l) {
        const int base = l * lineStep;
        for (int i = 0; i < count; ++i) {
            line[i] = v[base + i * step];
        }
        double sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            if (i >= 0 && i < count) {
                sum += line[i];
            }
        }
        for (int i = 0; i < count; ++i) {
            v[base + i * step] = sum / n;
            const int add = i + radius + 1;
            const int drop = i - radius;
            if (add < count) {
                sum += line[add];
            }
            if (drop >= 0) {
                sum -= line[drop];
            }
        }
    }
}

}  // namespace

Raster Raster::Shadow(int dx, int dy, int radius, double strength, const Color& tint) const {
    std::vector<double> alpha(pixels_.size(), 0.0);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const int sx = x - dx;
            const int sy = y - dy;
            if (sx >= 0 && sy >= 0 && sx < width_ && sy < height_) {
                alpha[Index(x, y)] = At(sx, sy).a;
            }
        }
    }
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(alpha, width_, height_, 1, width_, radius);
        BoxPass(alpha, height_, width_, width_, 1, radius);
    }
    Raster out(width_, height_);
    for (std::size_t i = 0; i < alpha.size(); ++i) {
        const double a = std::clamp(alpha[i] * strength, 0.0, 1.0);
        out.pixels_[i] = {tint.r * a, tint.g * a, tint.b * a, a};
    }
    return out;
}

std::vector<std::uint8_t> Raster::ToRgba8() const {
    std::vector<std::uint8_t> out(pixels_.size() * 4, 0);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const Color& p = pixels_[i];
        const int a = static_cast<int>(std::lround(std::clamp(p.a, 0.0, 1.0) * 255.0));
        if (a == 0) {
            continue;
        }
        const auto channel = [&](double c) {
            return static_cast<std::uint8_t>(std::lround(std::clamp(c / p.a, 0.0, 1.0) * 255.0));
        };
        out[i * 4 + 0] = channel(p.r);
        out[i * 4 + 1] = channel(p.g);
        out[i * 4 + 2] = channel(p.b);
        out[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return out;
}

Raster Raster::FromRgba8(int width, int height, const std::vector<std::uint8_t>& rgba) {
    Raster out(width, height);
    for (std::size_t i = 0; i < out.pixels_.size(); ++i) {
        const double a = rgba[i * 4 + 3] / 255.0;
        out.pixels_[i] = {rgba[i * 4] / 255.0 * a, rgba[i * 4 + 1] / 255.0 * a,
                          rgba[i * 4 + 2] / 255.0 * a, a};
    }
    return out;
}

}  // namespace spritegen
