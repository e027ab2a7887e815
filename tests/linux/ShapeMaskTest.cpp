// The fly windows' masks: which pixels they keep, and the bitmap rows the server is sent.
#include <gtest/gtest.h>

#include <vector>

#include "clFly/x11/ShapeMask.h"

namespace quillop {
namespace {

TEST(ShapeMaskTest, AlphaMaskKeepsThePixelsFromTheGivenAlphaOn) {
    // Blue, green, red, alpha: alpha 0, 1, 127, 128, 255.
    const std::vector<std::uint8_t> bgra = {9,  9,   9,  0,  1,  1,   1,   1,   60,  60,
                                            60, 127, 60, 60, 60, 128, 255, 255, 255, 255};
    EXPECT_EQ(AlphaMask(bgra, 1), (std::vector<std::uint8_t>{0, 1, 1, 1, 1}));
    EXPECT_EQ(AlphaMask(bgra, 128), (std::vector<std::uint8_t>{0, 0, 0, 1, 1}));
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

}  // namespace
}  // namespace quillop
