// A fly at the desktop's scale: which scales there are, how pictures are shrunk to them, the
// cache that keeps them, the 2x set as drawn, and a walker whose steps grow with the scale.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "clFly/FlyScale.h"
#include "clFly/SpriteCache.h"
#include "clFly/Walker.h"
#include "fakes/PngWriter.h"
#include "resources/EmbeddedSprites.h"

namespace quillop {
namespace {

TEST(FlyScaleTest, DesktopRatiosSnapToTheNearestScale) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double ratio, scale;
    } cases[] = {{1.0, 1.0},  {0.5, 1.0},
                 {nan, 1.0},  {-2.0, 1.0},
                 {1.1, 1.0},  {1.125, 1.0},
                 {1.2, 1.25}, {1.5, 1.5},
                 {1.6, 1.5},  {1.7, 1.75},
                 {1.9, 2.0},  {2.0, 2.0},
                 {3.0, 2.0},  {std::numeric_limits<double>::infinity(), 2.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(FlyScaleFor(c.ratio), c.scale) << c.ratio;
    }
}

TEST(FlyScaleTest, AChangeOfDpiWhileRunningScalesTheStartRatio) {
    EXPECT_EQ(RatioAfterDpiChange(2.0, 192, 144), 1.5);
    EXPECT_EQ(RatioAfterDpiChange(1.5, 96, 192), 3.0);  // QT_SCALE_FACTOR=1.5 stays
    EXPECT_EQ(RatioAfterDpiChange(1.25, 0, 192), 1.25);
    EXPECT_EQ(RatioAfterDpiChange(1.25, 96, 0), 1.25);
}

// A width x height premultiplied picture from a function of the position.
template <class Pixel>
Sprite Make(int width, int height, Pixel pixel) {
    Sprite s{width, height, 6, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::array<std::uint8_t, 4> p = pixel(x, y);
            s.Pixels.insert(s.Pixels.end(), p.begin(), p.end());
        }
    }
    return s;
}

TEST(FlyScaleTest, ShrinkingAveragesPremultipliedAreas) {
    // Opaque white next to nothing, in 2 x 2 squares: each square becomes one half-covered pixel
    // of the same white, not a darker grey.
    const Sprite checks = Make(4, 4, [](int x, int y) -> std::array<std::uint8_t, 4> {
        return (x / 2 + y / 2) % 2 == 0 ? std::array<std::uint8_t, 4>{255, 255, 255, 255}
                                        : std::array<std::uint8_t, 4>{0, 0, 0, 0};
    });
    const Sprite half = ResampleSprite(checks, 2, 2);
    EXPECT_EQ(half.Pixels, (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0,
                                                      255, 255, 255, 255}));
    // 120 to 90: each new pixel covers a third of a source pixel's neighbour.
    const Sprite soft = Make(120, 120, [](int x, int y) -> std::array<std::uint8_t, 4> {
        const auto a = static_cast<std::uint8_t>((x * 7 + y * 3) % 256);
        return {static_cast<std::uint8_t>(a / 3), static_cast<std::uint8_t>(a / 2), a, a};
    });
    const Sprite shrunk = ResampleSprite(soft, 90, 90);
    ASSERT_EQ(shrunk.Pixels.size(), 90u * 90u * 4u);
    for (std::size_t i = 0; i < shrunk.Pixels.size(); i += 4) {
        ASSERT_LE(shrunk.Pixels[i + 2], shrunk.Pixels[i + 3]) << i / 4;  // colour within alpha
    }
    // Pixel (1, 0) covers source x 1 1/3 .. 2 2/3 of row 0 and a third of row 1.
    const double expected = ((2.0 / 3) * 7 + (2.0 / 3) * 14) / (4.0 / 3) * 0.75 +
                            ((2.0 / 3) * 10 + (2.0 / 3) * 17) / (4.0 / 3) * 0.25;
    EXPECT_NEAR(shrunk.Pixels[4 + 3], expected, 0.5 + 1e-9);
}

// Answers "name" with a 60 x 60 picture and "name@2x" with a 120 x 120 one.
struct TwoScales final : SpriteSource {
    std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const override {
        return std::span(name.ends_with("@2x") ? large : small);
    }
    std::vector<std::uint8_t> small = testing::SolidRgbaPng(60, 60, 10, 20, 30, 255);
    std::vector<std::uint8_t> large = testing::SolidRgbaPng(120, 120, 10, 20, 30, 128);
};

