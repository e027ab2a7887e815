// The fly windows' masks: which pixels they keep, and the bitmap rows the server is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "clFly/ShapeMask.h"
#include "clFly/SpriteCache.h"
#include "resources/EmbeddedSprites.h"

namespace quillop {
namespace {

TEST(ShapeMaskTest, AlphaMaskKeepsThePixelsFromTheGivenAlphaOn) {
    // Blue, green, red, alpha: alpha 0, 1, 127, 128, 255.
    const std::vector<std::uint8_t> bgra = {9,  9,   9,  0,  1,  1,   1,   1,   60,  60,
                                            60, 127, 60, 60, 60, 128, 255, 255, 255, 255};
    EXPECT_EQ(AlphaMask(bgra, 1), (std::vector<std::uint8_t>{0, 1, 1, 1, 1}));
    EXPECT_EQ(AlphaMask(bgra, 128), (std::vector<std::uint8_t>{0, 0, 0, 1, 1}));
}

TEST(ShapeMaskTest, TrimToVisibleKeepsEveryPixelThatShowsAndNothingAround) {
    // 4 x 3, transparent but for (1, 0) and (2, 2), the second barely visible.
    std::vector<std::uint8_t> bgra(4 * 3 * 4);
    bgra[(0 * 4 + 1) * 4 + 0] = 7;
    bgra[(0 * 4 + 1) * 4 + 3] = 255;
    bgra[(2 * 4 + 2) * 4 + 3] = 1;
    const TrimmedPicture trimmed = TrimToVisible(bgra, 4, 3);
    EXPECT_EQ((std::array{trimmed.Left, trimmed.Top, trimmed.Width, trimmed.Height}),
              (std::array{1, 0, 2, 3}));
    std::vector<std::uint8_t> expected(2 * 3 * 4);
    expected[0] = 7;
    expected[3] = 255;
    expected[(2 * 2 + 1) * 4 + 3] = 1;
    EXPECT_EQ(trimmed.Bgra, expected);

    // Nothing shows: one transparent pixel, never an empty window.
    const TrimmedPicture empty = TrimToVisible(std::vector<std::uint8_t>(16), 2, 2);
    EXPECT_EQ((std::array{empty.Width, empty.Height}), (std::array{1, 1}));
    EXPECT_EQ(empty.Bgra, std::vector<std::uint8_t>(4));
}

TEST(ShapeMaskTest, PackBitmapFollowsTheServersBitAndByteOrderAndPadding) {
    // Two rows of ten pixels: the first and last of the first row, the second of the next.
    std::vector<std::uint8_t> bits(20);
    bits[0] = bits[9] = bits[11] = 1;
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(PackBitmap(bits, 10, 2, {32, 32, true, true}),
              (Bytes{0x01, 0x02, 0, 0, 0x02, 0, 0, 0}));
    EXPECT_EQ(PackBitmap(bits, 10, 2, {32, 32, false, false}),
              (Bytes{0x80, 0x40, 0, 0, 0x40, 0, 0, 0}));
    // Bits from the top of a unit whose low byte comes first: the first pixel is in byte 3.
    EXPECT_EQ(PackBitmap(bits, 10, 2, {32, 32, false, true}),
              (Bytes{0, 0, 0x40, 0x80, 0, 0, 0, 0x40}));
    // Rows padded to 8 bits take two bytes each.
    EXPECT_EQ(PackBitmap(bits, 10, 2, {8, 8, true, true}), (Bytes{0x01, 0x02, 0x02, 0}));
}

// Each heading's body is cut from the pictures the cache files under that heading: the cut
// keeps only what is solid in all six of them, and is no other heading's body.
TEST(ShapeMaskTest, BodyCutsFollowTheHeadingOfEachPicture) {
    SpriteCache cache(EmbeddedSprites());
    std::array<std::vector<std::uint8_t>, kDirections + 1> cuts;
    std::array<std::vector<std::vector<std::uint8_t>>, kDirections + 1> solids;
    for (int d = 1; d <= kDirections; ++d) {
        for (int f = 1; f <= kFrames; ++f) {
            const CachedSprite& sprite = cache.Get(SpriteName(d, f));
            ASSERT_GE(sprite.Direction, 1);
            ASSERT_LE(sprite.Direction, kDirections);
            const std::vector<std::uint8_t> solid = AlphaMask(sprite.Picture.Pixels, 128);
            NarrowBodyCut(cuts[sprite.Direction], solid, sprite.Picture.Width,
                          sprite.Picture.Height);
            solids[d].push_back(solid);
        }
    }
    EXPECT_EQ(cache.Get("8_6").Direction, 8);
    for (int d = 1; d <= kDirections; ++d) {
        SCOPED_TRACE(d);
        ASSERT_EQ(cuts[d].size(), solids[d][0].size());
        EXPECT_GE(std::count(cuts[d].begin(), cuts[d].end(), 1), 100) << "no body left";
        for (const auto& solid : solids[d]) {
            for (std::size_t i = 0; i < solid.size(); ++i) {
                EXPECT_LE(cuts[d][i], solid[i]) << "a pixel that is not solid at " << i;
            }
        }
        const auto& next = solids[d % kDirections + 1][0];
        bool fits = true;
        for (std::size_t i = 0; i < next.size(); ++i) {
            fits = fits && cuts[d][i] <= next[i];
        }
        EXPECT_FALSE(fits) << "the body fits the next heading's picture too";
    }
}

}  // namespace
}  // namespace quillop
