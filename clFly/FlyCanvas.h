// The flies of a display that draws them all into one picture (a Wayland overlay): their
// premultiplied pictures composited into a premultiplied ARGB8888 image, redrawn only where
// something changed, and the rectangles of their visible pixels that take pointer input.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "clFly/FlyWindow.h"

namespace quillop {

class FlyCanvas {
  public:
    // A canvas of that many pixels, all transparent and all to be drawn.
    void Resize(Size size);
    Size Extent() const { return size_; }
    // Shows the pictures only within `clip` (the work area, where the panels begin), the whole
    // canvas when there is none.
    void SetClip(std::optional<Rect> clip);
    // Shows a picture (kept by reference; it must outlive its use) with its top-left corner at
    // `at`, in place of what item `id` showed before; nothing for null. Items of higher ids are
    // drawn over those of lower ids.
    void Set(std::uint32_t id, Point at, const Sprite* picture);
    // Draws what changed since the last call; returns the rectangles drawn (within the canvas).
    std::vector<Rect> Paint();
    // Whether Paint has something to draw.
    bool Damaged() const { return !damage_.empty(); }
    // Row after row of 32-bit pixels, each the little-endian ARGB8888 of a premultiplied pixel.
    const std::uint8_t* Pixels() const { return pixels_.data(); }
    int Stride() const { return size_.Width * 4; }
    // The item shown at a pixel where its picture is visible (alpha > 0), the highest first; 0
    // when none is.
    std::uint32_t ItemAt(int x, int y) const;

  private:
    struct Item {
        Point At;
        const Sprite* Picture;
    };
    // Adds a rectangle to what Paint draws, merged with those it overlaps.
    void Damage(Rect rect);
    // Where a picture standing at `at` has visible pixels within the clip (empty for none).
    Rect ShownAt(Point at, const Sprite* picture);
    // The part of the canvas the pictures show in.
    Rect Bounds() const;

    Size size_;
    std::optional<Rect> clip_;
    std::vector<std::uint8_t> pixels_;
    std::map<std::uint32_t, Item> items_;
    std::vector<Rect> damage_;
    // The visible part of each picture shown so far, measured once.
    std::unordered_map<const Sprite*, Rect> visible_;
};

// The rectangles that cover a picture's visible pixels (alpha > 0) in squares of `block` pixels
// (1: those pixels exactly): each row of squares as runs of the squares that hold one, a run
// repeated in the rows below taken into one rectangle.
std::vector<Rect> VisibleRects(const Sprite& picture, int block = 1);

// The smallest rectangle that holds both.
Rect Bounding(const Rect& a, const Rect& b);

// A rectangle of device pixels in the logical pixels of `scale` device pixels each, rounded
// outward so that it covers every device pixel of it.
Rect LogicalCover(Rect device, double scale);

// The part two rectangles share; empty when they do not meet.
Rect Intersection(const Rect& a, const Rect& b);

// The work area on an output, in its logical pixels from its corner: `area`, in pixels that
// are the outputs' logical pixels times `factor`, within the output at `origin` (logical) of
// `size`; the whole output when the two do not meet.
Rect WorkAreaOnOutput(const Rect& area, double factor, Point origin, Size size);

}  // namespace quillop