TEST(FlyScaleTest, CacheKeepsOnePictureAScaleMadeFromTheTwoXSet) {
    const TwoScales source;
    SpriteCache cache(source);
    const int sides[] = {60, 75, 90, 105, 120};
    std::vector<int> ids;
    for (int i = 0; i < kFlyScaleCount; ++i) {
        const CachedSprite& sprite = cache.Get("3_4", kFlyScales[i]);
        EXPECT_EQ(sprite.Picture.Width, sides[i]);
        EXPECT_EQ(sprite.Picture.Height, sides[i]);
        EXPECT_EQ(sprite.Direction, 3);
        EXPECT_EQ(sprite.Scale, kFlyScales[i]);
        EXPECT_EQ(sprite.Picture.Pixels[3], i == 0 ? 255 : 128);
        EXPECT_EQ(&cache.Get("3_4", kFlyScales[i]), &sprite);  // made once
        ids.push_back(sprite.Id);
    }
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4}));
    cache.Preload(1.5);
    EXPECT_EQ(cache.MemoryFor(1.5), 48u * 90 * 90 * 4);
}

// The memory of the fly set at every scale, from the pictures compiled in.
TEST(FlyScaleTest, EveryScaleOfTheCompiledSetIsComplete) {
    SpriteCache cache(EmbeddedSprites());
    for (const double scale : kFlyScales) {
        cache.Preload(scale);
        const int side = static_cast<int>(std::lround(kSpriteSide * scale));
        EXPECT_EQ(cache.MemoryFor(scale), 48u * side * side * 4) << scale;
        std::printf("[   INFO   ] fly pictures at %.2fx: %zu bytes\n", scale,
                    cache.MemoryFor(scale));
    }
    EXPECT_EQ(cache.Count(), 48 * kFlyScaleCount);
}

// The 2x picture is drawn at that size: shrunk to 60 x 60 it is close to the 1x picture, yet
// it is not the 1x picture's pixels doubled.
TEST(FlyScaleTest, TheTwoXSetIsTheSameFlyDrawnFiner) {
    SpriteCache cache(EmbeddedSprites());
    for (const char* name : {"1_1", "3_2", "6_5"}) {
        SCOPED_TRACE(name);
        const Sprite& small = cache.Get(name, 1.0).Picture;
        const Sprite& large = cache.Get(name, 2.0).Picture;
        const Sprite shrunk = ResampleSprite(large, 60, 60);
        double difference = 0;
        int unlikeDoubled = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 120; ++x) {
                const std::size_t at = (static_cast<std::size_t>(y) * 120 + x) * 4 + 3;
                const std::size_t from = (static_cast<std::size_t>(y / 2) * 60 + x / 2) * 4 + 3;
                unlikeDoubled += std::abs(large.Pixels[at] - small.Pixels[from]) > 24;
            }
        }
        for (std::size_t i = 3; i < small.Pixels.size(); i += 4) {
            difference += std::abs(shrunk.Pixels[i] - small.Pixels[i]);
        }
        EXPECT_LT(difference / (60 * 60), 3.0);
        EXPECT_GT(unlikeDoubled, 300);
    }
}

// Records where the walker stands after each step and what it draws.
struct Track final : WalkerWindow {
    void MoveTo(int, int) override {}
    void DrawSprite() override { names.push_back(walker->SpriteName); }
    Rect WorkArea() override { return area; }
    void StartTimer(int ms) override { periods.push_back(ms); }
    void StopTimer() override {}

    FlyWalker* walker = nullptr;
    Rect area;
    std::vector<std::string> names;
    std::vector<int> periods;
};

TEST(FlyScaleTest, AScaledWalkerTakesTheSameWalkWithLongerSteps) {
    // Two thousand steps in a corner-hugging area, so that edges and push-backs happen too.
    const auto walk = [](double scale) {
        RandomSource random;
        random.SetState(20261209u);
        Track track;
        track.area = {0, 0, static_cast<int>(300 * scale), static_cast<int>(200 * scale)};
        FlyWalker walker(track, random);
        track.walker = &walker;
        walker.Scale = scale;
        walker.X = 150 * scale;
        walker.Y = 100 * scale;
        walker.NewMove(true);
        std::vector<std::pair<double, double>> places;
        for (int i = 0; i < 2000; ++i) {
            walker.MoveTimerTick();
            places.push_back({walker.X / scale, walker.Y / scale});
        }
        return std::make_tuple(places, track.names, track.periods, random.State());
    };
    const auto once = walk(1.0);
    EXPECT_EQ(walk(2.0), once);
    EXPECT_EQ(walk(1.5), once);
}

}  // namespace
}  // namespace quillop
