// Floating-point pictures: drawing surface, compositing and reduction to 8-bit RGBA.
#pragma once

#include <cstdint>
#include <vector>

namespace spritegen {

// A colour with straight (not premultiplied) components in 0..1.
struct Color {
    double r = 0, g = 0, b = 0, a = 0;
};

// Builds a colour from 8-bit components and an opacity.
constexpr Color Rgb(int r, int g, int b, double a = 1.0) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
}

// Blends two straight colours component by component: t = 0 gives x, t = 1 gives y.
Color Mix(const Color& x, const Color& y, double t);

// Multiplies the colour (not the opacity) by k.
Color Scaled(const Color& c, double k);

// A picture of premultiplied floating-point pixels, rows top to bottom.
class Raster {
  public:
    Raster(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The premultiplied pixel at (x, y).
    const Color& At(int x, int y) const { return pixels_[Index(x, y)]; }

    // Composites a straight colour over the pixel with the given coverage.
    void Over(int x, int y, const Color& straight, double coverage = 1.0);

    // Composites the whole of src over this picture, src's top-left corner at (dx, dy).
    void Composite(const Raster& src, int dx = 0, int dy = 0);

    // Fills every pixel with a straight colour.
    void Fill(const Color& straight);

    // Averages factor x factor blocks into one pixel each.
    Raster Reduced(int factor) const;

    // Enlarges each pixel to factor x factor identical pixels.
    Raster Enlarged(int factor) const;

    // A shadow: the opacity of this picture moved by (dx, dy), blurred with a box of the
    // given radius run three times, times strength, in the given colour (black by default).
    Raster Shadow(int dx, int dy, int radius, double strength,
                  const Color& tint = {0, 0, 0, 1}) const;

    // The picture as 8-bit straight RGBA, rounded; fully transparent pixels are all zero.
    std::vector<std::uint8_t> ToRgba8() const;

    // A picture made from 8-bit straight RGBA.
    static Raster FromRgba8(int width, int height, const std::vector<std::uint8_t>& rgba);

  private:
    int Index(int x, int y) const { return y * width_ + x; }

    int width_;
    int height_;
    std::vector<Color> pixels_;
};

}  // namespace spritegen
