// The fly pictures compiled into the program: all there, the right shape, facing the way the
// walker moves them, with a soft shadow, and animating only the legs.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <utility>

#include "clFly/SpriteDecoder.h"
#include "clFly/SpriteSource.h"
#include "clFly/Walker.h"
#include "resources/EmbeddedSprites.h"

namespace quillop {
namespace {

constexpr int kSide = 60;

// A pixel with its colour divided back out of the premultiplied form.
struct Straight {
    double R = 0, G = 0, B = 0;
    int A = 0;
};

Straight At(const Sprite& s, int x, int y) {
    const std::uint8_t* p = &s.Pixels[(static_cast<std::size_t>(y) * s.Width + x) * 4];
    if (p[3] == 0) {
        return {};
    }
    const double k = 255.0 / p[3];
    return {p[2] * k, p[1] * k, p[0] * k, p[3]};
}

// Decodes picture "d_f" once; fails the test when it is missing.
const Sprite& Picture(int direction, int frame) {
    static std::map<std::pair<int, int>, Sprite> decoded;
    const auto key = std::make_pair(direction, frame);
    auto it = decoded.find(key);
    if (it == decoded.end()) {
        const auto bytes = EmbeddedSprites().Find(SpriteName(direction, frame));
        if (!bytes) {
            ADD_FAILURE() << "no picture " << SpriteName(direction, frame);
            static const Sprite empty{kSide, kSide, 6,
                                      std::vector<std::uint8_t>(kSide * kSide * 4, 0)};
            return empty;
        }
        it = decoded.emplace(key, DecodeSprite(*bytes)).first;
    }
    return it->second;
}

// The mean position of the pixels that satisfy a test.
struct Centre {
    double X = 0, Y = 0;
    int Count = 0;
};

template <typename Test>
Centre CentreOf(const Sprite& s, Test test) {
    Centre c;
    for (int y = 0; y < s.Height; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            if (test(At(s, x, y))) {
                c.X += x;
                c.Y += y;
                ++c.Count;
            }
        }
    }
    if (c.Count > 0) {
        c.X /= c.Count;
        c.Y /= c.Count;
    }
    return c;
}

bool IsBody(const Straight& p) {
    return p.A == 255;
}

// The compound eyes are the only strongly red parts of the fly.
bool IsEye(const Straight& p) {
    return p.A >= 128 && p.R >= 1.6 * p.G && p.R >= 1.6 * p.B && p.R - p.G >= 30;
}

// Shadow: dark and partly transparent.
bool IsShadow(const Straight& p) {
    return p.A > 0 && p.A < 255 && p.R <= 60 && p.G <= 60 && p.B <= 60;
}

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

TEST(SpriteSetTest, EveryNameDecodesTo60By60Rgba) {
    for (int d = 1; d <= kDirections; ++d) {
        for (int f = 1; f <= kFrames; ++f) {
            SCOPED_TRACE(SpriteName(d, f));
            const auto bytes = EmbeddedSprites().Find(SpriteName(d, f));
            ASSERT_TRUE(bytes.has_value());
            const Sprite s = DecodeSprite(*bytes);
            EXPECT_EQ(s.Width, kSide);
            EXPECT_EQ(s.Height, kSide);
            EXPECT_EQ(s.ColorType, 6);
            EXPECT_EQ(s.Pixels.size(), static_cast<std::size_t>(kSide * kSide * 4));
        }
    }
}

TEST(SpriteSetTest, FramesTwoAndFiveAreIdenticalAndTheOthersDiffer) {
    for (int d = 1; d <= kDirections; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(Picture(d, 2).Pixels, Picture(d, 5).Pixels);
        // The legs really walk: frames 1, 2, 3, 4 and 6 are five different pictures.
        const int distinct[] = {1, 2, 3, 4, 6};
        for (int i : distinct) {
            for (int j : distinct) {
                if (i < j) {
                    EXPECT_NE(Picture(d, i).Pixels, Picture(d, j).Pixels) << i << " vs " << j;
                }
            }
        }
    }
}

TEST(SpriteSetTest, HeadPointsAlongTheWalkersStep) {
    for (int d = 1; d <= kDirections; ++d) {
        for (int f = 1; f <= kFrames; ++f) {
            SCOPED_TRACE(SpriteName(d, f));
            const Sprite& s = Picture(d, f);
            const Centre body = CentreOf(s, IsBody);
            const Centre eyes = CentreOf(s, IsEye);
            ASSERT_GE(body.Count, 100);
            ASSERT_GE(eyes.Count, 10);
            const StepVector step = kStepTable[d - 1];
            const double facing = std::atan2(eyes.Y - body.Y, eyes.X - body.X);
            const double wanted = std::atan2(step.Y, step.X);
            EXPECT_LE(std::abs(Degrees(std::remainder(facing - wanted, 2 * std::numbers::pi))),
                      15.0);
        }
    }
}

TEST(SpriteSetTest, OnlyTheLegsMoveWithinADirection) {
    for (int d = 1; d <= kDirections; ++d) {
        SCOPED_TRACE(d);
        const Sprite& first = Picture(d, 1);
        const Centre body = CentreOf(first, IsBody);
        const StepVector step = kStepTable[d - 1];
        const double len = std::hypot(step.X, step.Y);
        const double ux = step.X / len, uy = step.Y / len;
        // The strip along the body's midline from tail to head holds no leg and no leg
        // shadow that could show, so it must not change while the fly walks.
        int stripPixels = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const double along = (x - body.X) * ux + (y - body.Y) * uy;
                const double across = -(x - body.X) * uy + (y - body.Y) * ux;
                if (std::abs(along) > 11.0 || std::abs(across) > 1.5) {
                    continue;
                }
                ++stripPixels;
                const std::size_t i = (static_cast<std::size_t>(y) * kSide + x) * 4;
                for (int f = 2; f <= kFrames; ++f) {
                    const Sprite& other = Picture(d, f);
                    for (int c = 0; c < 4; ++c) {
                        EXPECT_EQ(first.Pixels[i + c], other.Pixels[i + c])
                            << "frame " << f << " at " << x << "," << y;
                    }
                }
            }
        }
        EXPECT_GE(stripPixels, 50);
    }
}

TEST(SpriteSetTest, ShadowIsSoftAndFallsDownAndRight) {
    for (int d = 1; d <= kDirections; ++d) {
        for (int f = 1; f <= kFrames; ++f) {
            SCOPED_TRACE(SpriteName(d, f));
            const Sprite& s = Picture(d, f);
            const Centre body = CentreOf(s, IsBody);
            const Centre shadow = CentreOf(s, IsShadow);
            EXPECT_GE(shadow.Count, 200);
            // Offset on the screen, the same whichever way the fly faces.
            EXPECT_GE(shadow.X - body.X, 1.5);
            EXPECT_GE(shadow.Y - body.Y, 1.5);
            EXPECT_LE(shadow.X - body.X, 8.0);
            EXPECT_LE(shadow.Y - body.Y, 8.0);
        }
    }
}

}  // namespace
}  // namespace quillop
