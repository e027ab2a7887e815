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

TEST(ShapeMaskTest, CutToBoxCentresTheBoxOnWhatShowsWithinThePicture) {
    // 6 x 4, transparent but for (3, 1) and (4, 2), the second barely visible.
    std::vector<std::uint8_t> bgra(6 * 4 * 4);
    bgra[(1 * 6 + 3) * 4 + 0] = 7;
    bgra[(1 * 6 + 3) * 4 + 3] = 255;
    bgra[(2 * 6 + 4) * 4 + 3] = 1;
    const TrimmedPicture cut = CutToBox(bgra, 6, 4, 3);
    EXPECT_EQ((std::array{cut.Left, cut.Top, cut.Width, cut.Height}), (std::array{2, 0, 3, 3}));
    std::vector<std::uint8_t> expected(3 * 3 * 4);
    expected[(1 * 3 + 1) * 4 + 0] = 7;
    expected[(1 * 3 + 1) * 4 + 3] = 255;
    expected[(2 * 3 + 2) * 4 + 3] = 1;
    EXPECT_EQ(cut.Bgra, expected);
    // At the picture's edge the box stays inside it; a box larger than the picture is the
    // picture; nothing visible keeps the box in the middle.
    bgra.assign(bgra.size(), 0);
    bgra[(0 * 6 + 5) * 4 + 3] = 255;
    const TrimmedPicture edge = CutToBox(bgra, 6, 4, 3);
    EXPECT_EQ((std::array{edge.Left, edge.Top}), (std::array{3, 0}));
    EXPECT_EQ((std::array{CutToBox(bgra, 6, 4, 9).Width, CutToBox(bgra, 6, 4, 9).Height}),
              (std::array{6, 4}));
    const TrimmedPicture empty = CutToBox(std::vector<std::uint8_t>(6 * 4 * 4), 6, 4, 2);
    EXPECT_EQ((std::array{empty.Left, empty.Top}), (std::array{2, 1}));
}

// On XWayland a fly window keeps one size, the box, whichever picture it shows: every fly
// picture at every scale must show whole within it.
TEST(ShapeMaskTest, EveryFlyPictureShowsWholeInItsBox) {
    SpriteCache cache(EmbeddedSprites());
    for (const double scale : kFlyScales) {
        for (int d = 1; d <= kDirections; ++d) {
            for (int f = 1; f <= kFrames; ++f) {
                const Sprite& picture = cache.Get(SpriteName(d, f), scale).Picture;
                const int box = VisibleBoxSide(picture.Width);
                const TrimmedPicture cut =
                    CutToBox(picture.Pixels, picture.Width, picture.Height, box);
                ASSERT_EQ((std::array{cut.Width, cut.Height}), (std::array{box, box}));
                long shown = 0;
                long all = 0;
                for (std::size_t i = 3; i < cut.Bgra.size(); i += 4) {
                    shown += cut.Bgra[i];
                }
                for (std::size_t i = 3; i < picture.Pixels.size(); i += 4) {
                    all += picture.Pixels[i];
                }
                EXPECT_EQ(shown, all) << SpriteName(d, f) << " at " << scale;
            }
        }
    }
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
