// The canvas of a display that draws all flies into one picture: what it redraws, the pixels
// it composites, and the rectangles where the flies take pointer input.
#include "clFly/FlyCanvas.h"

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

std::uint32_t PixelAt(const FlyCanvas& canvas, int x, int y) {
    const std::uint8_t* p = canvas.Pixels() + y * canvas.Stride() + x * 4;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

TEST(FlyCanvasTest, RedrawsWhereAFlyWasAndIsAndNothingElse) {
    FlyCanvas canvas;
    canvas.Resize({20, 10});
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{0, 0, 20, 10}}));
    EXPECT_FALSE(canvas.Damaged());
    const Sprite fly = Solid(3, 2, 200, 255);
    canvas.Set(1, {2, 3}, &fly);
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{2, 3, 3, 2}}));
    EXPECT_EQ(PixelAt(canvas, 2, 3), 0xFF0000C8u);
    EXPECT_EQ(PixelAt(canvas, 5, 3), 0u);
    // The same place again costs nothing; a step of one pixel redraws one merged rectangle,
    // a long one both places.
    canvas.Set(1, {2, 3}, &fly);
    EXPECT_FALSE(canvas.Damaged());
    canvas.Set(1, {3, 3}, &fly);
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{2, 3, 4, 2}}));
    EXPECT_EQ(PixelAt(canvas, 2, 3), 0u);
    canvas.Set(1, {10, 6}, &fly);
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{3, 3, 3, 2}, {10, 6, 3, 2}}));
    // Hidden, and half off the canvas: only what lies within it is drawn.
    canvas.Set(1, {10, 6}, nullptr);
    canvas.Set(2, {18, 9}, &fly);
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{10, 6, 3, 2}, {18, 9, 2, 1}}));
    EXPECT_EQ(PixelAt(canvas, 10, 6), 0u);
    EXPECT_EQ(PixelAt(canvas, 19, 9), 0xFF0000C8u);
    // A picture's transparent margin is never redrawn.
    Sprite framed = Solid(4, 4, 0, 0);
    framed.Pixels[(1 * 4 + 2) * 4 + 3] = framed.Pixels[(2 * 4 + 1) * 4 + 3] = 255;
    canvas.Set(3, {0, 0}, &framed);
    EXPECT_EQ(canvas.Paint(), (std::vector<Rect>{{1, 1, 2, 2}}));
}

TEST(FlyCanvasTest, LaterFliesShowOverEarlierOnesAsFarAsTheyAreOpaque) {
    FlyCanvas canvas;
    canvas.Resize({4, 4});
    const Sprite below = Solid(2, 2, 255, 255);
    const Sprite glass = Solid(2, 2, 0, 128);  // black at half opacity
    canvas.Set(2, {1, 1}, &glass);
    canvas.Set(1, {0, 0}, &below);
    canvas.Paint();
    EXPECT_EQ(PixelAt(canvas, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(canvas, 1, 1), 0xFF00007Fu);  // 255 * 127 / 255 of the blue below
    EXPECT_EQ(PixelAt(canvas, 2, 2), 0x80000000u);
    EXPECT_EQ(canvas.ItemAt(1, 1), 2u);
    EXPECT_EQ(canvas.ItemAt(0, 0), 1u);
    EXPECT_EQ(canvas.ItemAt(3, 3), 0u);
}

TEST(FlyCanvasTest, InputCoversTheVisiblePixelsInLogicalPixelsRoundedOutward) {
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
}

TEST(FlyCanvasTest, FliesShowOnlyInTheWorkArea) {
    // A panel 44 high at the top of the first of two outputs, in logical pixels, then in
    // pixels of twice the size; the second output keeps its whole area.
    EXPECT_EQ(WorkAreaOnOutput({0, 44, 1920, 1036}, 1, {0, 0}, {1920, 1080}),
              (Rect{0, 44, 1920, 1036}));
    EXPECT_EQ(WorkAreaOnOutput({0, 88, 3840, 2072}, 2, {0, 0}, {1920, 1080}),
              (Rect{0, 44, 1920, 1036}));
    EXPECT_EQ(WorkAreaOnOutput({0, 44, 1920, 1036}, 1, {1920, 0}, {1280, 1024}),
              (Rect{0, 0, 1280, 1024}));
    // A fly across the work area's top edge shows and takes the pointer below it only.
    FlyCanvas canvas;
    canvas.Resize({10, 10});
    const Sprite fly = Solid(4, 4, 0x40, 0xff);
    canvas.Set(1, {2, 0}, &fly);
    canvas.SetClip(Rect{0, 2, 10, 8});
    canvas.Paint();
    EXPECT_EQ(PixelAt(canvas, 3, 1), 0u);
    EXPECT_EQ(PixelAt(canvas, 3, 2), 0xff000040u);
    EXPECT_EQ(canvas.ItemAt(3, 1), 0u);
    EXPECT_EQ(canvas.ItemAt(3, 2), 1u);
}

}  // namespace
}  // namespace quillop
