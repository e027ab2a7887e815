#include "clFly/FlyScale.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace quillop {

double FlyScaleFor(double ratio) {
    if (!(ratio > kFlyScales[0])) {
        return kFlyScales[0];
    }
    if (ratio >= kFlyScales[kFlyScaleCount - 1]) {
        return kFlyScales[kFlyScaleCount - 1];
    }
    double best = kFlyScales[0];
    for (const double scale : kFlyScales) {
        if (std::fabs(ratio - scale) < std::fabs(ratio - best)) {
            best = scale;
        }
    }
    return best;
}

double RatioAfterDpiChange(double ratio, double before, double after) {
    return before > 0 && after > 0 ? ratio * after / before : ratio;
}

int FlyScaleIndex(double scale) {
    for (int i = 0; i < kFlyScaleCount; ++i) {
        if (kFlyScales[i] == scale) {
            return i;
        }
    }
    return 0;
}

std::string ScaledSourceName(std::string_view name, double scale) {
    return scale == 1.0 ? std::string(name) : std::string(name) + "@2x";
}

namespace {

// The share of each source sample in each of `to` samples along one axis of `from` samples:
// output i covers the source interval [i * from / to, (i + 1) * from / to).
struct Tap {
    int Source;
    int Target;
    double Weight;
};

std::vector<Tap> AreaTaps(int from, int to) {
    std::vector<Tap> taps;
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double lo = i * step, hi = (i + 1) * step;
        for (int s = static_cast<int>(lo); s < from && s < hi; ++s) {
            const double cover = std::fmin(hi, s + 1.0) - std::fmax(lo, static_cast<double>(s));
            if (cover > 0) {
                taps.push_back({s, i, cover / step});
            }
        }
    }
    return taps;
}

}  // namespace

Sprite ResampleSprite(const Sprite& from, int width, int height) {
    Sprite to;
    to.Width = width;
    to.Height = height;
    to.ColorType = from.ColorType;
    const std::vector<Tap> across = AreaTaps(from.Width, width);
    const std::vector<Tap> down = AreaTaps(from.Height, height);
    // Rows first, into floating-point samples, then columns, rounding once at the end.
    std::vector<double> rows(static_cast<std::size_t>(width) * from.Height * 4, 0.0);
    for (int y = 0; y < from.Height; ++y) {
        for (const Tap& t : across) {
            const std::size_t in = (static_cast<std::size_t>(y) * from.Width + t.Source) * 4;
            const std::size_t out = (static_cast<std::size_t>(y) * width + t.Target) * 4;
            for (int c = 0; c < 4; ++c) {
                rows[out + c] += from.Pixels[in + c] * t.Weight;
            }
        }
    }
    std::vector<double> sum(static_cast<std::size_t>(width) * height * 4, 0.0);
    for (const Tap& t : down) {
        for (int x = 0; x < width; ++x) {
            const std::size_t in = (static_cast<std::size_t>(t.Source) * width + x) * 4;
            const std::size_t out = (static_cast<std::size_t>(t.Target) * width + x) * 4;
            for (int c = 0; c < 4; ++c) {
                sum[out + c] += rows[in + c] * t.Weight;
            }
        }
    }
    to.Pixels.resize(sum.size());
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const long value = std::lround(sum[i]);
        to.Pixels[i] = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
    return to;
}

}  // namespace quillop
