// Decoding PNGs that the tests write themselves, including damaged ones.
#include <gtest/gtest.h>
#include <png.h>

#include "clFly/SpriteCache.h"
#include "clFly/SpriteDecoder.h"
#include "fakes/PngWriter.h"

namespace quillop {
namespace {

using testing::SolidRgbaPng;
using testing::WritePng;

std::vector<std::uint8_t> Pixel(const std::vector<std::uint8_t>& png) {
    const Sprite sprite = DecodeSprite(png);
    return {sprite.Pixels.begin(), sprite.Pixels.begin() + 4};
}

TEST(SpriteDecoderTest, PremultipliesWithTruncatingDivision) {
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(Pixel(SolidRgbaPng(1, 1, 10, 20, 30, 0)), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Pixel(SolidRgbaPng(1, 1, 10, 20, 30, 255)), (Bytes{30, 20, 10, 255}));
    EXPECT_EQ(Pixel(SolidRgbaPng(1, 1, 0, 0, 200, 128)), (Bytes{100, 0, 0, 128}));
    EXPECT_EQ(Pixel(SolidRgbaPng(1, 1, 0, 0, 1, 254)), (Bytes{0, 0, 0, 254}));
    EXPECT_EQ(Pixel(SolidRgbaPng(1, 1, 255, 255, 255, 1)), (Bytes{1, 1, 1, 1}));
}

TEST(SpriteDecoderTest, KeepsSizeRowOrderAndColourType) {
    std::vector<std::uint8_t> samples(3 * 2 * 4, 0);
    samples[0] = 255, samples[3] = 255;                     // top-left red
    samples[(1 * 3 + 2) * 4 + 2] = 255, samples[23] = 255;  // bottom-right blue
    const Sprite sprite = DecodeSprite(WritePng(3, 2, PNG_COLOR_TYPE_RGBA, samples));
    EXPECT_EQ(sprite.Width, 3);
    EXPECT_EQ(sprite.Height, 2);
    EXPECT_EQ(sprite.ColorType, 6);
    ASSERT_EQ(sprite.Pixels.size(), 24u);
    EXPECT_EQ(sprite.Pixels[2], 255);   // red of the first pixel, stored as B, G, R, A
    EXPECT_EQ(sprite.Pixels[20], 255);  // blue of the last pixel
}

TEST(SpriteDecoderTest, GreyWithAlphaCopiesAlphaAndOpaqueTypesAreOpaque) {
    const Sprite grey =
        DecodeSprite(WritePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {200, 128, 50, 255}));
    EXPECT_EQ(grey.ColorType, 4);
    EXPECT_EQ(grey.Pixels, (std::vector<std::uint8_t>{100, 100, 100, 128, 50, 50, 50, 255}));
    const Sprite rgb = DecodeSprite(WritePng(1, 1, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
    EXPECT_EQ(rgb.Pixels, (std::vector<std::uint8_t>{3, 2, 1, 255}));
}

// The message a decode fails with; empty when it decodes.
std::string FailureOf(const std::vector<std::uint8_t>& bytes) {
    try {
        DecodeSprite(bytes);
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "";
}

TEST(SpriteDecoderTest, DamagedFilesFailWithLibpngsMessage) {
    const std::vector<std::uint8_t> good = SolidRgbaPng(60, 60, 1, 2, 3, 4);
    EXPECT_EQ(FailureOf({}), "Read Error");
    EXPECT_EQ(FailureOf({good.begin(), good.begin() + good.size() / 2}), "Read Error");
    EXPECT_EQ(FailureOf({'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', 0, 0, 0}), "Not a PNG file");
    std::vector<std::uint8_t> corrupt = good;
    corrupt[good.size() / 2] ^= 0xFF;  // inside the compressed data, caught by its checksum
    EXPECT_NE(FailureOf(corrupt), "");
    EXPECT_EQ(FailureOf(SolidRgbaPng(257, 1, 1, 2, 3, 4)), "Invalid IHDR data");
}

TEST(SpriteDecoderTest, AChunkClaimingTwoGigabytesIsRefusedBeforeAnythingIsAllocatedForIt) {
    // 324 bytes: the signature, a good header, then a zTXt chunk whose length reads "xxxx",
    // 2,021,161,080 bytes. Taken at its word it would be allocated whole before the file runs
    // out ("Read Error"); refused in its header, it never is.
    std::vector<std::uint8_t> png = SolidRgbaPng(60, 60, 1, 2, 3, 4);
    png.resize(8 + 25);
    png.insert(png.end(), {'x', 'x', 'x', 'x', 'z', 'T', 'X', 't'});
    png.resize(324, 'x');
    EXPECT_EQ(FailureOf(png), "zTXt: chunk data is too large");
}

// Picture bytes by name, for the cache.
struct MapSource final : SpriteSource {
    std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const override {
        ++lookups;
        for (const auto& [key, bytes] : pictures) {
            if (key == name) {
                return std::span(bytes);
            }
        }
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> pictures;
    mutable int lookups = 0;
};

TEST(SpriteCacheTest, DecodesOnceAndNumbersPicturesInOrder) {
    MapSource source;
    source.pictures = {{"1_1", SolidRgbaPng(60, 60, 9, 9, 9, 255)},
                       {"8_6", SolidRgbaPng(60, 60, 1, 1, 1, 255)},
                       {"10_1", SolidRgbaPng(30, 30, 1, 1, 1, 255)}};
    SpriteCache cache(source);
    const CachedSprite& last = cache.Get("8_6");
    const CachedSprite& first = cache.Get("1_1");
    const CachedSprite& other = cache.Get(SpriteName(10, 1));
    EXPECT_EQ(last.Id, 0);
    EXPECT_EQ(first.Id, 1);
    EXPECT_EQ(other.Id, 2);
    EXPECT_EQ(&cache.Get("8_6"), &last);
    EXPECT_EQ(&cache.Get("1_1"), &first);
    EXPECT_EQ(&cache.Get("10_1"), &other);
    EXPECT_EQ(source.lookups, 3);
    EXPECT_EQ(first.Picture.Width, 60);
    EXPECT_EQ(other.Name, "10_1");
}

TEST(SpriteCacheTest, UnknownAndDamagedPicturesFailEveryTime) {
    MapSource source;
    source.pictures = {{"1_1", {1, 2, 3}}};
    SpriteCache cache(source);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(cache.Get("1_1"), Failure);
        try {
            cache.Get("9_1");
            ADD_FAILURE();
        } catch (const Failure& failure) {
            EXPECT_STREQ(failure.what(), "The png image could not be loaded from the resource ID.");
        }
    }
    cache.Preload();
    EXPECT_EQ(cache.Count(), 0);
}

}  // namespace
}  // namespace quillop
