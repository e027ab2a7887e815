// Where a picture takes pointer input, in device and logical pixels, and the logical places
// at which it stays sharp.
#include "clFly/PictureRegions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quillop {
namespace {

// A width x height picture of one premultiplied colour (blue, green, red, alpha).
Sprite Solid(int width, int height, std::uint8_t blue, std::uint8_t alpha) {
    Sprite sprite{width, height, 6, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    for (std::size_t i = 0; i < sprite.Pixels.size(); i += 4) {
        sprite.Pixels[i] = blue;
        sprite.Pixels[i + 3] = alpha;
    }
    return sprite;
}

TEST(PictureRegionsTest, InputCoversTheVisiblePixelsInLogicalPixelsRoundedOutward) {
    // 4 x 3: a run of two in the first two rows, one pixel at the right of the third.
    Sprite picture = Solid(4, 3, 0, 0);
    for (const auto& [x, y] : {std::pair{1, 0}, {2, 0}, {1, 1}, {2, 1}, {3, 2}}) {
        picture.Pixels[(y * 4 + x) * 4 + 3] = 1;
    }
    const std::vector<Rect> rects = VisibleRects(picture);
    EXPECT_EQ(rects, (std::vector<Rect>{{1, 0, 2, 2}, {3, 2, 1, 1}}));
    // In squares of 2: every square that holds one, cut at the picture's edge.
    EXPECT_EQ(VisibleRects(picture, 2), (std::vector<Rect>{{0, 0, 4, 2}, {2, 2, 2, 1}}));
    EXPECT_EQ(LogicalCover({1, 0, 2, 2}, 1.0), (Rect{1, 0, 2, 2}));
    EXPECT_EQ(LogicalCover({1, 0, 2, 2}, 2.0), (Rect{0, 0, 2, 1}));
    EXPECT_EQ(LogicalCover({3, 2, 1, 1}, 1.5), (Rect{2, 1, 1, 1}));
    EXPECT_EQ(LogicalCover({2, 3, 3, 3}, 1.5), (Rect{1, 2, 3, 2}));
    // The buffer of a picture holds whole cells around its visible pixels.
    EXPECT_EQ(CellBounds(rects, 1), (Rect{1, 0, 3, 3}));
    EXPECT_EQ(CellBounds(rects, 3), (Rect{0, 0, 6, 3}));
    EXPECT_EQ(CellBounds({}, 2), Rect{});
}

TEST(PictureRegionsTest, PlacesFallOnWholeDevicePixels) {
    EXPECT_EQ(LogicalGrid(1.0), 1);
    EXPECT_EQ(LogicalGrid(2.0), 1);
    EXPECT_EQ(LogicalGrid(1.5), 2);
    EXPECT_EQ(LogicalGrid(1.25), 4);
    EXPECT_EQ(LogicalGrid(1.75), 4);
    // The nearest place of the grid: device 100 at 1.5 is logical 66.7, between 66 (99) and 68
    // (102); at 1.25 the places are 5 device pixels apart.
    EXPECT_EQ(LogicalPlace({100, 101}, 1.5), (Point{66, 68}));
    EXPECT_EQ(LogicalPlace({7, 8}, 1.25), (Point{4, 8}));
    EXPECT_EQ(LogicalPlace({-3, 5}, 2.0), (Point{-2, 3}));
    EXPECT_EQ(LogicalPlace({123, 45}, 1.0), (Point{123, 45}));
}

TEST(PictureRegionsTest, TheWorkAreaOnAnOutputIsTheRoomItLeavesThere) {
    // A panel 44 high at the top of the first of two outputs, in logical pixels, then in
    // pixels of twice the size; the second output keeps its whole area.
    EXPECT_EQ(WorkAreaOnOutput({0, 44, 1920, 1036}, 1, {0, 0}, {1920, 1080}),
              (Rect{0, 44, 1920, 1036}));
    EXPECT_EQ(WorkAreaOnOutput({0, 88, 3840, 2072}, 2, {0, 0}, {1920, 1080}),
              (Rect{0, 44, 1920, 1036}));
    EXPECT_EQ(WorkAreaOnOutput({0, 44, 1920, 1036}, 1, {1920, 0}, {1280, 1024}),
              (Rect{0, 0, 1280, 1024}));
}

}  // namespace
}  // namespace quillop
